// The run state shared by the driver, the arrangement, the note emitter,
// the playback and the translators, with its initial values.

#include "runstate.h"

#ifndef KOLVO_SOUNDFONT
#define KOLVO_SOUNDFONT "c:/kolvo/bandorgan.sf2"
#endif

double iptempo = 85.0;
bool iptempovalid = false;
double specifiedtempo = 85.0;
bool optempovalid = false;
double optempo = 85.0;
int tpq = 192;
int numtracks = 0;
double duration = 0.0;
int outofrangecount = 0;
int requirednotecount = 0;
unsigned char* op_buffer = nullptr;
const char* font = KOLVO_SOUNDFONT;
double deltatime = 0.07;
int percussionvel = 65;
int generalvel = 40;

// The objects are constructed in this order before main runs and destroyed
// in the reverse order at exit.
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
    iptempo = 85.0;
    iptempovalid = false;
    specifiedtempo = 85.0;
    optempovalid = false;
    optempo = 85.0;
    tpq = 192;
    numtracks = 0;
    duration = 0.0;
    outofrangecount = 0;
    requirednotecount = 0;
    op_buffer = nullptr;
    font = KOLVO_SOUNDFONT;
    deltatime = 0.07;
    percussionvel = 65;
    generalvel = 40;

    os_buffer.str("");
    os_buffer.clear();
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
