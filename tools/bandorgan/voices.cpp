// The voice of every rank and drum.
//
// Pipes: a spectrum {upper, tilt, even, brightHz, rolloff} (see
// synth::Spectrum), then the speech {attack, upperLead, chiff, chiffAt,
// chiffTime} and the wind {breath, breathAt}.  Flues speak with their upper
// partials first and a puff of chiff; reeds speak fast, their upper partials
// a little late, with a click of the tongue.  Bars: partials {ratio, amp,
// decay}, the mallet, the click and the length.  Then the level, the
// release, the place in the facade (pan) and the tuning: ranks lie a cent
// or two apart, as in an organ, so that unisons of several ranks beat
// gently instead of fusing into one.

#include "voices.h"

#include <iterator>

namespace {

using synth::Bar;
using synth::DrumKind;
using synth::Pipe;

constexpr Bar noBar = {};
constexpr Pipe noPipe = {};

struct RankRow {
    Rank rank;
    RankVoice voice;
};

constexpr double flueRelease = 0.12;
constexpr double bassRelease = 0.2;
constexpr double reedRelease = 0.08;

constexpr RankRow rankTable[] = {
    // Stopped wood: round, the odd partials only.
    {Rank::StoppedBass,
     {"Stopped Bass", "StopBass", false,
      {{0.6, 1.3, 0.08, 1200, 12}, 0.06, 0.3, 0.08, 3, 0.02, 0.01, 4}, noBar,
      -8, bassRelease, 0, 0}},
    {Rank::OpenBass,
     {"Open Bass", "OpenBass", false,
      {{0.5, 1.0, 1.0, 1500, 9}, 0.05, 0.4, 0.1, 3, 0.02, 0.01, 4}, noBar,
      -8, bassRelease, 60, 1}},
    // Narrow open basses: many partials, keen.
    {Rank::OpenStringBass,
     {"String Bass", "StrBass", false,
      {{0.65, 0.55, 1.0, 3000, 6}, 0.07, 0.5, 0.05, 6, 0.02, 0.004, 8}, noBar,
      -11, bassRelease, 60, -1}},
    {Rank::TromboneReed,
     {"Trombone", "Trombone", false,
      {{0.8, 0.3, 1.0, 900, 10}, 0.03, -0.4, 0.03, 8, 0.005, 0.0, 0}, noBar,
      -10, reedRelease, 0, 0}},
    {Rank::AccompFlute,
     {"Accomp Flute", "AccFlute", false,
      {{0.4, 1.2, 1.0, 2500, 12}, 0.04, 0.5, 0.15, 3, 0.015, 0.02, 5}, noBar,
      -18, flueRelease, -100, -1}},
    // Soft bars under a yarn mallet, tuned 1 : 4 : 10.
    {Rank::AccompBell,
     {"Accomp Bells", "AccBell", true, noPipe,
      {{{1.0, 1.0, 0.8}, {3.93, 0.25, 0.25}, {9.85, 0.05, 0.08}, {0, 0, 0}}, 0.002, 0.03, 1.4},
      -12, 0.5, 100, 0}},
    {Rank::ViolinPipe,
     {"Violin Pipes", "Violin", false,
      {{0.65, 0.8, 1.0, 2500, 9}, 0.06, 0.6, 0.06, 6, 0.02, 0.008, 8}, noBar,
      -12, flueRelease, -150, 2}},
    {Rank::Flute,
     {"Flute", "Flute", false,
      {{0.3, 1.4, 1.0, 3000, 12}, 0.035, 0.5, 0.2, 2.5, 0.012, 0.025, 4}, noBar,
      -11, flueRelease, 150, -1}},
    {Rank::Piccolo,
     {"Piccolo", "Piccolo", false,
      {{0.2, 1.6, 1.0, 4000, 12}, 0.025, 0.4, 0.3, 3, 0.01, 0.035, 3}, noBar,
      -13, flueRelease, 250, 2}},
    {Rank::Flageolet,
     {"Flageolet", "Flageol", false,
      {{0.45, 1.0, 0.6, 3500, 10}, 0.03, 0.4, 0.25, 4, 0.012, 0.04, 5}, noBar,
      -13, flueRelease, -250, -2}},
    // Steel bars under a hard mallet: the partials of a free bar.
    {Rank::Glockenspiel,
     {"Glockenspiel", "Glock", true, noPipe,
      {{{1.0, 1.0, 0.6}, {2.756, 0.35, 0.3}, {5.404, 0.15, 0.12}, {8.933, 0.06, 0.06}},
       0.0008, 0.15, 1.6},
      -6, 1.2, 0, 0}},
    {Rank::BaritoneReed,
     {"Baritone", "Baritone", false,
      {{0.7, 0.6, 1.0, 1000, 12}, 0.03, -0.3, 0.03, 8, 0.005, 0.0, 0}, noBar,
      -11, reedRelease, -200, -1}},
    {Rank::ClarinetReed,
     {"Clarinet", "Clarinet", false,
      {{0.7, 0.7, 0.15, 2500, 12}, 0.025, -0.2, 0.02, 8, 0.005, 0.0, 0}, noBar,
      -12, reedRelease, -120, 1}},
    {Rank::TrumpetReed,
     {"Trumpet", "Trumpet", false,
      {{0.9, 0.15, 1.0, 2500, 10}, 0.02, -0.5, 0.04, 10, 0.004, 0.0, 0}, noBar,
      -10, reedRelease, 200, 1}},
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
    {35, "Bass Drum", {DrumKind::BassDrum, 50, 0.22, 0.5}, -2, 0},
    {36, "Bass Drum 2", {DrumKind::BassDrum, 58, 0.2, 0.6}, -2, 0},
    {38, "Snare Drum", {DrumKind::Snare, 185, 0.12, 0.5}, -4, -100},
    {40, "Snare Drum 2", {DrumKind::Snare, 220, 0.08, 0.9}, -5, -100},
    {49, "Crash Cymbal", {DrumKind::Cymbal, 450, 1.0, 0.6}, -9, 150},
    {57, "Crash Cymbal 2", {DrumKind::Cymbal, 400, 1.1, 0.6}, -9, 150},
    {63, "High Conga", {DrumKind::Conga, 290, 0.15, 0.6}, -6, -150},
    {64, "Low Conga", {DrumKind::Conga, 190, 0.18, 0.6}, -6, -150},
    {80, "Mute Triangle", {DrumKind::Triangle, 1250, 0.12, 0.5}, -12, 200},
    {81, "Triangle", {DrumKind::Triangle, 1250, 1.0, 0.5}, -12, 200},
    {85, "Castanets", {DrumKind::Castanets, 1800, 0.006, 0.5}, -8, 100},
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
