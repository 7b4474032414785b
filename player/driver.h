// The run driver shared by kolvo165 and kolvo150: the steps of one run,
// from the command line to the end of playback.  Each step is a function
// of its own so that it can be run without the synthesizer; runRoll()
// (runroll.h) is the whole program.

#ifndef KOLVO_DRIVER_H
#define KOLVO_DRIVER_H

#include <iosfwd>
#include <string>

#include "MidiFile.h"
#include "organ.h"

// Limits of an input or output tempo, beats per minute, both accepted.
const double lowestTempo = 10.0;
const double highestTempo = 200.0;

// An empty line, the organ's banner line, its credit line, an empty line.
void printBanner(const Organ& organ, std::ostream& out);

// The tempo an output tempo argument gives: read as a decimal number from
// its start, the rest ignored; a non-number reads as 0.
double tempoArgument(const char* argument);

// A finite tempo within the limits.
bool tempoInRange(double beatsPerMinute);

// Reads the output tempo argument (tempoArgument), records it in
// specifiedtempo and optempovalid, and tells whether it is in range.
bool acceptOutputTempo(const char* argument);

// Why a roll as read cannot be played: it has other than one track, or no
// usable ticks per quarter note.  Sets numtracks.  Empty when the roll can
// be translated.
std::string rollRefusal(MidiFile& roll);

// Prints the roll's copyright, title, text and tempo events in their order,
// copies the texts into outputfile and reads the input tempo.  Needs the
// roll in absolute time and outputfile laid out.
void metadataPass(MidiFile& roll, std::ostream& out);

// optempo: the command line's tempo, else the roll's when in range, else
// the default.
void chooseOutputTempo();

// Pairs every hole's opening with its closing and hands each completed hole
// to the organ's translator, in the order the holes close.  A closing with
// no open hole at its key is passed over.  Stops as soon as more holes lay
// outside the organ's scale than its validity rule allows: the roll can no
// longer be valid.
// Returns the end, in seconds of roll time, of the hole that completed last
// (0.0 without holes).
double notePass(const Organ& organ, MidiFile& roll);

// The translator's counters show a roll of this organ, by its validity
// rule.
bool rollIsValid(const Organ& organ);

// Everything between reading and the validity test: the skeleton of
// outputfile, the metadata pass (printing to `out`), the output tempo and
// its event, and the note pass.  Returns the last end time.
double translateRoll(const Organ& organ, MidiFile& roll, std::ostream& out);

// Sorts the tracks of outputfile, writes it into os_buffer and returns a
// copy of the bytes written; an empty string when the arrangement cannot be
// written (see unwritableArrangement in messages.h).
std::string writeArrangement();

// translateRoll() and writeArrangement() for a roll built or read by the
// caller, with `result` set to the organ's marker.  The validity test is
// left to the caller.  The last end time goes to `lastEnd` when given.
std::string arrangeRoll(const Organ& organ, MidiFile& roll, std::ostream& out,
                        double* lastEnd = nullptr);

// Whole seconds until the hole that ends at `lastEnd` seconds of roll time
// has played at optempo, and the line that reports them: "Playing time: M
// minutes S seconds".
int playingSeconds(double lastEnd);
std::string playingTimeLine(double lastEnd);

#endif
