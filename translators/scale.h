// What the roll translators share: the velocities of soft and loud ranks,
// the soft delayed note, and the shape of a translator.  An organ's scale
// is a hole table, one row per hole naming the action the hole does: a
// sounding action places the hole's note on its voices, a control action
// works the organ's control state.  Translating a hole and describing it
// for tools are written once, here, for every organ; each organ keeps only
// what differs: its voices, its control rules, its actions and its table.

#ifndef KOLVO_SCALE_H
#define KOLVO_SCALE_H

#include <cstddef>
#include <string>

#include "organ.h"

namespace scale {

constexpr int softVelocity = 40;  // a rank while the shutter is closed
constexpr int loudVelocity = 65;  // a rank while the shutter is open
constexpr int softDelayedVelocity = 5;
constexpr double softDelay = 2.0;  // seconds of roll time

// One voice of a hole: a track of the arrangement (also its channel), the
// velocity it is played with, read when the hole is translated,
// optionally a flag without which it stays silent, and how long after
// the hole's start its note begins.
struct Voice {
    int track;
    const int& vel;
    const bool* onlyWhile = nullptr;
    double delay = 0.0;  // seconds of roll time
};

// What a hole does.  A sounding action places the hole's note on each of
// its voices, in order (a voice at velocity 0 places nothing: playnote
// drops it); a control action works the control state with the hole's
// start.
struct Action {
    HoleKind kind;
    const char* word;  // how its holes are labelled: see describeHole()
    const Voice* voices;
    int voiceCount;
    void (*work)(double start);
    int control;  // the row of the organ's controls that it switches; -1 for none
};

template <std::size_t N>
constexpr Action sounding(HoleKind kind, const char* word, const Voice (&voices)[N]) {
    return {kind, word, voices, static_cast<int>(N), nullptr, -1};
}

constexpr Action working(HoleKind kind, const char* word, void (*work)(double start),
                         int control = -1) {
    return {kind, word, nullptr, 0, work, control};
}

// The rule both Wurlitzer scales judge a roll by: at most two holes outside
// the scale, at least ten of the required holes.
constexpr ValidityRule wurlitzerValidity = {2, 10};

constexpr Action nothing = {HoleKind::Nothing, "Nothing", nullptr, 0, nullptr, -1};

// One row of a hole table.
struct HoleRow {
    int hole;
    const Action* action;
    int note;      // MIDI note of a sounding hole, 0 otherwise
    bool counted;  // in the required set by which a roll is judged
};

// A hole table has one row for every hole from lowestHole to highestHole,
// in order, so that a hole's row is found by its position.
template <std::size_t N>
constexpr bool rowsCoverScale(const HoleRow (&table)[N], int lowestHole, int highestHole) {
    int expected = lowestHole;
    for (const HoleRow& row : table) {
        if (row.hole != expected) {
            return false;
        }
        ++expected;
    }
    return expected == highestHole + 1;
}

// An organ's scale: its hole table and the controls its holes switch.
struct Scale {
    const HoleRow* rows;
    int lowestHole;
    int highestHole;
    Rows<OrganControl> controls;
};

// One completed hole: a hole outside the scale is only counted in
// outofrangecount; any other does its row's action, and afterwards is
// counted in requirednotecount when its row says so.
void translateHole(const Scale& scale, double start, double duration, int hole);

// What a hole of the scale does, as tools see it.  Its label: for a
// sounding hole the action's word and the note's name ("Bass C2"), for a
// drum the drum's name, for a control hole the label of the control it
// switches and the action's word ("Register c2" " on"), for any other the
// word alone ("Cancel").
HoleInfo describeHole(const Scale& scale, int hole);

// "C4" for note 60, "F#2" for 42.
std::string noteName(int note);

// The General MIDI percussion name of a drum note the scales use ("Bass
// drum" for 35), or "Drum" followed by the number for any other.
std::string drumName(int note);

}  // namespace scale

#endif
