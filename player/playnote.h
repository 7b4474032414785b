// Note emission: the one way the translators put sound into the output
// arrangement.

#ifndef KOLVO_PLAYNOTE_H
#define KOLVO_PLAYNOTE_H

// Adds a note-on and a note-off for `key` to track `track` of outputfile,
// on MIDI channel `channel` (counted from 1).  Start and duration are
// seconds of roll time.  A velocity of 0 or a duration below 0.01 s adds
// nothing.
void playnote(double start, double duration, int key, int velocity, int track, int channel);

#endif
