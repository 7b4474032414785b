// The Wurlitzer 165: its roll translation, its controls, the layout of its
// arrangement and the texts of its player, all in its record organ165.
//
// Every hole of the 165 scale (24 to 98) has one row in the hole table: the
// section it sounds, or the control it works, its MIDI note and whether it
// belongs to the required set by which a roll is judged.  Translating a
// hole is the same for every organ (scale.h).
//
// The control state: eight registers, each an on flag, the start of the
// hole that last switched it on, and the velocity it lends its voice; and
// the swell shutter, which sets the velocity of the general voices and of
// the registers that are on.  Holes reach the translator when they close,
// so a control hole acts on every hole translated after it.

#include "xlate165.h"

#include "runstate.h"
#include "scale.h"

namespace w165 {

int a7vel = 0, c2vel = 0, gsharp2vel = 0, gsharp7vel = 0, a2vel = 0, g7vel = 0, d2orf2vel = 0,
    g2vel = 0;
bool shutteropen = false;
bool a7open = false, c2open = false, gsharp2open = false, gsharp7open = false, a2open = false,
     g7open = false, d2orf2open = false, g2open = false;
double a7opentime = 0.0, c2opentime = 0.0, gsharp2opentime = 0.0, gsharp7opentime = 0.0,
       a2opentime = 0.0, g7opentime = 0.0, d2orf2opentime = 0.0, g2opentime = 0.0,
       shutteropentime = 0.0;

}  // namespace w165

using namespace w165;
using namespace scale;

namespace {

// ---------------------------------------------------------------------------
// Registers and shutter

// The registers, in the order in which the cancel hole tests them, and the
// shutter after them: the rows of the organ's controls.
enum Control { A7, C2, GSHARP2, GSHARP7, A2, G7, D2ORF2, G2, Shutter };

constexpr OrganControl controls[] = {
    {"a7", "Register a7", &a7open},
    {"c2", "Register c2", &c2open},
    {"gsharp2", "Register gsharp2", &gsharp2open},
    {"gsharp7", "Register gsharp7", &gsharp7open},
    {"a2", "Register a2", &a2open},
    {"g7", "Register g7", &g7open},
    {"d2orf2", "Register d2orf2", &d2orf2open},
    {"g2", "Register g2", &g2open},
    {"shutter", "Shutter", &shutteropen},
};

struct Register {
    bool& open;
    double& opentime;
    int& vel;
    bool followsShutter;  // d2orf2 always speaks at 65
};

// In the order of Control.
Register registers[] = {
    {a7open, a7opentime, a7vel, true},
    {c2open, c2opentime, c2vel, true},
    {gsharp2open, gsharp2opentime, gsharp2vel, true},
    {gsharp7open, gsharp7opentime, gsharp7vel, true},
    {a2open, a2opentime, a2vel, true},
    {g7open, g7opentime, g7vel, true},
    {d2orf2open, d2orf2opentime, d2orf2vel, false},
    {g2open, g2opentime, g2vel, true},
};

// The registers that the shutter raises when it opens and lowers when it
// closes; d2orf2 is not among them.
const Control shutterOpenOrder[] = {A7, C2, GSHARP2, GSHARP7, A2, G7, G2};
const Control shutterCloseOrder[] = {C2, A7, GSHARP2, GSHARP7, A2, G7, G2};

template <Control r>
void registerOn(double t) {
    Register& reg = registers[r];
    reg.open = true;
    reg.opentime = t;  // also when already on: the latest hole's start counts
    if (reg.followsShutter) {
        reg.vel = softVelocity;
        if (shutteropen) {
            reg.vel = loudVelocity;
        }
    } else {
        reg.vel = loudVelocity;
    }
}

void shutterOpen(double t) {
    shutteropen = true;
    shutteropentime = t;
    generalvel = loudVelocity;
    for (Control r : shutterOpenOrder) {
        if (registers[r].open) {
            registers[r].vel = loudVelocity;
        }
    }
}

// Closing needs no time, and lowers the registers that are on even when the
// shutter was closed already.
void shutterClose(double /*t*/) {
    shutteropen = false;
    generalvel = softVelocity;
    for (Control r : shutterCloseOrder) {
        if (registers[r].open) {
            registers[r].vel = softVelocity;
        }
    }
}

// The cancel hole spares the shutter and every register switched on within
// the grace period before its start (or after it).  A register that
// survives a cancel which closes the shutter keeps its velocity.
void cancel(double t) {
    if (shutteropen && t > shutteropentime + deltatime) {
        shutteropen = false;
        generalvel = softVelocity;
    }
    for (Register& r : registers) {
        if (r.open && t > r.opentime + deltatime) {
            r.open = false;
            r.vel = 0;
        }
    }
}

// ---------------------------------------------------------------------------
// Sections: the voices that a sounding hole plays, in the order its notes
// are placed.

constexpr Voice bassVoices[] = {{1, generalvel}, {2, a7vel}};
constexpr Voice accompVoices[] = {{3, generalvel}, {4, c2vel}};
// The melody has no general voice: it sounds only on registers that are on.
constexpr Voice melodyVoices[] = {{5, gsharp2vel}, {6, gsharp7vel}, {7, a2vel}, {9, g7vel},
                                  {12, d2orf2vel}};
constexpr Voice trumpetVoices[] = {{13, generalvel}, {14, g2vel}};
constexpr Voice percussionVoices[] = {{10, percussionvel}};
// Note 45 on track 1 at velocity 5, two seconds late.
constexpr Voice softDelayedVoices[] = {{1, softDelayedVelocity, nullptr, softDelay}};

// ---------------------------------------------------------------------------
// The actions and the hole table

constexpr Action bass = sounding(HoleKind::Bass, "Bass", bassVoices);
constexpr Action accomp = sounding(HoleKind::Accompaniment, "Accomp", accompVoices);
constexpr Action melody = sounding(HoleKind::Melody, "Melody", melodyVoices);
constexpr Action trumpet = sounding(HoleKind::Trumpet, "Trumpet", trumpetVoices);
constexpr Action drum = sounding(HoleKind::Percussion, "", percussionVoices);
constexpr Action softDelayed = sounding(HoleKind::Bass, "Soft delayed", softDelayedVoices);
constexpr Action a7On = working(HoleKind::Register, " on", registerOn<A7>, A7);
constexpr Action c2On = working(HoleKind::Register, " on", registerOn<C2>, C2);
constexpr Action gsharp2On = working(HoleKind::Register, " on", registerOn<GSHARP2>, GSHARP2);
constexpr Action gsharp7On = working(HoleKind::Register, " on", registerOn<GSHARP7>, GSHARP7);
constexpr Action a2On = working(HoleKind::Register, " on", registerOn<A2>, A2);
constexpr Action g7On = working(HoleKind::Register, " on", registerOn<G7>, G7);
constexpr Action d2orf2On = working(HoleKind::Register, " on", registerOn<D2ORF2>, D2ORF2);
constexpr Action g2On = working(HoleKind::Register, " on", registerOn<G2>, G2);
constexpr Action opening = working(HoleKind::Shutter, " open", shutterOpen, Shutter);
constexpr Action closing = working(HoleKind::Shutter, " close", shutterClose, Shutter);
constexpr Action cancelling = working(HoleKind::Cancel, "Cancel", cancel);

constexpr HoleRow holeTable[] = {
    {24, &c2On, 0, false},
    {25, &g2On, 0, false},
    {26, &d2orf2On, 0, false},
    {27, &drum, 81, false},  // Open Triangle
    {28, &closing, 0, false},
    {29, &d2orf2On, 0, false},
    {30, &drum, 57, false},  // Crash Cymbal 2
    {31, &g2On, 0, false},
    {32, &gsharp2On, 0, false},
    {33, &a2On, 0, false},
    {34, &drum, 38, false},  // Acoustic Snare
    {35, &bass, 36, false},
    {36, &bass, 38, false},
    {37, &bass, 40, false},
    {38, &bass, 41, false},
    {39, &bass, 43, false},
    {40, &bass, 45, false},
    {41, &softDelayed, 45, false},
    {42, &accomp, 55, false},
    {43, &accomp, 57, false},
    {44, &accomp, 58, false},
    {45, &accomp, 59, false},
    {46, &accomp, 60, false},
    {47, &accomp, 61, false},
    {48, &accomp, 62, false},
    {49, &accomp, 64, false},
    {50, &accomp, 65, false},
    {51, &accomp, 66, false},
    {52, &nothing, 0, false},
    {53, &melody, 67, false},
    {54, &melody, 68, false},
    {55, &melody, 69, false},
    {56, &melody, 70, false},
    {57, &melody, 71, false},
    {58, &melody, 72, false},
    {59, &melody, 73, false},
    {60, &melody, 74, false},
    {61, &melody, 75, false},
    {62, &melody, 76, false},
    {63, &melody, 77, false},
    {64, &melody, 78, false},
    {65, &melody, 79, false},
    {66, &melody, 80, false},
    {67, &melody, 81, false},
    {68, &melody, 82, false},
    {69, &melody, 83, false},
    {70, &melody, 84, false},
    {71, &melody, 85, false},
    {72, &melody, 86, false},
    {73, &melody, 88, false},
    {74, &melody, 89, false},
    {75, &cancelling, 0, false},
    {76, &trumpet, 53, false},
    {77, &trumpet, 54, false},
    {78, &trumpet, 55, true},
    {79, &trumpet, 56, true},
    {80, &trumpet, 57, true},
    {81, &trumpet, 58, true},
    {82, &trumpet, 59, true},
    {83, &trumpet, 60, true},
    {84, &trumpet, 61, true},
    {85, &trumpet, 62, true},
    {86, &trumpet, 64, true},
    {87, &trumpet, 65, true},
    {88, &trumpet, 66, false},
    {89, &trumpet, 67, true},
    {90, &drum, 35, true},  // Acoustic Bass Drum
    {91, &g7On, 0, true},
    {92, &gsharp7On, 0, false},
    {93, &a7On, 0, false},
    {94, &opening, 0, true},
    {95, &drum, 85, true},  // Castanets
    {96, &drum, 40, true},  // Electric Snare
    {97, &drum, 64, true},  // Low Conga
    {98, &nothing, 0, true},
};

static_assert(rowsCoverScale(holeTable, lowestHole, highestHole),
              "one row per hole from 24 to 98, in order");

constexpr Scale scale165 = {holeTable, lowestHole, highestHole, controls};

// ---------------------------------------------------------------------------
// The arrangement: bank 3, the named tracks with their programs and ranks,
// in the order their events are added.  Tracks 0, 8, 10, 11 and 15 are not
// named; track 10 is the percussion channel.

constexpr TrackLayout layout[] = {
    {1, "Bass", 58, Rank::StoppedBass},
    {2, "Bass", 43, Rank::OpenStringBass},
    {3, "Accomp", 70, Rank::AccompViola},
    {4, "Accomp", 11, Rank::AccompBell},
    {5, "Melody", 82, Rank::Piccolo},
    {6, "Melody", 40, Rank::ViolinPipe},
    {7, "Melody", 75, Rank::Flageolet},
    {9, "Melody", 73, Rank::Flute},
    {12, "Melody", 8, Rank::Glockenspiel},
    {13, "Trumpet", 68, Rank::BaritoneReed},
    {14, "Trumpet", 56, Rank::TrumpetReed},
};

}  // namespace

const Organ organ165 = {
    "165",
    "Play Wurlitzer 165 e-roll, v2.01",
    "kolvo165, Copyright (C) 2026 the kolvo authors",
    "  w165e-roll.mid [optempo]",
    "Invalid w165 e-roll",
    "w165k-v",
    lowestHole,
    highestHole,
    xlate165,
    describeHole165,
    controls,
    reset165Controls,
    wurlitzerValidity,
    3,
    layout,
    "examples/demo165.mid",
};

void xlate165(double start, double duration, int hole) {
    translateHole(scale165, start, duration, hole);
}

HoleInfo describeHole165(int hole) {
    return describeHole(scale165, hole);
}

void reset165Controls() {
    for (Register& r : registers) {
        r.open = false;
        r.opentime = 0.0;
        r.vel = 0;
    }
    shutteropen = false;
    shutteropentime = 0.0;
    generalvel = softVelocity;
}
