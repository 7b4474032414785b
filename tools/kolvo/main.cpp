// kolvo: the companion program of the band-organ roll players.  One small
// dispatcher; each subcommand lives in a file of its own.

#include <cstring>
#include <exception>
#include <iostream>
#include <string>

#include "cli.h"
#include "librarymessages.h"
#include "subcommands.h"

namespace {

struct Subcommand {
    const char* name;
    const char* synopsis;
    int (*run)(int argc, char** argv);
};

const Subcommand subcommands[] = {
    {"info", "info [--json] ROLL...          which organ, tempo, texts, holes", infoCommand},
    {"export", "export ROLL OUT.mid            the arrangement as a MIDI file", exportCommand},
    {"render", "render ROLL... [-o OUT]        audio files, faster than real time",
     renderCommand},
    {"play", "play ROLL...                   through the audio output, with progress",
     playCommand},
    {"view", "view ROLL [-o OUT.svg]         a picture of the roll", viewCommand},
    {"dump", "dump FILE.mid                  the library's text dump of a MIDI file",
     dumpCommand},
};

void printHelp() {
    std::cout << "Usage: kolvo SUBCOMMAND [OPTIONS] ...\n"
                 "\n"
                 "Companion of kolvo165 and kolvo150: renders Wurlitzer 165 and 150 e-rolls\n"
                 "to audio files, exports their arrangement, tells which organ a roll is\n"
                 "for, pictures it and plays it with progress.\n"
                 "\n"
                 "Subcommands:\n";
    for (const Subcommand& s : subcommands) {
        std::cout << "  kolvo " << s.synopsis << "\n";
    }
    std::cout << "\n"
                 "kolvo SUBCOMMAND --help tells more; kolvo --version the version.\n"
                 "Exit status: 0 done, 1 a roll refused or a failure, 2 a usage error.\n";
}

}  // namespace

int main(int argc, char** argv) {
    installFatalHandler();
    if (argc < 2) {
        std::cerr << "kolvo: no subcommand (see kolvo --help)" << std::endl;
        return usageStatus;
    }
    const std::string name = argv[1];
    if (name == "-h" || name == "--help" || name == "help") {
        printHelp();
        return 0;
    }
    if (name == "--version") {
        std::cout << "kolvo " << KOLVO_VERSION << std::endl;
        return 0;
    }
    for (const Subcommand& s : subcommands) {
        if (name == s.name) {
            try {
                return s.run(argc - 2, argv + 2);
            } catch (const UsageError& e) {
                std::cerr << "kolvo " << s.name << ": " << e.what() << " (see kolvo " << s.name
                          << " --help)" << std::endl;
                return usageStatus;
            } catch (const std::exception& e) {
                std::cerr << "kolvo " << s.name << ": " << e.what() << std::endl;
                return 1;
            }
        }
    }
    std::cerr << "kolvo: unknown subcommand \"" << name << "\" (see kolvo --help)" << std::endl;
    return usageStatus;
}
