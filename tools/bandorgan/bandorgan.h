// The band-organ soundfont of the organs' arrangements: for every (bank,
// program) that an organ's layout selects, a preset of the rank the layout
// names, sampled across the notes that the organ's hole table sends to that
// track; and a drum kit (bank 128, program 0) for every percussion note.

#ifndef KOLVO_BANDORGAN_H
#define KOLVO_BANDORGAN_H

#include <string>
#include <vector>

#include "organ.h"
#include "soundfont.h"

struct BandOrgan {
    sf2::SoundFont font;
    std::vector<std::string> summary;  // one line per preset
};

const int drumBank = 128;
const int sampleRate = 44100;

// Throws std::runtime_error when the organs ask for what the soundfont
// cannot give: two ranks for one program, a program whose track no hole
// sounds, a drum it has no voice for.
BandOrgan buildBandOrgan(const std::vector<const Organ*>& organs);

#endif
