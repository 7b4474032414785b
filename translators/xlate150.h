// Wurlitzer 150 roll translation: the meaning of every hole of the 150
// scale, and the shutter, stop and bells state that its control holes
// switch.

#ifndef KOLVO_XLATE150_H
#define KOLVO_XLATE150_H

#include "organ.h"

extern bool shutteropen, bellson, stopon;
extern int stopgeneralvel, stopbellvel;
extern double stopgeneralontime, stopbellontime, shutterontime;
extern int snarevel;  // velocity of the snare drum, 65

// Translates one completed hole: start and duration in seconds of roll
// time, key = the key number of the roll's note.
void xlate150(double start, double duration, int key);

// Puts the shutter, stop and bells state back to its initial value.
void reset150Controls();

// Texts, tables and translator of kolvo150.
extern const OrganProfile organ150;

#endif
