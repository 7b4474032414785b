// kolvo: the companion program of the band-organ roll players.  One small
// dispatcher; each subcommand lives in a file of its own, and its options
// in the table of commands.

#include <exception>
#include <iostream>
#include <map>
#include <string>

#include "commands.h"
#include "librarymessages.h"
#include "subcommands.h"

namespace {

using Run = int (*)(const Arguments& args);

const std::map<std::string, Run> runs = {
    {"info", infoCommand}, {"export", exportCommand}, {"render", renderCommand},
    {"play", playCommand}, {"page", pageCommand},     {"view", viewCommand},
    {"fix", fixCommand},
    {"dump", dumpCommand},
};

}  // namespace

int main(int argc, char** argv) {
    installFatalHandler();
    if (argc < 2) {
        std::cerr << "kolvo: no subcommand (see kolvo --help)" << std::endl;
        return usageStatus;
    }
    const std::string name = argv[1];
    if (name == "-h" || name == "--help" || name == "help") {
        std::cout << programHelp();
        return 0;
    }
    if (name == "--version") {
        std::cout << "kolvo " << KOLVO_VERSION << std::endl;
        return 0;
    }
    const Command* command = commandNamed(name);
    if (command == nullptr) {
        std::cerr << "kolvo: unknown subcommand \"" << name << "\" (see kolvo --help)"
                  << std::endl;
        return usageStatus;
    }
    try {
        const Arguments args = parseArguments(*command, argc - 2, argv + 2);
        if (args.helpAsked()) {
            std::cout << helpText(*command);
            return 0;
        }
        setRollIntake(intakeOf(*command, args));
        return runs.at(name)(args);
    } catch (const UsageError& e) {
        std::cerr << "kolvo " << name << ": " << e.what() << " (see kolvo " << name << " --help)"
                  << std::endl;
        return usageStatus;
    } catch (const std::exception& e) {
        std::cerr << "kolvo " << name << ": " << e.what() << std::endl;
        return 1;
    }
}
