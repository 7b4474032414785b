// kolvo export: the arrangement that the player hands to the synthesizer,
// as a MIDI file.

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>

#include "cli.h"
#include "librarymessages.h"
#include "roll.h"
#include "subcommands.h"

namespace {

const char* const help =
    "Usage: kolvo export ROLL OUT.mid [--organ 165|150] [--tempo BPM]\n"
    "\n"
    "Writes the arrangement that kolvo165 or kolvo150 hands to the synthesizer\n"
    "(sixteen tracks, one voice each) as a Standard MIDI File, for a score\n"
    "editor or another synthesizer.  OUT.mid \"-\" writes to standard output.\n"
    "\n"
    "  --organ 165|150  the organ; found by trying both when not given\n"
    "  --tempo BPM      output tempo, 10.0 to 200.0; the roll's own by default\n"
    "  -h, --help       this help\n";

}  // namespace

int exportCommand(int argc, char** argv) {
    CommandLine args(argc, argv);
    std::vector<std::string> operands;
    const Organ* organ = nullptr;
    std::string tempo;
    while (args.more()) {
        if (args.flag("-h", "--help")) {
            std::cout << help;
            return 0;
        } else if (args.option("--organ")) {
            organ = organNamed(args.value());
        } else if (args.option("--tempo")) {
            tempo = checkedTempo(args.value());
        } else {
            operands.push_back(args.operand());
        }
    }
    if (operands.size() != 2) {
        throw UsageError("export takes a roll and an output file");
    }
    const std::string& out = operands[1];
    if (out == "-" && isatty(STDOUT_FILENO)) {
        throw UsageError("standard output is a terminal; a MIDI file goes to a file or a pipe");
    }

    Arrangement a;
    if (!arrangePlayable(operands[0], organ, tempo, a)) {
        return 1;
    }
    if (out == "-") {
        std::cout.write(a.file.data(), static_cast<std::streamsize>(a.file.size()));
        std::cout.flush();
        return std::cout ? 0 : 1;
    }
    std::ofstream file(out, std::ios::binary | std::ios::trunc);
    file.write(a.file.data(), static_cast<std::streamsize>(a.file.size()));
    file.close();
    if (!file) {
        std::cerr << "kolvo: " << out << ": cannot write: " << std::strerror(errno) << std::endl;
        return 1;
    }
    return 0;
}
