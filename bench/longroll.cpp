// longroll: a long roll for benchmarks, made by playing a roll's holes
// over and over until it lasts at least the given minutes.
//
//   longroll ROLL.mid MINUTES OUT.mid
//
// The texts and tempo of the roll come once, at its start; every copy of
// its holes follows the one before without a gap.

#include <cmath>
#include <cstdlib>
#include <iostream>

#include "MidiFile.h"

int main(int argc, char** argv) {
    if (argc != 4 || std::atof(argv[2]) <= 0.0) {
        std::cerr << "Usage: longroll ROLL.mid MINUTES OUT.mid" << std::endl;
        return 2;
    }
    MidiFile roll;
    if (!roll.read(argv[1]) || roll.getTrackCount() != 1 || roll.getNumEvents(0) == 0) {
        std::cerr << "longroll: " << argv[1] << " is not a one-track roll" << std::endl;
        return 1;
    }
    roll.absoluteTime();
    const int count = roll.getNumEvents(0);
    const int length = roll.getEvent(0, count - 1).time + roll.getTicksPerQuarterNote();
    const double seconds = roll.getTimeInSeconds(roll.getEvent(0, count - 1).time);
    const int copies = static_cast<int>(std::ceil(std::atof(argv[2]) * 60.0 / seconds));

    MidiFile out;
    out.absoluteTime();
    out.setTicksPerQuarterNote(roll.getTicksPerQuarterNote());
    for (int copy = 0; copy < copies; copy++) {
        for (int index = 0; index < count; index++) {
            MFEvent& e = roll.getEvent(0, index);
            const int status = e.data.getSize() == 3 ? e.data[0] & 0xF0 : 0;
            if (copy == 0 ? e.data[0] != 0xFF || e.data[1] != 0x2F
                          : status == 0x80 || status == 0x90) {
                out.addEvent(0, e.time + copy * length, e.data);
            }
        }
    }
    out.sortTracks();
    if (!out.write(argv[3])) {
        std::cerr << "longroll: cannot write " << argv[3] << std::endl;
        return 1;
    }
    std::cout << argv[3] << ": " << copies << " times " << argv[1] << std::endl;
    return 0;
}
