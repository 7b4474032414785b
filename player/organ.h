// What sets the two programs apart: texts, the arrangement's track layout
// and bank, and the roll translator.

#ifndef KOLVO_ORGAN_H
#define KOLVO_ORGAN_H

// One named track of the arrangement: its name, and the program it gets
// from the organ's bank.  The track number is also its MIDI channel.
struct TrackLayout {
    int track;
    const char* name;
    int program;
};

using Translator = void (*)(double start, double duration, int key);

struct OrganProfile {
    const char* bannerLine;   // "Play Wurlitzer 165 e-roll, v2.01"
    const char* creditLine;   // the banner's second line: program and copyright holder
    const char* usageTail;    // "  w165e-roll.mid [optempo]"
    const char* invalidRoll;  // "Invalid w165 e-roll"
    const char* marker;       // "w165k-v", the marker text of the arrangement
    int bank;                 // bank of the soundfont that the arrangement selects
    const TrackLayout* layout;
    int layoutRows;
    Translator translate;     // xlate165 or xlate150
};

// The layouts of the two organs, in the order their events are added.
extern const TrackLayout layout165[];
extern const int layout165Rows;
extern const TrackLayout layout150[];
extern const int layout150Rows;

#endif
