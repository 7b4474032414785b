// Wurlitzer 150 roll translation.
//
// Every hole of the 150 scale (24 to 77) has one row in the hole table: the
// rank pattern it sounds, the drum it strikes or the control it works, its
// MIDI note and whether it belongs to the required set (holes 69 to 77).
// The translator is one dispatch over the action of the hole's row.
//
// The control state: the swell shutter (soft 40 or loud 65 for the ranks
// that always play, and two more trumpet ranks while open), the stop (two
// more melody ranks) and the bells (the bell rank of the melody).  Each is
// an on flag, the start of the hole that last switched it on, and the
// velocity it lends its ranks.  Holes reach the translator when they close,
// so a control hole acts on every hole translated after it.

#include "xlate150.h"

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
struct Control {
    bool& on;
    double& ontime;
    int& vel;
    int offVel;
};

Control cancellable[] = {
    {shutteropen, shutterontime, generalvel, softVelocity},
    {stopon, stopgeneralontime, stopgeneralvel, 0},
    {bellson, stopbellontime, stopbellvel, 0},
};

// The cancel hole spares every control switched on within the grace period
// before its start (or after it); each is judged by its own on-time.
void cancel(double start) {
    for (Control& c : cancellable) {
        if (c.on && start > c.ontime + deltatime) {
            c.on = false;
            c.vel = c.offVel;
        }
    }
}

// ---------------------------------------------------------------------------
// Rank patterns: the notes a sounding hole requests, in order.  A rank at
// velocity 0 stays silent.

const Voice tromboneVoices[] = {{1, generalvel}};
const Voice bassVoices[] = {{2, generalvel}};
const Voice accompVoices[] = {{5, generalvel}};
const Voice melodyVoices[] = {{7, generalvel},
                              {8, stopgeneralvel},
                              {11, stopgeneralvel},
                              {12, stopbellvel}};
// The open shutter brings in two more trumpet ranks.
const Voice trumpetVoices[] = {{13, generalvel, &shutteropen},
                               {14, generalvel, &shutteropen},
                               {15, generalvel}};
const Voice snareVoices[] = {{10, snarevel}};
const Voice bassDrumVoices[] = {{10, percussionvel}};
const int softDelayedTrack = 1;

// ---------------------------------------------------------------------------
// The hole table

enum class Action {
    ShutterOpen,
    BellsOn,
    StopOn,
    Cancel,
    SoftDelayed,  // the note on track 1 at velocity 5, two seconds late
    Snare,
    Trombone,
    Bass,
    Accomp,
    Melody,
    Trumpet,
    BassDrum,
    Nothing,
};

struct HoleRow150 {
    int hole;
    Action action;
    int note;      // MIDI note of a sounding hole, 0 otherwise
    bool counted;  // in the required set
};

using A = Action;
constexpr HoleRow150 holeTable[] = {
    {24, A::ShutterOpen, 0, false},
    {25, A::BellsOn, 0, false},
    {26, A::StopOn, 0, false},
    {27, A::Cancel, 0, false},
    {28, A::SoftDelayed, 43, false},  // G2
    {29, A::Snare, 38, false},        // Acoustic Snare
    {30, A::Trombone, 43, false},     // G2
    {31, A::Trombone, 36, false},     // C2
    {32, A::Trombone, 38, false},     // D2
    {33, A::Bass, 43, false},         // G2
    {34, A::Bass, 36, false},         // C2
    {35, A::Bass, 38, false},         // D2
    {36, A::Accomp, 55, false},       // G3
    {37, A::Accomp, 57, false},       // A3
    {38, A::Accomp, 59, false},       // B3
    {39, A::Accomp, 60, false},       // C4
    {40, A::Accomp, 62, false},       // D4
    {41, A::Accomp, 64, false},       // E4
    {42, A::Accomp, 65, false},       // F4
    {43, A::Accomp, 66, false},       // F#4
    {44, A::Accomp, 67, false},       // G4
    {45, A::Melody, 67, false},       // G4
    {46, A::Melody, 69, false},       // A4
    {47, A::Melody, 71, false},       // B4
    {48, A::Melody, 72, false},       // C5
    {49, A::Melody, 73, false},       // C#5
    {50, A::Melody, 74, false},       // D5
    {51, A::Melody, 76, false},       // E5
    {52, A::Melody, 77, false},       // F5
    {53, A::Melody, 78, false},       // F#5
    {54, A::Melody, 79, false},       // G5
    {55, A::Melody, 81, false},       // A5
    {56, A::Melody, 83, false},       // B5
    {57, A::Melody, 84, false},       // C6
    {58, A::Melody, 85, false},       // C#6
    {59, A::Melody, 86, false},       // D6
    {60, A::Melody, 88, false},       // E6
    {61, A::Trumpet, 60, false},      // C4
    {62, A::Trumpet, 62, false},      // D4
    {63, A::Trumpet, 64, false},      // E4
    {64, A::Trumpet, 65, false},      // F4
    {65, A::Trumpet, 66, false},      // F#4
    {66, A::Trumpet, 67, false},      // G4
    {67, A::Trumpet, 69, false},      // A4
    {68, A::Trumpet, 71, false},      // B4
    {69, A::Trumpet, 72, true},       // C5
    {70, A::Trumpet, 73, true},       // C#5
    {71, A::Trumpet, 74, true},       // D5
    {72, A::Trumpet, 76, true},       // E5
    {73, A::Trumpet, 77, true},       // F5
    {74, A::Trumpet, 78, true},       // F#5
    {75, A::Trumpet, 79, true},       // G5
    {76, A::BassDrum, 35, true},      // Acoustic Bass Drum
    {77, A::Nothing, 0, true},
};

static_assert(rowsCoverScale(holeTable, lowestHole, highestHole),
              "one row per hole from 24 to 77, in order");

void act(const HoleRow150& row, double start, double duration) {
    switch (row.action) {
        case Action::ShutterOpen:
            shutterOpen(start);
            break;
        case Action::BellsOn:
            bellsOn(start);
            break;
        case Action::StopOn:
            stopOn(start);
            break;
        case Action::Cancel:
            cancel(start);
            break;
        case Action::SoftDelayed:
            playnote(start + softDelay, duration, row.note, softDelayedVelocity,
                     softDelayedTrack, softDelayedTrack);
            break;
        case Action::Snare:
            sound(snareVoices, start, duration, row.note);
            break;
        case Action::Trombone:
            sound(tromboneVoices, start, duration, row.note);
            break;
        case Action::Bass:
            sound(bassVoices, start, duration, row.note);
            break;
        case Action::Accomp:
            sound(accompVoices, start, duration, row.note);
            break;
        case Action::Melody:
            sound(melodyVoices, start, duration, row.note);
            break;
        case Action::Trumpet:
            sound(trumpetVoices, start, duration, row.note);
            break;
        case Action::BassDrum:
            sound(bassDrumVoices, start, duration, row.note);
            break;
        case Action::Nothing:
            break;
    }
}

}  // namespace

void xlate150(double start, double duration, int hole) {
    translateHole(holeTable, lowestHole, highestHole, start, duration, hole, act);
}

HoleInfo describeHole150(int hole) {
    const HoleRow150& row = holeTable[hole - lowestHole];
    HoleInfo info{hole, HoleKind::Nothing, "Nothing", row.note, row.counted, {}};
    const std::string note = noteName(row.note);
    switch (row.action) {
        case Action::ShutterOpen:
            info.kind = HoleKind::Shutter;
            info.label = "Shutter open";
            break;
        case Action::BellsOn:
            info.kind = HoleKind::Register;
            info.label = "Bells on";
            break;
        case Action::StopOn:
            info.kind = HoleKind::Register;
            info.label = "Stop on";
            break;
        case Action::Cancel:
            info.kind = HoleKind::Cancel;
            info.label = "Cancel";
            break;
        case Action::SoftDelayed:
            info.kind = HoleKind::Bass;
            info.label = "Soft delayed " + note;
            info.tracks = {softDelayedTrack};
            break;
        case Action::Snare:
            describeSounding(info, HoleKind::Percussion, drumName(row.note), snareVoices);
            break;
        case Action::Trombone:
            describeSounding(info, HoleKind::Bass, "Trombone " + note, tromboneVoices);
            break;
        case Action::Bass:
            describeSounding(info, HoleKind::Bass, "Bass " + note, bassVoices);
            break;
        case Action::Accomp:
            describeSounding(info, HoleKind::Accompaniment, "Accomp " + note, accompVoices);
            break;
        case Action::Melody:
            describeSounding(info, HoleKind::Melody, "Melody " + note, melodyVoices);
            break;
        case Action::Trumpet:
            describeSounding(info, HoleKind::Trumpet, "Trumpet " + note, trumpetVoices);
            break;
        case Action::BassDrum:
            describeSounding(info, HoleKind::Percussion, drumName(row.note), bassDrumVoices);
            break;
        case Action::Nothing:
            break;
    }
    return info;
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
