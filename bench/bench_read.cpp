// Benchmark of reading, in a program that carries only the MIDI file
// library, so that its peak memory is the reading's own.
//
//   bench_read bytes FILE   plain read of the file's bytes into memory
//   bench_read read FILE    MidiFile::read
//
// Prints the seconds the read took, the bytes or events it gave and the
// peak memory in KiB.

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>

#include "MidiFile.h"
#include "peak_memory.h"

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "bytes") == 0) {
        const Clock::time_point start = Clock::now();
        std::ifstream in(argv[2], std::ios::binary | std::ios::ate);
        const std::streamoff size = in.tellg();
        std::unique_ptr<char[]> bytes(new char[static_cast<size_t>(size)]);
        in.seekg(0);
        in.read(bytes.get(), size);
        std::printf("%.6f %ld %ld\n", secondsSince(start), static_cast<long>(in.gcount()),
                    peakKilobytes());
        return 0;
    }
    if (argc == 3 && std::strcmp(argv[1], "read") == 0) {
        MidiFile file;
        const Clock::time_point start = Clock::now();
        const int status = file.read(argv[2]);
        const double seconds = secondsSince(start);
        long events = 0;
        for (int t = 0; t < file.getTrackCount(); t++) {
            events += file.getNumEvents(t);
        }
        std::printf("%.6f %ld %ld\n", seconds, events, peakKilobytes());
        return status ? 0 : 1;
    }
    std::fprintf(stderr, "Usage: bench_read bytes|read FILE\n");
    return 2;
}
