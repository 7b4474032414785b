// The Wurlitzer 165: the meaning of every hole of the 165 scale, the
// register and shutter state that its control holes switch, and its record.

#ifndef KOLVO_XLATE165_H
#define KOLVO_XLATE165_H

#include "organ.h"

// The control state, in a namespace of its own so that both organs can be
// linked into one program.
namespace w165 {

// The scale: holes 24 to 98.
const int lowestHole = 24;
const int highestHole = 98;

// Register velocities: 0 while the register is off, 40 or 65 while on.
extern int a7vel, c2vel, gsharp2vel, gsharp7vel, a2vel, g7vel, d2orf2vel, g2vel;
extern bool shutteropen;
extern bool a7open, c2open, gsharp2open, gsharp7open, a2open, g7open, d2orf2open, g2open;
// Start of the hole that last switched each register on, roll seconds.
extern double a7opentime, c2opentime, gsharp2opentime, gsharp7opentime, a2opentime,
    g7opentime, d2orf2opentime, g2opentime, shutteropentime;

}  // namespace w165

// Translates one completed hole: start and duration in seconds of roll
// time, hole = the key number of the roll's note.
void xlate165(double start, double duration, int hole);

// Puts the register and shutter state back to its initial value.
void reset165Controls();

// What a hole from 24 to 98 does, read from the hole table.
HoleInfo describeHole165(int hole);

// The Wurlitzer 165 as the registry lists it (organs.h): texts, scale,
// translator, controls and arrangement.
extern const Organ organ165;

#endif
