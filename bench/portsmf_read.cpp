// Reference reader for the benchmark: Debian's portsmf (C++, allegro)
// reads a file into an Alg_seq.  Prints the seconds that took and the
// events it holds (a note-on and its note-off make one note) and the peak
// memory in KiB.
//
//   portsmf_read FILE

// allegro.h uses memcpy without including its header.
#include <cstring>

#include <allegro.h>

#include <chrono>
#include <cstdio>

#include "peak_memory.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "Usage: portsmf_read FILE\n");
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    Alg_seq seq(argv[1], true);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (seq.get_read_error() != alg_no_error) {
        return 1;
    }
    long events = 0;
    for (int t = 0; t < seq.tracks(); t++) {
        events += seq.track(t)->length();
    }
    std::printf("%.6f %ld %ld\n", seconds, events, peakKilobytes());
    return 0;
}
