// written_arrangement ORGAN ROLL: writes on standard output the
// arrangement that the player of ORGAN (165 or 150) hands to the
// synthesizer for ROLL, without the playback buffer's padding: the roll
// read by name, translated and written by the driver's own entry point.
// The reference for what `kolvo export` writes.

#include <cstring>
#include <iostream>
#include <sstream>

#include "driver.h"
#include "xlate150.h"
#include "xlate165.h"

int main(int argc, char** argv) {
    if (argc != 3 || (std::strcmp(argv[1], "165") != 0 && std::strcmp(argv[1], "150") != 0)) {
        std::cerr << "Usage: written_arrangement 165|150 ROLL" << std::endl;
        return 2;
    }
    const Organ& organ = std::strcmp(argv[1], "165") == 0 ? organ165 : organ150;
    MidiFile roll(argv[2]);
    std::ostringstream console;
    const std::string written = arrangeRoll(organ, roll, console);
    if (!rollRefusal(roll).empty() || !rollIsValid(organ)) {
        std::cerr << "written_arrangement: not a roll of this organ" << std::endl;
        return 1;
    }
    std::cout.write(written.data(), static_cast<std::streamsize>(written.size()));
    return 0;
}
