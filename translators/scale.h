// What the two roll translators share: the velocities of soft and loud
// ranks, the soft delayed note, the voices a hole sounds on, the check that
// a hole table has one row per hole of its scale, the dispatch frame that
// counts holes, and the names tools give to holes and notes.  Each
// translator keeps only what differs: its hole table and its control rules.

#ifndef KOLVO_SCALE_H
#define KOLVO_SCALE_H

#include <cstddef>
#include <string>
#include <utility>

#include "organ.h"
#include "playnote.h"
#include "runstate.h"

namespace scale {

const int softVelocity = 40;  // a rank while the shutter is closed
const int loudVelocity = 65;  // a rank while the shutter is open
const int softDelayedVelocity = 5;
const double softDelay = 2.0;  // seconds of roll time

// One voice of a hole: a track of the arrangement (also its channel), the
// velocity it is played with, read when the hole is translated, and
// optionally a flag without which it stays silent.
struct Voice {
    int track;
    const int& vel;
    const bool* onlyWhile = nullptr;
};

// Places the hole's note on every voice, in order.  A voice at velocity 0
// places nothing (playnote drops it).
template <std::size_t N>
void sound(const Voice (&voices)[N], double start, double duration, int note) {
    for (const Voice& v : voices) {
        if (v.onlyWhile != nullptr && !*v.onlyWhile) {
            continue;
        }
        playnote(start, duration, note, v.vel, v.track, v.track);
    }
}

// Describes a sounding hole: its kind, its label and the tracks of its
// voices, in order.
template <std::size_t N>
void describeSounding(HoleInfo& info, HoleKind kind, std::string label,
                      const Voice (&voices)[N]) {
    info.kind = kind;
    info.label = std::move(label);
    for (const Voice& v : voices) {
        info.tracks.push_back(v.track);
    }
}

// A hole table has one row for every hole from lowestHole to highestHole,
// in order, so that a hole's row is found by its position.
template <class Row, std::size_t N>
constexpr bool rowsCoverScale(const Row (&table)[N], int lowestHole, int highestHole) {
    int expected = lowestHole;
    for (const Row& row : table) {
        if (row.hole != expected) {
            return false;
        }
        ++expected;
    }
    return expected == highestHole + 1;
}

// One completed hole: a hole outside the scale is only counted in
// outofrangecount; any other is acted on by its row, and afterwards counted
// in requirednotecount when its row says so.
template <class Row, std::size_t N, class Act>
void translateHole(const Row (&table)[N], int lowestHole, int highestHole, double start,
                   double duration, int hole, Act act) {
    if (hole < lowestHole || hole > highestHole) {
        ++outofrangecount;
        return;
    }
    const Row& row = table[hole - lowestHole];
    act(row, start, duration);
    if (row.counted) {
        ++requirednotecount;
    }
}

// "C4" for note 60, "F#2" for 42.
std::string noteName(int note);

// The General MIDI percussion name of a drum note the scales use ("Bass
// drum" for 35), or "Drum" followed by the number for any other.
std::string drumName(int note);

}  // namespace scale

#endif
