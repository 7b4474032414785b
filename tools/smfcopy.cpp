// smfcopy: reads a Standard MIDI File with the library and writes it again,
// or lists its events in a plain form for comparison with other tools.
//
//   smfcopy IN OUT      read IN, write it to OUT
//   smfcopy --dump IN   one line per event: track, absolute tick, the data
//                       bytes in lower-case hex, separated by blanks
//
// Exit status: 0 on success, 1 when IN cannot be read or OUT cannot be
// written, 2 for a wrong command line.

#include <cstdio>
#include <cstring>
#include <iostream>

#include "MidiFile.h"

namespace {

void usage() {
    std::cerr << "Usage: smfcopy IN OUT" << std::endl;
    std::cerr << "       smfcopy --dump IN" << std::endl;
}

int dump(const char* name) {
    MidiFile midifile;
    if (!midifile.read(name)) {
        std::cerr << "smfcopy: cannot read " << name << std::endl;
        return 1;
    }
    midifile.absoluteTime();
    int tracks = midifile.getTrackCount();
    for (int t = 0; t < tracks; t++) {
        int count = midifile.getNumEvents(t);
        for (int i = 0; i < count; i++) {
            MFEvent& event = midifile.getEvent(t, i);
            std::printf("%d %d", t, event.time);
            int size = static_cast<int>(event.data.getSize());
            const unsigned char* bytes = event.data.getBase();
            for (int k = 0; k < size; k++) {
                std::printf(" %02x", bytes[k]);
            }
            std::printf("\n");
        }
    }
    return 0;
}

int copy(const char* in, const char* out) {
    MidiFile midifile;
    if (!midifile.read(in)) {
        std::cerr << "smfcopy: cannot read " << in << std::endl;
        return 1;
    }
    if (!midifile.write(out)) {
        std::cerr << "smfcopy: cannot write " << out << std::endl;
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--dump") == 0) {
        return dump(argv[2]);
    }
    if (argc == 3 && argv[1][0] != '-') {
        return copy(argv[1], argv[2]);
    }
    usage();
    return 2;
}
