// A SoundFont 2.01 file in memory, and its writer.
//
// The file is a RIFF "sfbk" form of three lists: INFO (version, sound
// engine, name, copyright, ...), sdta (one chunk of 16-bit mono sample
// points) and pdta, the nine tables that build presets from instruments and
// instruments from samples (phdr pbag pmod pgen, inst ibag imod igen, shdr),
// each closed by its terminal record.  Everything is little-endian.

#ifndef KOLVO_SOUNDFONT_H
#define KOLVO_SOUNDFONT_H

#include <cstdint>
#include <string>
#include <vector>

namespace sf2 {

// Generator operators used here, numbered as the format numbers them.
enum Gen : std::uint16_t {
    VibLfoToPitch = 6,    // cents at the LFO's peak
    InitialFilterFc = 8,  // absolute cents: 1200 * log2(Hz / 8.176)
    ModLfoToVolume = 13,  // centibels at the LFO's peak
    ReverbSend = 16,      // 0.1 % units
    Pan = 17,             // -500 (left) to 500 (right)
    FreqModLfo = 22,      // absolute cents
    FreqVibLfo = 24,      // absolute cents
    DelayVolEnv = 33,     // timecents
    AttackVolEnv = 34,    // timecents: 1200 * log2(seconds)
    HoldVolEnv = 35,
    DecayVolEnv = 36,
    SustainVolEnv = 37,   // centibels of attenuation
    ReleaseVolEnv = 38,
    InstrumentId = 41,    // last generator of a preset zone
    KeyRange = 43,        // first generator of a zone
    InitialAttenuation = 48,
    FineTune = 52,        // cents
    SampleId = 53,        // last generator of an instrument zone
    SampleModes = 54,     // 0 no loop, 1 loop continuously
};

struct Generator {
    std::uint16_t oper;
    std::uint16_t amount;  // the raw word: a signed value, or low and high byte of a range
};

Generator value(Gen oper, int amount);
Generator keyRange(int low, int high);

// A modulator record; sources are the format's packed source words: a
// controller, its direction, polarity and curve.
enum Source : std::uint16_t {
    NoSource = 0,
    Velocity = 2,          // of the note-on
    Falling = 0x0100,      // from 1 down to 0
    Concave = 0x0400,
    Switch = 0x0C00,       // 0 below the middle, 1 from it on
};

struct Modulator {
    std::uint16_t source;
    std::uint16_t dest;
    std::int16_t amount;
    std::uint16_t amountSource;
    std::uint16_t transform;
};

// A zone: generators in any order (the writer puts a key range first and
// the instrument or sample last), and modulators.  A zone without an
// instrument (or sample) generator that comes first is the global zone.
struct Zone {
    std::vector<Generator> gens;
    std::vector<Modulator> mods;
};

// One sample: 16-bit mono points; loop points count from the sample's first
// point, the loop end being the first point after the loop.
struct Sample {
    std::string name;
    std::vector<std::int16_t> points;
    std::uint32_t loopStart = 0;
    std::uint32_t loopEnd = 0;
    std::uint32_t rate = 44100;
    int originalKey = 60;
    int correction = 0;  // cents, -99 to 99
};

struct Instrument {
    std::string name;
    std::vector<Zone> zones;
};

struct Preset {
    std::string name;
    int program = 0;
    int bank = 0;
    std::vector<Zone> zones;
};

struct Info {
    std::string name;       // INAM
    std::string copyright;  // ICOP
    std::string comment;    // ICMT
    std::string software;   // ISFT
};

struct SoundFont {
    Info info;
    std::vector<Sample> samples;
    std::vector<Instrument> instruments;
    std::vector<Preset> presets;
};

// The bytes of the file.  Throws std::invalid_argument for what the format
// cannot hold: a name longer than 20 characters, a loop without eight
// points on either side, a zone naming an instrument or sample that does
// not exist, a table beyond 65535 records.
std::vector<unsigned char> write(const SoundFont& font);

}  // namespace sf2

#endif
