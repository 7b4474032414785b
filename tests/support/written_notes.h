// Random rolls and the checks that every note of their written arrangement
// is stopped, for the arrangement tests of both organs.

#ifndef KOLVO_WRITTEN_NOTES_H
#define KOLVO_WRITTEN_NOTES_H

#include <algorithm>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "MidiFile.h"
#include "driver.h"
#include "organ.h"
#include "runstate.h"
#include "written_file.h"

// A random roll in absolute time: a small or ordinary division, no tempo or
// one tempo event (sometimes out of range), and holes on keys from
// `lowKey` to `highKey` (now and then on any key up to 255) of every
// length from none to several beats, closed by a note-off or a note-on of
// velocity 0, among them reopened keys, overlapping holes and closings
// without an opening.
inline void randomRoll(MidiFile& roll, std::mt19937& random, int lowKey, int highKey) {
    auto pick = [&random](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    static const int divisions[] = {1, 2, 3, 7, 24, 48, 96, 100, 120, 192, 480};
    const int division = divisions[pick(0, 10)];
    roll.absoluteTime();
    roll.setTicksPerQuarterNote(division);

    struct Timed {
        int tick;
        std::vector<unsigned char> bytes;
    };
    std::vector<Timed> events;
    const int tempoChoice = pick(0, 3);
    if (tempoChoice > 0) {
        static const long tempi[] = {500000, 705882, 6000000, 7000000, 250000, 1234567};
        const long micro = tempi[pick(0, 5)];
        events.push_back({0, {0xFF, 0x51, 0x03, static_cast<unsigned char>(micro >> 16),
                              static_cast<unsigned char>(micro >> 8),
                              static_cast<unsigned char>(micro)}});
    }
    const int holes = pick(10, 80);
    int clock = 0;
    for (int i = 0; i < holes; i++) {
        clock += pick(0, 3 * division);
        int key = pick(lowKey, highKey);
        if (pick(0, 19) == 0) {
            // Anywhere, even a data byte no proper file holds.
            key = pick(0, 255);
        }
        int length;
        switch (pick(0, 4)) {
            case 0: length = 0; break;
            case 1: length = 1; break;
            case 2: length = pick(1, 4); break;
            default: length = pick(1, 4 * division); break;
        }
        const unsigned char k = static_cast<unsigned char>(key);
        const unsigned char channel = static_cast<unsigned char>(pick(0, 15));
        events.push_back({clock, {static_cast<unsigned char>(0x90 | channel), k, 64}});
        if (pick(0, 9) == 0) {
            // Opened again before it closes.
            events.push_back({clock + length / 2, {0x90, k, 64}});
        }
        if (pick(0, 1) == 0) {
            events.push_back({clock + length, {0x80, k, 0}});
        } else {
            events.push_back({clock + length, {0x90, k, 0}});
        }
        if (pick(0, 14) == 0) {
            events.push_back({clock + length + pick(0, division), {0x80, k, 0}});
        }
    }
    std::stable_sort(events.begin(), events.end(),
                     [](const Timed& a, const Timed& b) { return a.tick < b.tick; });
    for (Timed& e : events) {
        Array<unsigned char> data(static_cast<int>(e.bytes.size()));
        for (size_t b = 0; b < e.bytes.size(); b++) {
            data[static_cast<int>(b)] = e.bytes[b];
        }
        roll.addEvent(0, e.tick, data);
    }
}

// The roll arranged for `organ` and written, read back with the reader
// above.
inline WrittenFile arrangedAndWritten(const Organ& organ, MidiFile& roll) {
    std::ostringstream quiet;
    return readWrittenFile(arrangeRoll(organ, roll, quiet));
}

// A hole one tick long at `key` of a sounding rank, at 48 ticks per quarter
// note and the default 85 beats per minute: the end of a hole from tick 1
// to tick 2 converts back to just below tick 2, where its note would start.
// Its note must still be stopped.
inline void expectOneTickHoleEnds(const Organ& organ, int key) {
    MidiFile roll;
    roll.absoluteTime();
    roll.setTicksPerQuarterNote(48);
    Array<unsigned char> on(3);
    on[0] = 0x90;
    on[1] = static_cast<unsigned char>(key);
    on[2] = 64;
    Array<unsigned char> off = on;
    off[0] = 0x80;
    roll.addEvent(0, 1, on);
    roll.addEvent(0, 2, off);
    const WrittenFile file = arrangedAndWritten(organ, roll);
    ASSERT_EQ(file.error, "");
    int notes = 0;
    for (const WrittenMessage& m : file.messages) {
        if ((m.status & 0xF0) == 0x90) {
            notes++;
        }
    }
    EXPECT_GT(notes, 0);
    EXPECT_EQ(unstoppedNotes(file), std::vector<std::string>{});
}

// Three hundred random rolls with holes from `lowKey` to `highKey`, each
// translated from the initial state: every note of every written
// arrangement is stopped after it starts.
inline void expectRandomRollsStopEveryNote(const Organ& organ, void (*resetControls)(),
                                           unsigned seed, int lowKey, int highKey) {
    std::mt19937 random(seed);
    for (int round = 0; round < 300; round++) {
        resetRunState();
        resetControls();
        MidiFile roll;
        randomRoll(roll, random, lowKey, highKey);
        const WrittenFile file = arrangedAndWritten(organ, roll);
        ASSERT_EQ(file.error, "") << "roll " << round;
        ASSERT_EQ(file.tracks, 16) << "roll " << round;
        ASSERT_EQ(file.division, roll.getTicksPerQuarterNote()) << "roll " << round;
        const std::vector<std::string> faults = unstoppedNotes(file);
        ASSERT_TRUE(faults.empty()) << "roll " << round << ": " << faults.front();
    }
}

#endif
