// The Wurlitzer 150: its roll translation, its controls, the layout of its
// arrangement and the texts of its player, all in its record organ150.
//
// Every hole of the 150 scale (24 to 77) has one row in the hole table: the
// rank pattern it sounds, the drum it strikes or the control it works, its
// MIDI note and whether it belongs to the required set (holes 69 to 77).
// Translating a hole is the same for every organ (scale.h).
//
// The control state: the swell shutter (soft 40 or loud 65 for the ranks
// that always play, and two more trumpet ranks while open), the stop (two
// more melody ranks) and the bells (the bell rank of the melody).  Each is
// an on flag, the start of the hole that last switched it on, and the
// velocity it lends its ranks.  Holes reach the translator when they close,
// so a control hole acts on every hole translated after it.

#include "xlate150.h"

#include "runstate.h"
#include "scale.h"

namespace w150 {

bool shutteropen = false, bellson = false, stopon = false;
int stopgeneralvel = 0, stopbellvel = 0;
double stopgeneralontime = 0.0, stopbellontime = 0.0, shutterontime = 0.0;
int snarevel = 65;

}  // namespace w150

using namespace w150;
using namespace scale;

namespace {

// ---------------------------------------------------------------------------
// Controls

// The rows of the organ's controls.
enum Control { Shutter, Bells, Stop };

constexpr OrganControl controls[] = {
    {"shutter", "Shutter", &shutteropen},
    {"bells", "Bells", &bellson},
    {"stop", "Stop", &stopon},
};

void shutterOpen(double start) {
    shutteropen = true;
    shutterontime = start;
    generalvel = loudVelocity;
}

void bellsOn(double start) {
    bellson = true;
    stopbellontime = start;
    stopbellvel = loudVelocity;  // the bells always ring loud
}

// The stop's velocity is chosen now, from the shutter as it is at this
// moment, and does not follow the shutter afterwards.
void stopOn(double start) {
    stopon = true;
    stopgeneralontime = start;
    stopgeneralvel = shutteropen ? loudVelocity : softVelocity;
}

// What a cancel hole can switch off, in the order it tests them, each with
// the velocity its ranks fall back to.
struct Cancellable {
    bool& on;
    double& ontime;
    int& vel;
    int offVel;
};

Cancellable cancellable[] = {
    {shutteropen, shutterontime, generalvel, softVelocity},
    {stopon, stopgeneralontime, stopgeneralvel, 0},
    {bellson, stopbellontime, stopbellvel, 0},
};

// The cancel hole spares every control switched on within the grace period
// before its start (or after it); each is judged by its own on-time.
void cancel(double start) {
    for (Cancellable& c : cancellable) {
        if (c.on && start > c.ontime + deltatime) {
            c.on = false;
            c.vel = c.offVel;
        }
    }
}

// ---------------------------------------------------------------------------
// Rank patterns: the notes a sounding hole requests, in order.  A rank at
// velocity 0 stays silent.

constexpr Voice tromboneVoices[] = {{1, generalvel}};
constexpr Voice bassVoices[] = {{2, generalvel}};
constexpr Voice accompVoices[] = {{5, generalvel}};
constexpr Voice melodyVoices[] = {{7, generalvel},
                                  {8, stopgeneralvel},
                                  {11, stopgeneralvel},
                                  {12, stopbellvel}};
// The open shutter brings in two more trumpet ranks.
constexpr Voice trumpetVoices[] = {{13, generalvel, &shutteropen},
                                   {14, generalvel, &shutteropen},
                                   {15, generalvel}};
constexpr Voice snareVoices[] = {{10, snarevel}};
constexpr Voice bassDrumVoices[] = {{10, percussionvel}};
// The note on track 1 at velocity 5, two seconds late.
constexpr Voice softDelayedVoices[] = {{1, softDelayedVelocity, nullptr, softDelay}};

// ---------------------------------------------------------------------------
// The actions and the hole table

constexpr Action opening = working(HoleKind::Shutter, " open", shutterOpen, Shutter);
constexpr Action bellsOnAction = working(HoleKind::Register, " on", bellsOn, Bells);
constexpr Action stopOnAction = working(HoleKind::Register, " on", stopOn, Stop);
constexpr Action cancelling = working(HoleKind::Cancel, "Cancel", cancel);
constexpr Action softDelayed = sounding(HoleKind::Bass, "Soft delayed", softDelayedVoices);
constexpr Action snare = sounding(HoleKind::Percussion, "", snareVoices);
constexpr Action trombone = sounding(HoleKind::Bass, "Trombone", tromboneVoices);
constexpr Action bass = sounding(HoleKind::Bass, "Bass", bassVoices);
constexpr Action accomp = sounding(HoleKind::Accompaniment, "Accomp", accompVoices);
constexpr Action melody = sounding(HoleKind::Melody, "Melody", melodyVoices);
constexpr Action trumpet = sounding(HoleKind::Trumpet, "Trumpet", trumpetVoices);
constexpr Action bassDrum = sounding(HoleKind::Percussion, "", bassDrumVoices);

constexpr HoleRow holeTable[] = {
    {24, &opening, 0, false},
    {25, &bellsOnAction, 0, false},
    {26, &stopOnAction, 0, false},
    {27, &cancelling, 0, false},
    {28, &softDelayed, 43, false},  // G2
    {29, &snare, 38, false},        // Acoustic Snare
    {30, &trombone, 43, false},     // G2
    {31, &trombone, 36, false},     // C2
    {32, &trombone, 38, false},     // D2
    {33, &bass, 43, false},         // G2
    {34, &bass, 36, false},         // C2
    {35, &bass, 38, false},         // D2
    {36, &accomp, 55, false},       // G3
    {37, &accomp, 57, false},       // A3
    {38, &accomp, 59, false},       // B3
    {39, &accomp, 60, false},       // C4
    {40, &accomp, 62, false},       // D4
    {41, &accomp, 64, false},       // E4
    {42, &accomp, 65, false},       // F4
    {43, &accomp, 66, false},       // F#4
    {44, &accomp, 67, false},       // G4
    {45, &melody, 67, false},       // G4
    {46, &melody, 69, false},       // A4
    {47, &melody, 71, false},       // B4
    {48, &melody, 72, false},       // C5
    {49, &melody, 73, false},       // C#5
    {50, &melody, 74, false},       // D5
    {51, &melody, 76, false},       // E5
    {52, &melody, 77, false},       // F5
    {53, &melody, 78, false},       // F#5
    {54, &melody, 79, false},       // G5
    {55, &melody, 81, false},       // A5
    {56, &melody, 83, false},       // B5
    {57, &melody, 84, false},       // C6
    {58, &melody, 85, false},       // C#6
    {59, &melody, 86, false},       // D6
    {60, &melody, 88, false},       // E6
    {61, &trumpet, 60, false},      // C4
    {62, &trumpet, 62, false},      // D4
    {63, &trumpet, 64, false},      // E4
    {64, &trumpet, 65, false},      // F4
    {65, &trumpet, 66, false},      // F#4
    {66, &trumpet, 67, false},      // G4
    {67, &trumpet, 69, false},      // A4
    {68, &trumpet, 71, false},      // B4
    {69, &trumpet, 72, true},       // C5
    {70, &trumpet, 73, true},       // C#5
    {71, &trumpet, 74, true},       // D5
    {72, &trumpet, 76, true},       // E5
    {73, &trumpet, 77, true},       // F5
    {74, &trumpet, 78, true},       // F#5
    {75, &trumpet, 79, true},       // G5
    {76, &bassDrum, 35, true},      // Acoustic Bass Drum
    {77, &nothing, 0, true},
};

static_assert(rowsCoverScale(holeTable, lowestHole, highestHole),
              "one row per hole from 24 to 77, in order");

constexpr Scale scale150 = {holeTable, lowestHole, highestHole, controls};

// ---------------------------------------------------------------------------
// The arrangement: bank 2, the named tracks with their programs and ranks,
// in the order their events are added.  Tracks 0, 3, 4, 6, 9 and 10 are not
// named; track 10 is the percussion channel.

constexpr TrackLayout layout[] = {
    {1, "Trombone", 58, Rank::TromboneReed},
    {2, "Bass", 43, Rank::OpenBass},
    {5, "Accomp", 70, Rank::AccompFlute},
    {7, "Melody", 73, Rank::ViolinPipe},
    {8, "Melody", 82, Rank::Piccolo},
    {11, "Melody", 75, Rank::Flute},
    {12, "Melody", 8, Rank::Glockenspiel},
    {13, "Trumpet", 68, Rank::BaritoneReed},
    {14, "Trumpet", 69, Rank::ClarinetReed},
    {15, "Trumpet", 56, Rank::TrumpetReed},
};

}  // namespace

const Organ organ150 = {
    "150",
    "Play Wurlitzer 150 e-roll, v2.01",
    "kolvo150, Copyright (C) 2026 the kolvo authors",
    "  w150e-roll.mid [optempo]",
    "Invalid w150 e-roll",
    "w150k-v",
    lowestHole,
    highestHole,
    xlate150,
    describeHole150,
    controls,
    reset150Controls,
    wurlitzerValidity,
    2,
    layout,
    "examples/demo150.mid",
};

void xlate150(double start, double duration, int hole) {
    translateHole(scale150, start, duration, hole);
}

HoleInfo describeHole150(int hole) {
    return describeHole(scale150, hole);
}

void reset150Controls() {
    shutteropen = false;
    shutterontime = 0.0;
    generalvel = softVelocity;
    stopon = false;
    stopgeneralontime = 0.0;
    stopgeneralvel = 0;
    bellson = false;
    stopbellontime = 0.0;
    stopbellvel = 0;
    snarevel = 65;
}
