// The run state shared by the driver, the arrangement, the note emitter,
// the playback and the translators, with its start values.

#include "runstate.h"

#ifndef KOLVO_SOUNDFONT
#define KOLVO_SOUNDFONT "c:/kolvo/bandorgan.sf2"
#endif

// Every scalar of the run state with its start value, one row each: the
// program starts with these values and resetRunState() returns to them.
#define RUN_STATE_SCALARS(ROW)                \
    ROW(double, iptempo, 85.0)                \
    ROW(bool, iptempovalid, false)            \
    ROW(double, specifiedtempo, 85.0)         \
    ROW(bool, optempovalid, false)            \
    ROW(double, optempo, 85.0)                \
    ROW(int, tpq, 192)                        \
    ROW(int, numtracks, 0)                    \
    ROW(double, duration, 0.0)                \
    ROW(int, outofrangecount, 0)              \
    ROW(int, requirednotecount, 0)            \
    ROW(unsigned char*, op_buffer, nullptr)   \
    ROW(const char*, font, KOLVO_SOUNDFONT)   \
    ROW(double, deltatime, 0.07)              \
    ROW(int, percussionvel, 65)               \
    ROW(int, generalvel, 40)

#define DEFINE_SCALAR(type, name, start) type name = start;
RUN_STATE_SCALARS(DEFINE_SCALAR)
#undef DEFINE_SCALAR

// The objects start empty.  They are constructed in this order before main
// runs and destroyed in the reverse order at exit.
std::ostringstream os_buffer;
MidiFile outputfile;
Array<unsigned char> midievent;
Array<unsigned char> mididata;
std::string description;
std::string title;
std::string copyright;
MFEvent event;
std::string result;

void resetRunState() {
#define RESTORE_SCALAR(type, name, start) name = start;
    RUN_STATE_SCALARS(RESTORE_SCALAR)
#undef RESTORE_SCALAR

    os_buffer.str("");
    os_buffer.clear();
    // A MidiFile as constructed: one empty track, split, delta, 48 ticks
    // per quarter note.
    outputfile.erase();
    outputfile.deltaTime();
    outputfile.setTicksPerQuarterNote(48);
    midievent = Array<unsigned char>();
    mididata = Array<unsigned char>();
    description.clear();
    title.clear();
    copyright.clear();
    event = MFEvent();
    result.clear();
}
