// Benchmark: how fast a roll is read, translated into its arrangement and
// written.  Prints figures; asserts nothing.
//
//   bench_kolvo [ROLL.mid]   (a long synthetic 165 roll when none is given)

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "MidiFile.h"
#include "driver.h"
#include "runstate.h"
#include "xlate165.h"

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// A 165 roll of `bars` bars at 120 ticks per quarter: bass, accompaniment,
// melody and trumpet holes on every beat, register and shutter holes and a
// cancel every eight bars.
std::string syntheticRoll(int bars) {
    MidiFile roll;
    roll.setTicksPerQuarterNote(120);
    roll.absoluteTime();
    roll.addMetaEvent(0, 0, 0x03, "Benchmark roll");
    Array<unsigned char> tempo;
    tempo.setSize(6);
    const unsigned char bytes[6] = {0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20};
    for (int i = 0; i < 6; i++) {
        tempo[i] = bytes[i];
    }
    roll.addEvent(0, 0, tempo);
    Array<unsigned char> note;
    note.setSize(3);
    auto hole = [&](int tick, int length, int key) {
        note[0] = 0x90;
        note[1] = static_cast<unsigned char>(key);
        note[2] = 64;
        roll.addEvent(0, tick, note);
        note[0] = 0x80;
        roll.addEvent(0, tick + length, note);
    };
    for (int bar = 0; bar < bars; bar++) {
        const int barTick = bar * 480;
        if (bar % 8 == 0) {
            hole(barTick, 20, 75);  // cancel
            for (int control : {24, 25, 26, 32, 33, 91, 92, 93}) {
                hole(barTick + 30, 20, control);
            }
            hole(barTick + 30, 20, bar % 16 == 0 ? 94 : 28);
        }
        for (int beat = 0; beat < 4; beat++) {
            const int t = barTick + beat * 120;
            hole(t, 100, 35 + (bar + beat) % 6);
            hole(t + 60, 50, 42 + beat * 2);
            hole(t + 60, 50, 46 + beat);
            hole(t, 110, 53 + (bar * 3 + beat) % 22);
            hole(t, 110, 78 + (bar + beat) % 10);
            hole(t, 30, beat % 2 ? 96 : 90);
        }
    }
    roll.sortTracks();
    std::ostringstream out;
    roll.write(out);
    return out.str();
}

}  // namespace

int main(int argc, char** argv) {
    std::string path = "/tmp/kolvo-bench-roll.mid";
    if (argc > 1) {
        path = argv[1];
    } else {
        std::ofstream(path, std::ios::binary) << syntheticRoll(1200);
    }

    const int readRounds = 20;
    Clock::time_point start = Clock::now();
    long events = 0;
    for (int i = 0; i < readRounds; i++) {
        MidiFile roll(path.c_str());
        events = roll.getNumEvents(0);
    }
    const double readSeconds = secondsSince(start) / readRounds;
    std::ifstream sizer(path, std::ios::binary | std::ios::ate);
    const double bytes = static_cast<double>(sizer.tellg());

    const int arrangeRounds = 10;
    std::string written;
    double arrangeSeconds = 0.0;
    double writeSeconds = 0.0;
    for (int i = 0; i < arrangeRounds; i++) {
        resetRunState();
        reset165Controls();
        MidiFile roll(path.c_str());
        std::ostringstream quiet;
        start = Clock::now();
        translateRoll(organ165, roll, quiet);
        arrangeSeconds += secondsSince(start);
        start = Clock::now();
        written = writeArrangement();
        writeSeconds += secondsSince(start);
    }
    arrangeSeconds /= arrangeRounds;
    writeSeconds /= arrangeRounds;

    std::printf("roll: %s, %.0f bytes, %ld events\n", path.c_str(), bytes, events);
    std::printf("read:                 %8.2f ms  (%.1f MB/s, %.2f M events/s)\n",
                readSeconds * 1e3, bytes / readSeconds / 1e6, events / readSeconds / 1e6);
    std::printf("translate:            %8.2f ms  (%.2f M roll events/s)\n",
                arrangeSeconds * 1e3, events / arrangeSeconds / 1e6);
    std::printf("sort and write:       %8.2f ms  (%zu bytes written)\n", writeSeconds * 1e3,
                written.size());
    std::printf("roll to arrangement:  %8.2f ms\n",
                (readSeconds + arrangeSeconds + writeSeconds) * 1e3);
    return 0;
}
