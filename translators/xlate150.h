// The Wurlitzer 150: the meaning of every hole of the 150 scale, the
// shutter, stop and bells state that its control holes switch, and its
// record.

#ifndef KOLVO_XLATE150_H
#define KOLVO_XLATE150_H

#include "organ.h"

// The control state, in a namespace of its own so that both organs can be
// linked into one program.
namespace w150 {

// The scale: holes 24 to 77.
const int lowestHole = 24;
const int highestHole = 77;

extern bool shutteropen, bellson, stopon;
extern int stopgeneralvel, stopbellvel;
extern double stopgeneralontime, stopbellontime, shutterontime;
extern int snarevel;  // velocity of the snare drum, 65

}  // namespace w150

// Translates one completed hole: start and duration in seconds of roll
// time, hole = the key number of the roll's note.
void xlate150(double start, double duration, int hole);

// Puts the shutter, stop and bells state back to its initial value.
void reset150Controls();

// What a hole from 24 to 77 does, read from the hole table.
HoleInfo describeHole150(int hole);

// The Wurlitzer 150 as the registry lists it (organs.h): texts, scale,
// translator, controls and arrangement.
extern const Organ organ150;

#endif
