// kolvo dump: the library's text dump of any MIDI file.

#include <iostream>
#include <string>

#include "MidiFile.h"
#include "cli.h"
#include "librarymessages.h"
#include "roll.h"
#include "subcommands.h"

namespace {

const char* const help =
    "Usage: kolvo dump FILE.mid\n"
    "\n"
    "Prints the MIDI file as the MIDI file library sees it: its tracks, timing\n"
    "and every event with its absolute tick.  Any Standard MIDI File will do,\n"
    "a roll or an exported arrangement.\n"
    "\n"
    "  -h, --help  this help\n";

}  // namespace

int dumpCommand(int argc, char** argv) {
    CommandLine args(argc, argv);
    std::vector<std::string> files;
    while (args.more()) {
        if (args.flag("-h", "--help")) {
            std::cout << help;
            return 0;
        }
        files.push_back(args.operand());
    }
    if (files.size() != 1) {
        throw UsageError("dump takes one MIDI file");
    }
    RollFile file;
    std::string refusal;
    MidiFile midi;
    if (!loadRollFile(files[0], file, refusal) || !readMidiFile(file, midi, refusal)) {
        std::cerr << rollErrorLine(files[0], refusal) << std::endl;
        return 1;
    }
    std::cout << midi;
    return std::cout ? 0 : 1;
}
