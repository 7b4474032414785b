// The voice of every rank and drum.
//
// Each rank is written field by field.  Pipes: the spectrum of the held
// tone (see synth::Spectrum), the speech and the wind.  Flues speak with
// their upper partials first and a puff of chiff; reeds speak fast, their
// upper partials a little late, with a click of the tongue.  Bars: their
// partials, the mallet, the click and the length.  Then the level, the
// release, how far a closed swell shutter muffles the rank, its place in
// the facade (pan) and its tuning: ranks lie a cent or two apart, as in an
// organ, so that unisons of several ranks beat gently instead of fusing
// into one.  The violins sound with a chorus of further ranks.

#include "voices.h"

#include <iterator>

namespace {

using synth::DrumKind;

constexpr double flueRelease = 0.12;
constexpr double bassRelease = 0.2;
constexpr double reedRelease = 0.08;

constexpr RankVoice pipeRank(const char* name, const char* tag) {
    RankVoice v{};
    v.name = name;
    v.tag = tag;
    v.struck = false;
    return v;
}

constexpr RankVoice barRank(const char* name, const char* tag) {
    RankVoice v{};
    v.name = name;
    v.tag = tag;
    v.struck = true;
    return v;
}

// Stopped wood: round, the odd partials only.
constexpr RankVoice stoppedBass() {
    RankVoice v = pipeRank("Stopped Bass", "StopBass");
    v.pipe.spectrum.upper = 0.6;
    v.pipe.spectrum.tilt = 1.3;
    v.pipe.spectrum.even = 0.08;
    v.pipe.spectrum.brightHz = 1200;
    v.pipe.spectrum.rolloff = 12;
    v.pipe.attack = 0.06;
    v.pipe.upperLead = 0.3;
    v.pipe.chiff = 0.08;
    v.pipe.chiffAt = 3;
    v.pipe.chiffTime = 0.02;
    v.pipe.breath = 0.01;
    v.pipe.breathAt = 4;
    v.level = -10;
    v.release = bassRelease;
    v.shutter = 2;
    v.pan = -100;
    v.cents = 0;
    return v;
}

constexpr RankVoice openBass() {
    RankVoice v = pipeRank("Open Bass", "OpenBass");
    v.pipe.spectrum.upper = 0.5;
    v.pipe.spectrum.tilt = 1.0;
    v.pipe.spectrum.even = 1.0;
    v.pipe.spectrum.brightHz = 1500;
    v.pipe.spectrum.rolloff = 9;
    v.pipe.attack = 0.05;
    v.pipe.upperLead = 0.4;
    v.pipe.chiff = 0.1;
    v.pipe.chiffAt = 3;
    v.pipe.chiffTime = 0.02;
    v.pipe.breath = 0.01;
    v.pipe.breathAt = 4;
    v.level = -10;
    v.release = bassRelease;
    v.shutter = 2;
    v.pan = 100;
    v.cents = 1;
    return v;
}

// Narrow open basses: many partials, keen.
constexpr RankVoice stringBass() {
    RankVoice v = pipeRank("String Bass", "StrBass");
    v.pipe.spectrum.upper = 0.65;
    v.pipe.spectrum.tilt = 0.55;
    v.pipe.spectrum.even = 1.0;
    v.pipe.spectrum.brightHz = 3000;
    v.pipe.spectrum.rolloff = 6;
    v.pipe.attack = 0.07;
    v.pipe.upperLead = 0.5;
    v.pipe.chiff = 0.05;
    v.pipe.chiffAt = 6;
    v.pipe.chiffTime = 0.02;
    v.pipe.breath = 0.004;
    v.pipe.breathAt = 8;
    v.level = -13;
    v.release = bassRelease;
    v.shutter = 4;
    v.pan = 100;
    v.cents = -1;
    return v;
}

constexpr RankVoice trombone() {
    RankVoice v = pipeRank("Trombone", "Trombone");
    v.pipe.spectrum.upper = 0.8;
    v.pipe.spectrum.tilt = 0.3;
    v.pipe.spectrum.even = 1.0;
    v.pipe.spectrum.brightHz = 900;
    v.pipe.spectrum.rolloff = 10;
    v.pipe.attack = 0.03;
    v.pipe.upperLead = -0.4;
    v.pipe.chiff = 0.03;
    v.pipe.chiffAt = 8;
    v.pipe.chiffTime = 0.005;
    v.pipe.breath = 0.0;
    v.pipe.breathAt = 0;
    v.level = -11;
    v.release = reedRelease;
    v.shutter = 5;
    v.pan = 0;
    v.cents = 0;
    return v;
}

constexpr RankVoice accompFlute() {
    RankVoice v = pipeRank("Accomp Flute", "AccFlute");
    v.pipe.spectrum.upper = 0.4;
    v.pipe.spectrum.tilt = 1.2;
    v.pipe.spectrum.even = 1.0;
    v.pipe.spectrum.brightHz = 2500;
    v.pipe.spectrum.rolloff = 12;
    v.pipe.attack = 0.04;
    v.pipe.upperLead = 0.5;
    v.pipe.chiff = 0.15;
    v.pipe.chiffAt = 3;
    v.pipe.chiffTime = 0.015;
    v.pipe.breath = 0.02;
    v.pipe.breathAt = 5;
    v.level = -15;
    v.release = flueRelease;
    v.shutter = 2;
    v.pan = -200;
    v.cents = -1;
    return v;
}

// Narrow open pipes of the accompaniment: the violins' darker sisters.
constexpr RankVoice accompViola() {
    RankVoice v = pipeRank("Accomp Viola", "AccViola");
    v.pipe.spectrum.upper = 0.7;
    v.pipe.spectrum.tilt = 0.7;
    v.pipe.spectrum.even = 0.8;
    v.pipe.spectrum.brightHz = 3000;
    v.pipe.spectrum.rolloff = 6;
    v.pipe.attack = 0.1;
    v.pipe.upperLead = 0.7;
    v.pipe.chiff = 0.08;
    v.pipe.chiffAt = 7;
    v.pipe.chiffTime = 0.02;
    v.pipe.breath = 0.006;
    v.pipe.breathAt = 8;
    v.level = -14;
    v.release = flueRelease;
    v.shutter = 3;
    v.pan = 200;
    v.cents = 1;
    return v;
}

// Soft bars under a yarn mallet, tuned 1 : 4 : 10.
constexpr RankVoice accompBells() {
    RankVoice v = barRank("Accomp Bells", "AccBell");
    // {ratio to the fundamental, amplitude, decay time constant at A4}
    v.bar.partials[0] = {1.0, 1.0, 0.8};
    v.bar.partials[1] = {3.93, 0.25, 0.25};
    v.bar.partials[2] = {9.85, 0.05, 0.08};
    v.bar.strike = 0.002;
    v.bar.click = 0.03;
    v.bar.length = 1.4;
    v.level = -13;
    v.release = 0.5;
    v.shutter = 4;
    v.pan = 150;
    v.cents = 0;
    return v;
}

constexpr RankVoice violinPipes() {
    RankVoice v = pipeRank("Violin Pipes", "Violin");
    v.pipe.spectrum.upper = 0.75;
    v.pipe.spectrum.tilt = 0.8;
    v.pipe.spectrum.even = 1.0;
    v.pipe.spectrum.brightHz = 5000;
    v.pipe.spectrum.rolloff = 4;
    v.pipe.attack = 0.18;
    v.pipe.upperLead = 0.5;
    v.pipe.chiff = 0.1;
    v.pipe.chiffAt = 6;
    v.pipe.chiffTime = 0.025;
    v.pipe.breath = 0.008;
    v.pipe.breathAt = 8;
    v.level = -14;
    v.release = flueRelease;
    v.shutter = 5;
    v.pan = -250;
    v.cents = 2;
    // The 165's melody has four violin ranks, tuned a little apart and
    // leaning sharp: a leading rank and three quieter ones.
    v.chorus[0] = {4, -16, -400};
    v.chorus[1] = {7, -19, -100};
    v.chorus[2] = {-2, -20, -150};
    v.chorusRanks = 3;
    return v;
}

constexpr RankVoice flute() {
    RankVoice v = pipeRank("Flute", "Flute");
    v.pipe.spectrum.upper = 0.3;
    v.pipe.spectrum.tilt = 1.4;
    v.pipe.spectrum.even = 1.0;
    v.pipe.spectrum.brightHz = 3000;
    v.pipe.spectrum.rolloff = 12;
    v.pipe.attack = 0.035;
    v.pipe.upperLead = 0.5;
    v.pipe.chiff = 0.2;
    v.pipe.chiffAt = 2.5;
    v.pipe.chiffTime = 0.012;
    v.pipe.breath = 0.025;
    v.pipe.breathAt = 4;
    v.level = -15;
    v.release = flueRelease;
    v.shutter = 2;
    v.pan = 250;
    v.cents = -1;
    return v;
}

constexpr RankVoice piccolo() {
    RankVoice v = pipeRank("Piccolo", "Piccolo");
    v.pipe.spectrum.upper = 0.2;
    v.pipe.spectrum.tilt = 1.6;
    v.pipe.spectrum.even = 1.0;
    v.pipe.spectrum.brightHz = 4000;
    v.pipe.spectrum.rolloff = 12;
    v.pipe.attack = 0.025;
    v.pipe.upperLead = 0.4;
    v.pipe.chiff = 0.3;
    v.pipe.chiffAt = 3;
    v.pipe.chiffTime = 0.01;
    v.pipe.breath = 0.035;
    v.pipe.breathAt = 3;
    v.level = -15;
    v.release = flueRelease;
    v.shutter = 2;
    v.pan = 300;
    v.cents = 2;
    return v;
}

constexpr RankVoice flageolet() {
    RankVoice v = pipeRank("Flageolet", "Flageol");
    v.pipe.spectrum.upper = 0.45;
    v.pipe.spectrum.tilt = 1.0;
    v.pipe.spectrum.even = 0.6;
    v.pipe.spectrum.brightHz = 3500;
    v.pipe.spectrum.rolloff = 10;
    v.pipe.attack = 0.03;
    v.pipe.upperLead = 0.4;
    v.pipe.chiff = 0.25;
    v.pipe.chiffAt = 4;
    v.pipe.chiffTime = 0.012;
    v.pipe.breath = 0.04;
    v.pipe.breathAt = 5;
    v.level = -15;
    v.release = flueRelease;
    v.shutter = 2;
    v.pan = -300;
    v.cents = -2;
    return v;
}

// Steel bars under a hard mallet: the partials of a free bar.
constexpr RankVoice glockenspiel() {
    RankVoice v = barRank("Glockenspiel", "Glock");
    // {ratio to the fundamental, amplitude, decay time constant at A4}
    v.bar.partials[0] = {1.0, 1.0, 0.6};
    v.bar.partials[1] = {2.756, 0.35, 0.3};
    v.bar.partials[2] = {5.404, 0.15, 0.12};
    v.bar.partials[3] = {8.933, 0.06, 0.06};
    v.bar.strike = 0.0008;
    v.bar.click = 0.15;
    v.bar.length = 1.6;
    v.level = -8;
    v.release = 1.2;
    v.shutter = 4;
    v.pan = 0;
    v.cents = 0;
    return v;
}

constexpr RankVoice baritone() {
    RankVoice v = pipeRank("Baritone", "Baritone");
    v.pipe.spectrum.upper = 0.9;
    v.pipe.spectrum.tilt = 0.3;
    v.pipe.spectrum.even = 1.0;
    v.pipe.spectrum.brightHz = 2500;
    v.pipe.spectrum.rolloff = 8;
    v.pipe.attack = 0.03;
    v.pipe.upperLead = -0.3;
    v.pipe.chiff = 0.03;
    v.pipe.chiffAt = 8;
    v.pipe.chiffTime = 0.005;
    v.pipe.breath = 0.0;
    v.pipe.breathAt = 0;
    v.level = -14;
    v.release = reedRelease;
    v.shutter = 6;
    v.pan = -300;
    v.cents = -1;
    return v;
}

constexpr RankVoice clarinet() {
    RankVoice v = pipeRank("Clarinet", "Clarinet");
    v.pipe.spectrum.upper = 0.7;
    v.pipe.spectrum.tilt = 0.7;
    v.pipe.spectrum.even = 0.15;
    v.pipe.spectrum.brightHz = 2500;
    v.pipe.spectrum.rolloff = 12;
    v.pipe.attack = 0.025;
    v.pipe.upperLead = -0.2;
    v.pipe.chiff = 0.02;
    v.pipe.chiffAt = 8;
    v.pipe.chiffTime = 0.005;
    v.pipe.breath = 0.0;
    v.pipe.breathAt = 0;
    v.level = -18;
    v.release = reedRelease;
    v.shutter = 3;
    v.pan = -150;
    v.cents = 1;
    return v;
}

constexpr RankVoice trumpet() {
    RankVoice v = pipeRank("Trumpet", "Trumpet");
    v.pipe.spectrum.upper = 0.9;
    v.pipe.spectrum.tilt = 0.1;
    v.pipe.spectrum.even = 1.0;
    v.pipe.spectrum.brightHz = 4000;
    v.pipe.spectrum.rolloff = 8;
    v.pipe.attack = 0.02;
    v.pipe.upperLead = -0.5;
    v.pipe.chiff = 0.04;
    v.pipe.chiffAt = 10;
    v.pipe.chiffTime = 0.004;
    v.pipe.breath = 0.0;
    v.pipe.breathAt = 0;
    v.level = -11;
    v.release = reedRelease;
    v.shutter = 12;
    v.pan = 300;
    v.cents = 1;
    return v;
}

struct RankRow {
    Rank rank;
    RankVoice voice;
};

constexpr RankRow rankTable[] = {
    {Rank::StoppedBass, stoppedBass()},
    {Rank::OpenBass, openBass()},
    {Rank::OpenStringBass, stringBass()},
    {Rank::TromboneReed, trombone()},
    {Rank::AccompFlute, accompFlute()},
    {Rank::AccompViola, accompViola()},
    {Rank::AccompBell, accompBells()},
    {Rank::ViolinPipe, violinPipes()},
    {Rank::Flute, flute()},
    {Rank::Piccolo, piccolo()},
    {Rank::Flageolet, flageolet()},
    {Rank::Glockenspiel, glockenspiel()},
    {Rank::BaritoneReed, baritone()},
    {Rank::ClarinetReed, clarinet()},
    {Rank::TrumpetReed, trumpet()},
};

constexpr bool rowsInRankOrder() {
    int expected = 0;
    for (const RankRow& row : rankTable) {
        if (static_cast<int>(row.rank) != expected) {
            return false;
        }
        ++expected;
    }
    return expected == static_cast<int>(Rank::TrumpetReed) + 1;
}
static_assert(rowsInRankOrder(), "one voice for every rank, in the order of Rank");

// The drums of the General MIDI percussion keys that a band organ's drum
// holes may strike: {kind, tuneHz, decay, bright}, level and pan.
const DrumVoice drumTable[] = {
    {35, "Bass Drum", {DrumKind::BassDrum, 50, 0.35, 0.8}, -1, 300},
    {36, "Bass Drum 2", {DrumKind::BassDrum, 58, 0.26, 0.6}, -1, 300},
    {38, "Snare Drum", {DrumKind::Snare, 185, 0.15, 0.5}, -1, -300},
    {40, "Snare Drum 2", {DrumKind::Snare, 220, 0.08, 0.9}, -1, -300},
    {49, "Crash Cymbal", {DrumKind::Cymbal, 450, 1.0, 0.6}, -4, 350},
    {57, "Crash Cymbal 2", {DrumKind::Cymbal, 400, 1.1, 0.6}, -4, 350},
    {63, "High Conga", {DrumKind::Conga, 290, 0.15, 0.6}, -2, -350},
    {64, "Low Conga", {DrumKind::Conga, 190, 0.18, 0.6}, -2, -350},
    {80, "Mute Triangle", {DrumKind::Triangle, 1250, 0.12, 0.5}, -6, 400},
    {81, "Triangle", {DrumKind::Triangle, 1250, 1.0, 0.5}, -6, 400},
    {85, "Castanets", {DrumKind::Castanets, 1800, 0.006, 0.5}, -2, -250},
};

}  // namespace

const RankVoice& rankVoice(Rank rank) {
    return rankTable[static_cast<int>(rank)].voice;
}

const DrumVoice* drumVoice(int note) {
    for (const DrumVoice& d : drumTable) {
        if (d.note == note) {
            return &d;
        }
    }
    return nullptr;
}
