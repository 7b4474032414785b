// How each rank of the band organ sounds, and which drum answers each
// percussion note.

#ifndef KOLVO_VOICES_H
#define KOLVO_VOICES_H

#include "organ.h"
#include "synthesis.h"

// A further rank that sounds with a rank's every note: quieter, a few
// cents apart and elsewhere in the facade, so that a held note beats.
struct ChorusRank {
    double cents;  // against the leading rank
    double level;  // dB against it
    int pan;
};

struct RankVoice {
    const char* name;       // of its presets and instrument: "Stopped Bass"
    const char* tag;        // of its samples: "StopBass"
    bool struck;            // bars: one-shot samples; otherwise pipes with a loop
    synth::Pipe pipe;
    synth::Bar bar;
    double level;           // dB of full scale: RMS of a held pipe, peak of a bar
    double release;         // seconds in which the sound dies once its hole closes
    double shutter;         // the closed shutter's cutoff, in fundamentals of the lowest key
    int pan;                // -500 (left) to 500 (right)
    int cents;              // tuning against equal temperament
    ChorusRank chorus[3];   // the ranks that sound with it, the first chorusRanks of them
    int chorusRanks;
};

const RankVoice& rankVoice(Rank rank);

struct DrumVoice {
    int note;               // General MIDI percussion key
    const char* name;
    synth::Drum drum;
    double level;           // dB of full scale at the peak
    int pan;
};

// The drum for a percussion note, or nullptr when the kit has none.
const DrumVoice* drumVoice(int note);

#endif
