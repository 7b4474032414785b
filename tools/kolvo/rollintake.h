// Rolls as people have them, made into the one-track e-roll that the
// translators expect: a file saved by a MIDI editor (a conductor track of
// tempo and texts beside the note track) joined into one track, and holes
// numbered an octave or two off moved onto the scale.  Bytes in, bytes out.

#ifndef KOLVO_TOOL_ROLLINTAKE_H
#define KOLVO_TOOL_ROLLINTAKE_H

#include <string>

#include "roll.h"

// What the command line asks of every roll read: --shift N, --join.
struct RollIntake {
    int shift = 0;      // keys added to every hole
    bool join = false;  // notes on several tracks are joined too
};

// The keys a shift may move the holes by, and the shifts tried for advice,
// whole octaves.
const int largestShift = 127;
const int adviceShifts[] = {-12, 12, -24, 24};

// Makes `roll` the one-track e-roll its file stands for: tracks joined
// (every event at its tick, each track's events in their order, ties in
// track order; ends of track and system-exclusive messages left out) and
// holes shifted; a roll that needs neither keeps its bytes.  A file that
// the library does not read (a format 2 file too) is left for the
// arrangement to refuse.  False, with the rule and the refusal, when the
// notes of several tracks lie on several tracks or channels without
// `intake.join` (a one-track roll plays whatever its channels), or when a
// shift moves a hole off the tracker bar (0 to 127).
bool takeIn(RollFile& roll, const RollIntake& intake, const char*& rule,
            std::string& refusal);

// The intake of this run, set once from the command line.
void setRollIntake(const RollIntake& intake);
const RollIntake& rollIntake();

#endif
