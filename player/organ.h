// What an organ is to the programs: its texts, its scale and translator,
// its controls, the rule by which a roll is judged, and its arrangement's
// bank and track layout.

#ifndef KOLVO_ORGAN_H
#define KOLVO_ORGAN_H

#include <cstddef>
#include <string>
#include <vector>

// The band-organ rank that a program of an organ's bank sounds: the pipes,
// reeds or bells behind a track.  The organ soundfont voices each program
// as its rank.
enum class Rank {
    StoppedBass,     // stopped wood basses: round, mostly odd partials
    OpenBass,        // open wood basses
    OpenStringBass,  // open basses of narrow, string-toned scale
    TromboneReed,    // brass trombones of the bass
    AccompFlute,     // open flutes of the accompaniment
    AccompViola,     // narrow string-toned pipes of the accompaniment
    AccompBell,      // soft metal bars struck with the accompaniment
    ViolinPipe,      // narrow string-toned melody pipes
    Flute,           // open wooden melody flutes
    Piccolo,         // small, bright, breathy melody flutes
    Flageolet,       // small flutes with a hollow, reedy edge
    Glockenspiel,    // steel bars struck with the melody
    BaritoneReed,    // mellow brass of the counter-melody
    ClarinetReed,    // hollow reeds, mostly odd partials
    TrumpetReed,     // bright brass trumpets
};

// One named track of the arrangement: its name, the program it gets from
// the organ's bank, and the rank that program sounds.  The track number is
// also its MIDI channel.
struct TrackLayout {
    int track;
    const char* name;
    int program;
    Rank rank;
};

// A table of rows given by its first row and its count, to walk with a
// range-for: the rows of an organ's layout or its controls.
template <class Row>
struct Rows {
    const Row* first = nullptr;
    int count = 0;

    constexpr Rows() = default;
    template <std::size_t N>
    constexpr Rows(const Row (&table)[N]) : first(table), count(static_cast<int>(N)) {}

    constexpr const Row* begin() const { return first; }
    constexpr const Row* end() const { return first + count; }
    constexpr const Row& operator[](int index) const { return first[index]; }
    constexpr int size() const { return count; }
};

// A control of an organ that its holes switch on and its cancel hole off: a
// register, the stop, the bells or the swell shutter.  What shows the
// organ's state (lamps, a timeline) reads it through these rows alone.
struct OrganControl {
    const char* name;   // short: "c2", "stop", "shutter"
    const char* label;  // plain: "Register c2", "Stop", "Shutter"
    const bool* on;     // its flag: whether it is on now
};

using Translator = void (*)(double start, double duration, int hole);

// What one hole of an organ's scale does, as tools that count or picture
// holes see it.  Read from the translator's own hole table.
enum class HoleKind {
    Bass,           // bass pipes (the 150's trombones too, and the soft delayed note)
    Accompaniment,
    Melody,
    Trumpet,
    Percussion,
    Register,       // a register, the stop or the bells switched on
    Shutter,        // the swell shutter opened or closed
    Cancel,
    Nothing,        // sounds and switches nothing
};

struct HoleInfo {
    int hole;
    HoleKind kind;
    std::string label;        // what the hole does: "Bass C2", "Register c2 on", "Cancel"
    int note;                 // the MIDI note it sounds, 0 when none
    bool counted;             // in the required set by which a roll is judged
    std::vector<int> tracks;  // the tracks (and channels) its notes may go to
};

// The rule by which a roll is judged after its last hole, on the two
// counters that the translator keeps: at most mostHolesOutsideScale holes
// outside the scale and at least fewestRequiredHoles required holes.
struct ValidityRule {
    int mostHolesOutsideScale;
    int fewestRequiredHoles;
};

// Everything that makes one organ, in one record: the programs and tools
// find the organs in the registry (organs.h), and the players select theirs
// there by name.
struct Organ {
    const char* name;  // "165": how programs, options and help texts name it

    // What its player prints and writes.
    const char* bannerLine;   // "Play Wurlitzer 165 e-roll, v2.01"
    const char* creditLine;   // the banner's second line: program and copyright holder
    const char* usageTail;    // "  w165e-roll.mid [optempo]"
    const char* invalidRoll;  // "Invalid w165 e-roll"
    const char* marker;       // "w165k-v", the marker text of the arrangement

    // Its scale, and how a roll is read on it.
    int lowestHole;  // the scale: holes lowestHole to highestHole
    int highestHole;
    Translator translate;                 // xlate165 or xlate150
    HoleInfo (*describeHole)(int hole);   // for a hole of the scale
    Rows<OrganControl> controls;          // what its control holes switch
    void (*resetControls)();              // puts the control state back to its start
    ValidityRule validity;

    // Its arrangement: the bank of the soundfont it selects, and its named
    // tracks, in the order their events are added.  Each row's rank is what
    // the band-organ soundfont voices for that program.
    int bank;
    Rows<TrackLayout> layout;

    const char* exampleRoll;  // "examples/demo165.mid", in the source tree
};

#endif
