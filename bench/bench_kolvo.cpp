// Benchmark program: makes the benchmark's input files and measures one
// phase of the library or the player per run, so that every measurement
// runs in a fresh process.  scripts/bench runs it and prints the table.
//
//   bench_kolvo roll ORGAN HOLES OUT     a valid roll of ORGAN (165 or 150)
//   bench_kolvo multitrack EVENTS OUT    a type 1 file of 16 tracks
//   bench_kolvo translate ORGAN FILE     the skeleton, metadata and note pass
//   bench_kolvo write ORGAN FILE         sorting and writing the arrangement
//   bench_kolvo run ORGAN FILE           everything up to the playing-time line
//   bench_kolvo arrangement ORGAN FILE OUT   what the passes print and the
//                                        arrangement they write, for comparing
//                                        two builds
//
// Reading alone is measured by bench_read, which carries only the library.
// A measuring run prints the seconds its phase took, the events it saw and
// the peak memory of the process in KiB.

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "MidiFile.h"
#include "Vlq.h"
#include "driver.h"
#include "peak_memory.h"
#include "runstate.h"
#include "organs.h"

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// A small deterministic generator, so that every run makes the same files.
struct Lcg {
    uint32_t state;
    uint32_t next() {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    }
    int pick(int count) { return static_cast<int>(next() % static_cast<uint32_t>(count)); }
};

const Organ& organNamed(const std::string& name) {
    if (const Organ* organ = findOrgan(name)) {
        return *organ;
    }
    std::cerr << "bench_kolvo: no organ " << name << std::endl;
    std::exit(2);
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        std::cerr << "bench_kolvo: cannot write " << path << std::endl;
        std::exit(2);
    }
}

// A roll of about `holes` holes at 120 ticks per quarter and 120 beats per
// minute, 13 holes a beat (26 a second) from the organ's own hole table:
// bass, accompaniment, melody, trumpet and percussion, and every eight bars
// a cancel, the register holes and a shutter hole.
std::string makeRoll(const Organ& organ, long holes) {
    std::vector<int> byKind[static_cast<int>(HoleKind::Nothing) + 1];
    for (int hole = organ.lowestHole; hole <= organ.highestHole; hole++) {
        byKind[static_cast<int>(organ.describeHole(hole).kind)].push_back(hole);
    }
    auto kind = [&](HoleKind k) -> const std::vector<int>& {
        return byKind[static_cast<int>(k)];
    };

    MidiFile roll;
    roll.setTicksPerQuarterNote(120);
    roll.absoluteTime();
    roll.addMetaEvent(0, 0, 0x03, "Benchmark roll");
    roll.addMetaEvent(0, 0, 0x02, "Public domain");
    Array<unsigned char> tempo;
    tempo.setSize(6);
    const unsigned char tempoBytes[6] = {0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20};
    for (int i = 0; i < 6; i++) {
        tempo[i] = tempoBytes[i];
    }
    roll.addEvent(0, 0, tempo);

    Lcg random{organ.lowestHole * 7919u};
    Array<unsigned char> note;
    note.setSize(3);
    long made = 0;
    auto hole = [&](int tick, int length, const std::vector<int>& choices) {
        if (choices.empty()) {
            return;
        }
        note[0] = 0x90;
        note[1] = static_cast<unsigned char>(choices[random.pick(static_cast<int>(choices.size()))]);
        note[2] = 64;
        roll.addEvent(0, tick, note);
        note[0] = 0x80;
        roll.addEvent(0, tick + length, note);
        made++;
    };
    for (int bar = 0; made < holes; bar++) {
        const int barTick = bar * 480;
        if (bar % 8 == 0) {
            hole(barTick, 20, kind(HoleKind::Cancel));
            for (int i = 0; i < 4; i++) {
                hole(barTick + 30, 20, kind(HoleKind::Register));
            }
            hole(barTick + 30, 20, kind(HoleKind::Shutter));
        }
        for (int beat = 0; beat < 4; beat++) {
            const int t = barTick + beat * 120;
            hole(t, 100, kind(HoleKind::Bass));
            for (int half = 0; half < 2; half++) {
                hole(t + half * 60, 50, kind(HoleKind::Accompaniment));
                hole(t + half * 60, 50, kind(HoleKind::Accompaniment));
                hole(t + half * 60, 55, kind(HoleKind::Melody));
                hole(t + half * 60, 55, kind(HoleKind::Melody));
                hole(t + half * 60, 58, kind(HoleKind::Trumpet));
                hole(t + half * 60, 20, kind(HoleKind::Percussion));
            }
        }
    }
    roll.sortTracks();
    std::ostringstream out;
    roll.write(out);
    return out.str();
}

void putVlq(std::string& out, uint32_t value) {
    unsigned char bytes[vlq::longestWritten];
    out.append(reinterpret_cast<const char*>(bytes), static_cast<size_t>(vlq::encode(value, bytes)));
}

// A generic type 1 file of `events` events in 16 tracks, written as
// sequencers write them, with running status: a tempo track, then 15
// tracks of notes (note-on with velocity 0 as note-off), controllers,
// pitch bends, program changes and now and then a text.
std::string makeMultitrack(long events) {
    const int tracks = 16;
    std::string file = "MThd";
    const unsigned char header[10] = {0, 0, 0, 6, 0, 1, 0, tracks, 0x01, 0xE0};
    file.append(reinterpret_cast<const char*>(header), sizeof header);

    Lcg random{12345};
    auto chunk = [&](const std::string& body) {
        file += "MTrk";
        const uint32_t length = static_cast<uint32_t>(body.size());
        for (int shift = 24; shift >= 0; shift -= 8) {
            file += static_cast<char>((length >> shift) & 0xFF);
        }
        file += body;
    };

    std::string body;
    long tempoEvents = 0;
    for (int i = 0; i < 64; i++) {
        putVlq(body, i == 0 ? 0 : 1920);
        const uint32_t micro = 400000 + random.pick(200000);
        body += std::string("\xFF\x51\x03", 3);
        body += static_cast<char>(micro >> 16);
        body += static_cast<char>(micro >> 8);
        body += static_cast<char>(micro);
        tempoEvents++;
    }
    body += std::string("\x00\xFF\x2F\x00", 4);
    chunk(body);

    const long perTrack = (events - tempoEvents - 1) / (tracks - 1);
    for (int t = 1; t < tracks; t++) {
        body.clear();
        const int channel = (t - 1) & 0x0F;
        long made = 0;
        body += std::string("\x00", 1);
        body += static_cast<char>(0xC0 | channel);
        body += static_cast<char>(random.pick(128));
        made++;
        int lastStatus = 0;
        auto status = [&](int s) {
            if (s != lastStatus) {
                body += static_cast<char>(s);
                lastStatus = s;
            }
        };
        while (made < perTrack - 1) {
            const int roll = random.pick(100);
            if (roll < 88) {
                const int key = 36 + random.pick(48);
                putVlq(body, static_cast<uint32_t>(random.pick(4) * 60));
                status(0x90 | channel);
                body += static_cast<char>(key);
                body += static_cast<char>(1 + random.pick(126));
                putVlq(body, static_cast<uint32_t>(30 + random.pick(200)));
                status(0x90 | channel);
                body += static_cast<char>(key);
                body += static_cast<char>(0);
                made += 2;
            } else if (roll < 95) {
                putVlq(body, static_cast<uint32_t>(random.pick(20)));
                status(0xB0 | channel);
                body += static_cast<char>(random.pick(120));
                body += static_cast<char>(random.pick(128));
                made++;
            } else if (roll < 99) {
                putVlq(body, static_cast<uint32_t>(random.pick(10)));
                status(0xE0 | channel);
                body += static_cast<char>(random.pick(128));
                body += static_cast<char>(random.pick(128));
                made++;
            } else {
                putVlq(body, 0);
                const std::string text = "cue " + std::to_string(made);
                body += std::string("\xFF\x01", 2);
                body += static_cast<char>(text.size());
                body += text;
                lastStatus = 0;
                made++;
            }
        }
        body += std::string("\x00\xFF\x2F\x00", 4);
        chunk(body);
    }
    return file;
}

long eventsIn(MidiFile& file) {
    long count = 0;
    for (int t = 0; t < file.getTrackCount(); t++) {
        count += file.getNumEvents(t);
    }
    return count;
}

void report(double seconds, long events) {
    std::printf("%.6f %ld %ld\n", seconds, events, peakKilobytes());
}

// Reads the roll and prepares the run state for translating it.
void prepare(const Organ& organ, MidiFile& roll, const char* path) {
    resetRunState();
    organ.resetControls();
    result = organ.marker;
    roll.read(path);
    if (!rollRefusal(roll).empty()) {
        std::cerr << "bench_kolvo: " << path << " is no roll" << std::endl;
        std::exit(2);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "roll" && argc == 5) {
        writeFile(argv[4], makeRoll(organNamed(argv[2]), std::atol(argv[3])));
        return 0;
    }
    if (mode == "multitrack" && argc == 4) {
        writeFile(argv[3], makeMultitrack(std::atol(argv[2])));
        return 0;
    }
    if (mode == "arrangement" && argc == 5) {
        const Organ& organ = organNamed(argv[2]);
        MidiFile roll;
        prepare(organ, roll, argv[3]);
        std::ostringstream printed;
        translateRoll(organ, roll, printed);
        writeFile(argv[4], printed.str() + "\n---\n" + writeArrangement());
        return 0;
    }
    if ((mode == "translate" || mode == "write" || mode == "run") && argc == 4) {
        const Organ& organ = organNamed(argv[2]);
        const char* path = argv[3];
        std::ostringstream quiet;
        if (mode == "run") {
            // The player's steps from reading the roll to the playing-time
            // line, without the synthesizer.
            const Clock::time_point start = Clock::now();
            resetRunState();
            organ.resetControls();
            result = organ.marker;
            MidiFile roll(path);
            if (!rollRefusal(roll).empty()) {
                return 1;
            }
            const double lastEnd = translateRoll(organ, roll, quiet);
            if (!rollIsValid(organ)) {
                return 1;
            }
            const std::string written = writeArrangement();
            quiet << playingTimeLine(lastEnd) << std::endl;
            report(secondsSince(start), roll.getNumEvents(0));
            return written.empty() ? 1 : 0;
        }
        MidiFile roll;
        prepare(organ, roll, path);
        Clock::time_point start = Clock::now();
        translateRoll(organ, roll, quiet);
        if (mode == "translate") {
            report(secondsSince(start), roll.getNumEvents(0));
            return 0;
        }
        start = Clock::now();
        const std::string written = writeArrangement();
        report(secondsSince(start), eventsIn(outputfile));
        return written.empty() ? 1 : 0;
    }
    std::cerr << "Usage: bench_kolvo roll ORGAN HOLES OUT | multitrack EVENTS OUT |\n"
                 "       bench_kolvo translate|write|run ORGAN FILE | arrangement ORGAN FILE OUT"
              << std::endl;
    return 2;
}
