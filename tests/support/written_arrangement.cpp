// written_arrangement ORGAN ROLL: writes on standard output the
// arrangement that the player of ORGAN (165 or 150) hands to the
// synthesizer for ROLL, without the playback buffer's padding: the roll
// read by name, translated and written by the driver's own entry point.
// The reference for what `kolvo export` writes.

#include <iostream>
#include <sstream>

#include "driver.h"
#include "organs.h"

int main(int argc, char** argv) {
    const Organ* organ = argc == 3 ? findOrgan(argv[1]) : nullptr;
    if (organ == nullptr) {
        std::cerr << "Usage: written_arrangement " << organNames("|", "|") << " ROLL" << std::endl;
        return 2;
    }
    MidiFile roll(argv[2]);
    std::ostringstream console;
    const std::string written = arrangeRoll(*organ, roll, console);
    if (!rollRefusal(roll).empty() || !rollIsValid(*organ)) {
        std::cerr << "written_arrangement: not a roll of this organ" << std::endl;
        return 1;
    }
    std::cout.write(written.data(), static_cast<std::streamsize>(written.size()));
    return 0;
}
