// Run state: the process-wide variables that the driver, the output
// arrangement, the note emitter, the playback and the translators share.
// One process plays one roll, so the program itself never resets them;
// resetRunState() exists for tests and for callers that translate several
// rolls in one process.

#ifndef KOLVO_RUNSTATE_H
#define KOLVO_RUNSTATE_H

#include <sstream>
#include <string>

#include "MidiFile.h"

extern double iptempo;          // input tempo, beats per minute: ticks to roll seconds
extern bool iptempovalid;       // the roll's last tempo event lay within 10 to 200
extern double specifiedtempo;   // output tempo given on the command line
extern bool optempovalid;       // an output tempo was given on the command line
extern double optempo;          // tempo at which the arrangement plays
extern int tpq;                 // ticks per quarter note of roll and arrangement
extern int numtracks;           // tracks in the e-roll
extern MFEvent event;           // roll event under inspection in the metadata pass
extern std::string copyright;   // copyright text under inspection
extern std::string title;       // track-name text under inspection
extern std::string description; // text under inspection
extern double duration;         // duration of the hole that completed last
extern int outofrangecount;     // holes outside the organ's scale
extern int requirednotecount;   // holes of the keys the translator requires
extern MidiFile outputfile;     // the output arrangement
extern Array<unsigned char> midievent;  // scratch bytes of one channel message
extern Array<unsigned char> mididata;   // scratch bytes of the output tempo event
extern std::string result;      // marker text written into the arrangement
extern std::ostringstream os_buffer;    // the arrangement written as a MIDI file
extern unsigned char* op_buffer;        // the written file as handed to the player
extern const char* font;        // path of the soundfont
extern double deltatime;        // grace period of the cancel hole, roll seconds
extern int percussionvel;       // velocity of the percussion notes
extern int generalvel;          // velocity of the ranks that always play

// Puts every variable above back to the value the program starts with
// (outputfile becomes one empty track again, delta, 48 ticks per quarter
// note; the other objects empty).
void resetRunState();

#endif
