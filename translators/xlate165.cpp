// Wurlitzer 165 roll translation.
//
// Every hole of the 165 scale (24 to 98) has one row in the hole table: the
// section it sounds, or the control it works, its MIDI note and whether it
// belongs to the required set by which a roll is judged.  The translator is
// one dispatch over the action of the hole's row.
//
// The control state: eight registers, each an on flag, the start of the
// hole that last switched it on, and the velocity it lends its voice; and
// the swell shutter, which sets the velocity of the general voices and of
// the registers that are on.  Holes reach the translator when they close,
// so a control hole acts on every hole translated after it.

#include "xlate165.h"

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
// Registers

// The registers, in the order in which the cancel hole tests them.
enum Reg { A7, C2, GSHARP2, GSHARP7, A2, G7, D2ORF2, G2, NoReg };

struct Register {
    const char* name;
    bool& open;
    double& opentime;
    int& vel;
    int track;           // the voice it drives (track and channel)
    bool followsShutter; // d2orf2 always speaks at 65
};

Register registers[] = {
    {"a7", a7open, a7opentime, a7vel, 2, true},
    {"c2", c2open, c2opentime, c2vel, 4, true},
    {"gsharp2", gsharp2open, gsharp2opentime, gsharp2vel, 5, true},
    {"gsharp7", gsharp7open, gsharp7opentime, gsharp7vel, 6, true},
    {"a2", a2open, a2opentime, a2vel, 7, true},
    {"g7", g7open, g7opentime, g7vel, 9, true},
    {"d2orf2", d2orf2open, d2orf2opentime, d2orf2vel, 12, false},
    {"g2", g2open, g2opentime, g2vel, 14, true},
};

// The registers that the shutter raises when it opens and lowers when it
// closes; d2orf2 is not among them.
const Reg shutterOpenOrder[] = {A7, C2, GSHARP2, GSHARP7, A2, G7, G2};
const Reg shutterCloseOrder[] = {C2, A7, GSHARP2, GSHARP7, A2, G7, G2};

void registerOn(Register& r, double t) {
    r.open = true;
    r.opentime = t;  // also when already on: the latest hole's start counts
    if (r.followsShutter) {
        r.vel = softVelocity;
        if (shutteropen) {
            r.vel = loudVelocity;
        }
    } else {
        r.vel = loudVelocity;
    }
}

void shutterOpen(double t) {
    shutteropen = true;
    shutteropentime = t;
    generalvel = loudVelocity;
    for (Reg reg : shutterOpenOrder) {
        if (registers[reg].open) {
            registers[reg].vel = loudVelocity;
        }
    }
}

// Closing needs no time, and lowers the registers that are on even when the
// shutter was closed already.
void shutterClose() {
    shutteropen = false;
    generalvel = softVelocity;
    for (Reg reg : shutterCloseOrder) {
        if (registers[reg].open) {
            registers[reg].vel = softVelocity;
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

const Voice bassVoices[] = {{1, generalvel}, {2, a7vel}};
const Voice accompVoices[] = {{3, generalvel}, {4, c2vel}};
// The melody has no general voice: it sounds only on registers that are on.
const Voice melodyVoices[] = {{5, gsharp2vel}, {6, gsharp7vel}, {7, a2vel}, {9, g7vel},
                              {12, d2orf2vel}};
const Voice trumpetVoices[] = {{13, generalvel}, {14, g2vel}};
const Voice percussionVoices[] = {{10, percussionvel}};
const int softDelayedTrack = 1;

// ---------------------------------------------------------------------------
// The hole table

enum class Action {
    Bass,
    Accomp,
    Melody,
    Trumpet,
    Percussion,
    SoftDelayed,   // note 45 on track 1 at velocity 5, two seconds late
    RegisterOn,
    ShutterOpen,
    ShutterClose,
    Cancel,
    Nothing,
};

struct HoleRow165 {
    int hole;
    Action action;
    int note;     // MIDI note of a sounding hole, 0 otherwise
    Reg reg;      // the register of a RegisterOn hole
    bool counted; // in the required set
};

using A = Action;
constexpr HoleRow165 holeTable[] = {
    {24, A::RegisterOn, 0, C2, false},
    {25, A::RegisterOn, 0, G2, false},
    {26, A::RegisterOn, 0, D2ORF2, false},
    {27, A::Percussion, 81, NoReg, false},  // Open Triangle
    {28, A::ShutterClose, 0, NoReg, false},
    {29, A::RegisterOn, 0, D2ORF2, false},
    {30, A::Percussion, 57, NoReg, false},  // Crash Cymbal 2
    {31, A::RegisterOn, 0, G2, false},
    {32, A::RegisterOn, 0, GSHARP2, false},
    {33, A::RegisterOn, 0, A2, false},
    {34, A::Percussion, 38, NoReg, false},  // Acoustic Snare
    {35, A::Bass, 36, NoReg, false},
    {36, A::Bass, 38, NoReg, false},
    {37, A::Bass, 40, NoReg, false},
    {38, A::Bass, 41, NoReg, false},
    {39, A::Bass, 43, NoReg, false},
    {40, A::Bass, 45, NoReg, false},
    {41, A::SoftDelayed, 45, NoReg, false},
    {42, A::Accomp, 55, NoReg, false},
    {43, A::Accomp, 57, NoReg, false},
    {44, A::Accomp, 58, NoReg, false},
    {45, A::Accomp, 59, NoReg, false},
    {46, A::Accomp, 60, NoReg, false},
    {47, A::Accomp, 61, NoReg, false},
    {48, A::Accomp, 62, NoReg, false},
    {49, A::Accomp, 64, NoReg, false},
    {50, A::Accomp, 65, NoReg, false},
    {51, A::Accomp, 66, NoReg, false},
    {52, A::Nothing, 0, NoReg, false},
    {53, A::Melody, 67, NoReg, false},
    {54, A::Melody, 68, NoReg, false},
    {55, A::Melody, 69, NoReg, false},
    {56, A::Melody, 70, NoReg, false},
    {57, A::Melody, 71, NoReg, false},
    {58, A::Melody, 72, NoReg, false},
    {59, A::Melody, 73, NoReg, false},
    {60, A::Melody, 74, NoReg, false},
    {61, A::Melody, 75, NoReg, false},
    {62, A::Melody, 76, NoReg, false},
    {63, A::Melody, 77, NoReg, false},
    {64, A::Melody, 78, NoReg, false},
    {65, A::Melody, 79, NoReg, false},
    {66, A::Melody, 80, NoReg, false},
    {67, A::Melody, 81, NoReg, false},
    {68, A::Melody, 82, NoReg, false},
    {69, A::Melody, 83, NoReg, false},
    {70, A::Melody, 84, NoReg, false},
    {71, A::Melody, 85, NoReg, false},
    {72, A::Melody, 86, NoReg, false},
    {73, A::Melody, 88, NoReg, false},
    {74, A::Melody, 89, NoReg, false},
    {75, A::Cancel, 0, NoReg, false},
    {76, A::Trumpet, 53, NoReg, false},
    {77, A::Trumpet, 54, NoReg, false},
    {78, A::Trumpet, 55, NoReg, true},
    {79, A::Trumpet, 56, NoReg, true},
    {80, A::Trumpet, 57, NoReg, true},
    {81, A::Trumpet, 58, NoReg, true},
    {82, A::Trumpet, 59, NoReg, true},
    {83, A::Trumpet, 60, NoReg, true},
    {84, A::Trumpet, 61, NoReg, true},
    {85, A::Trumpet, 62, NoReg, true},
    {86, A::Trumpet, 64, NoReg, true},
    {87, A::Trumpet, 65, NoReg, true},
    {88, A::Trumpet, 66, NoReg, false},
    {89, A::Trumpet, 67, NoReg, true},
    {90, A::Percussion, 35, NoReg, true},  // Acoustic Bass Drum
    {91, A::RegisterOn, 0, G7, true},
    {92, A::RegisterOn, 0, GSHARP7, false},
    {93, A::RegisterOn, 0, A7, false},
    {94, A::ShutterOpen, 0, NoReg, true},
    {95, A::Percussion, 85, NoReg, true},  // Castanets
    {96, A::Percussion, 40, NoReg, true},  // Electric Snare
    {97, A::Percussion, 64, NoReg, true},  // Low Conga
    {98, A::Nothing, 0, NoReg, true},
};

static_assert(rowsCoverScale(holeTable, lowestHole, highestHole),
              "one row per hole from 24 to 98, in order");

void act(const HoleRow165& row, double start, double duration) {
    switch (row.action) {
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
        case Action::Percussion:
            sound(percussionVoices, start, duration, row.note);
            break;
        case Action::SoftDelayed:
            playnote(start + softDelay, duration, row.note, softDelayedVelocity,
                     softDelayedTrack, softDelayedTrack);
            break;
        case Action::RegisterOn:
            registerOn(registers[row.reg], start);
            break;
        case Action::ShutterOpen:
            shutterOpen(start);
            break;
        case Action::ShutterClose:
            shutterClose();
            break;
        case Action::Cancel:
            cancel(start);
            break;
        case Action::Nothing:
            break;
    }
}

}  // namespace

void xlate165(double start, double duration, int hole) {
    translateHole(holeTable, lowestHole, highestHole, start, duration, hole, act);
}

HoleInfo describeHole165(int hole) {
    const HoleRow165& row = holeTable[hole - lowestHole];
    HoleInfo info{hole, HoleKind::Nothing, "Nothing", row.note, row.counted, {}};
    const std::string note = noteName(row.note);
    switch (row.action) {
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
        case Action::Percussion:
            describeSounding(info, HoleKind::Percussion, drumName(row.note), percussionVoices);
            break;
        case Action::SoftDelayed:
            info.kind = HoleKind::Bass;
            info.label = "Soft delayed " + note;
            info.tracks = {softDelayedTrack};
            break;
        case Action::RegisterOn:
            info.kind = HoleKind::Register;
            info.label = std::string("Register ") + registers[row.reg].name + " on";
            break;
        case Action::ShutterOpen:
            info.kind = HoleKind::Shutter;
            info.label = "Shutter open";
            break;
        case Action::ShutterClose:
            info.kind = HoleKind::Shutter;
            info.label = "Shutter close";
            break;
        case Action::Cancel:
            info.kind = HoleKind::Cancel;
            info.label = "Cancel";
            break;
        case Action::Nothing:
            break;
    }
    return info;
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
