// The whole program of kolvo165 and kolvo150.  It alone of the driver
// sounds, so it lives with the synthesizer, apart from the steps it runs.

#ifndef KOLVO_RUNROLL_H
#define KOLVO_RUNROLL_H

#include "organ.h"

// Banner, arguments, synthesizer, reading, translation, validity test,
// playback.  Returns the exit status.
int runRoll(const Organ& organ, int argc, char** argv);

#endif
