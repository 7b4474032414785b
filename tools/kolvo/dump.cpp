// kolvo dump: the library's text dump of any MIDI file.

#include <iostream>
#include <string>

#include "MidiFile.h"
#include "librarymessages.h"
#include "roll.h"
#include "subcommands.h"

int dumpCommand(const Arguments& args) {
    const std::string& path = args.operands()[0];
    RollFile file;
    std::string refusal;
    MidiFile midi;
    if (!loadRollFile(path, file, refusal) || !readMidiFile(file, midi, refusal)) {
        std::cerr << rollErrorLine(path, refusal) << std::endl;
        return 1;
    }
    std::cout << midi;
    return std::cout ? 0 : 1;
}
