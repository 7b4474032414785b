// Builds the band-organ soundfont from the organs' own tables.

#include "bandorgan.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <set>
#include <stdexcept>

#include "scale.h"
#include "voices.h"

namespace {

// Samples lie a minor third apart: each sounds its own key and the keys on
// either side, never transposed more than a semitone within the notes that
// the rank receives.
const int keysPerSample = 3;

struct KeyGroup {
    int low, high, root;
};

std::vector<KeyGroup> keyGroups(const std::set<int>& notes) {
    std::vector<KeyGroup> groups;
    const int last = *notes.rbegin();
    for (int low = *notes.begin(); low <= last; low += keysPerSample) {
        const int high = std::min(low + keysPerSample - 1, last);
        groups.push_back({low, high, (low + high) / 2});
    }
    return groups;
}

std::uint64_t seedOf(const std::string& name) {
    std::uint64_t h = 0xCBF29CE484222325ULL;  // FNV-1a
    for (char c : name) {
        h = (h ^ static_cast<unsigned char>(c)) * 0x100000001B3ULL;
    }
    return h;
}

// The seed of a name, its bits stirred (splitmix64's finalizer): names
// that differ in their last letter only lie far apart.
std::uint64_t stirred(const std::string& name) {
    std::uint64_t z = seedOf(name);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

// A number in [0, 1) drawn from a name.
double draw(const std::string& name) {
    return static_cast<double>(stirred(name) >> 11) * (1.0 / 9007199254740992.0);
}

// Where each key stands among the keys of a rank, from 0 to 1, in an
// order drawn from the seed: evenly spread, so that every rank has its
// softest and its loudest, its flattest and its sharpest pipe.
std::map<int, double> standing(const std::set<int>& keys, const std::string& seed) {
    std::vector<int> order(keys.begin(), keys.end());
    std::sort(order.begin(), order.end(), [&seed](int a, int b) {
        return stirred(seed + std::to_string(a)) < stirred(seed + std::to_string(b));
    });
    std::map<int, double> place;
    for (std::size_t i = 0; i < order.size(); ++i) {
        place[order[i]] = order.size() > 1 ? static_cast<double>(i) / (order.size() - 1) : 0.5;
    }
    return place;
}

// The drums do not answer velocity: this replaces the default curve (960
// centibels, concave, from velocity to attenuation) with none, so that
// struck at the translators' fixed velocity they keep up with a full organ.
const sf2::Modulator drumVelocity = {sf2::Velocity | sf2::Falling | sf2::Concave,
                                     sf2::InitialAttenuation, 0, 0, 0};

// The swell shutter.  The translators play a closed shutter at velocity 40
// and an open one at 65: from the middle velocity on, the filter opens
// wide; below it, it muffles the rank above its lowest notes (the brighter
// the rank, the higher, lest it be choked rather than muffled), while the
// velocity curve (replacing the default one) takes the level down.
const sf2::Modulator shutterOpens = {sf2::Velocity | sf2::Switch, sf2::InitialFilterFc, 9600, 0,
                                     0};
const sf2::Modulator shutterSoftens = {sf2::Velocity | sf2::Falling | sf2::Concave,
                                       sf2::InitialAttenuation, 640, 0, 0};

// The snare's roll: strokes a second, strokes in its loop, its level (the
// RMS of the roll against the peak of a tap, dB), how long a hole must stay
// open before it is heard and when its first stroke falls.
const double rollStrokes = 14.0;
const int rollLoop = 8;
const double rollLevel = -10.0;
const double rollAfter = 0.09;
const double rollFirstStroke = 0.1;

// How much of every voice goes to the synthesizer's reverb, in 0.1 %: a
// band organ plays outdoors or under a carousel's roof, with a short echo
// (FluidSynth's own reverb dies away in about a second), and its drums
// sound drier than its pipes.
const int organRoom = 150;
const int drumRoom = 100;

// The wind: every pipe's level swells and sags a little, at a rate of its
// own, and its pitch wavers by a cent.
const double windHz = 1.1;       // the mean rate of the level's movement
const int windCentibels = 5;     // its depth, either way
const double wobbleHz = 4.3;     // the rate of the pitch's movement
const int wobbleCents = 1;       // its depth, either way

// No two pipes of a rank are alike: each key is tuned up to a cent either
// way and voiced up to `keyLevel` dB softer, as it stands in its rank; and
// pipes stand in a C side and a C# side of the facade, keys alternating.
const int keyCents = 1;
const double keyLevel = 1.6;
const int facadeSides = 150;  // pan either side of the rank's place

// Initial attenuation is written in centibels, but FluidSynth, like the
// sound cards the format was made for, hears 0.4 dB in every dB written.
const double centibelsPerDb = 25.0;

int absoluteCents(double hz) {
    return static_cast<int>(std::lround(1200.0 * std::log2(hz / 8.176)));
}

int timecents(double seconds) {
    return static_cast<int>(std::lround(1200.0 * std::log2(seconds)));
}

// The wave at its level, as 16-bit points: a held pipe by the RMS of its
// loop, anything struck by its peak; never above 98 % of full scale.  It
// plays `cents` sharp of the key it sounds at.
sf2::Sample toSample(const std::string& name, const synth::Wave& w, double levelDb,
                     int cents = 0) {
    double peak = 0.0;
    for (double p : w.points) {
        peak = std::max(peak, std::abs(p));
    }
    const double measured = w.looped ? synth::rms(w.points, w.loopStart, w.loopEnd) : peak;
    double gain = std::pow(10.0, levelDb / 20.0) / measured;
    gain = std::min(gain, 0.98 / peak);

    sf2::Sample s;
    s.name = name;
    s.rate = sampleRate;
    s.loopStart = static_cast<std::uint32_t>(w.loopStart);
    s.loopEnd = static_cast<std::uint32_t>(w.loopEnd);
    s.originalKey = static_cast<int>(std::lround(w.key));
    s.correction = static_cast<int>(std::lround((s.originalKey - w.key) * 100.0)) + cents;
    s.points.reserve(w.points.size());
    for (double p : w.points) {
        s.points.push_back(static_cast<std::int16_t>(std::lround(p * gain * 32767.0)));
    }
    return s;
}

std::string range(const std::set<int>& notes) {
    return scale::noteName(*notes.begin()) + "-" + scale::noteName(*notes.rbegin());
}

class Builder {
public:
    BandOrgan result;

    void collect(const Organ& organ) {
        std::map<int, std::set<int>> trackNotes;
        for (int hole = organ.lowestHole; hole <= organ.highestHole; ++hole) {
            const HoleInfo info = organ.describeHole(hole);
            if (info.note == 0) {
                continue;
            }
            if (info.kind == HoleKind::Percussion) {
                drumNotes_.insert(info.note);
                continue;
            }
            for (int track : info.tracks) {
                trackNotes[track].insert(info.note);
            }
        }
        for (const TrackLayout& layout : organ.layout) {
            const std::set<int>& notes = trackNotes[layout.track];
            if (notes.empty()) {
                throw std::runtime_error("no hole of the " + std::string(organ.name) +
                                         " sounds track " + std::to_string(layout.track) +
                                         ": nothing to sample for its program");
            }
            rankNotes_[layout.rank].insert(notes.begin(), notes.end());
            programs_.push_back({&organ, &layout, notes});
        }
    }

    void build() {
        for (const auto& [rank, notes] : rankNotes_) {
            instrumentOf_[rank] = static_cast<int>(result.font.instruments.size());
            addRank(rank, notes);
        }
        for (const Program& p : programs_) {
            addPreset(p);
        }
        addDefaultPreset();
        addDrumKit();
    }

private:
    struct Program {
        const Organ* organ;
        const TrackLayout* layout;
        std::set<int> notes;
    };

    std::map<Rank, std::set<int>> rankNotes_;
    std::map<Rank, int> instrumentOf_;
    std::set<int> drumNotes_;
    std::vector<Program> programs_;
    std::map<std::pair<int, int>, Rank> taken_;  // (bank, program)

    int addSample(sf2::Sample s) {
        result.font.samples.push_back(std::move(s));
        return static_cast<int>(result.font.samples.size()) - 1;
    }

    void addRank(Rank rank, const std::set<int>& notes) {
        const RankVoice& voice = rankVoice(rank);
        sf2::Instrument inst;
        inst.name = voice.name;
        inst.zones.push_back({{sf2::value(sf2::AttackVolEnv, timecents(0.003)),
                               sf2::value(sf2::ReleaseVolEnv, timecents(voice.release)),
                               sf2::value(sf2::SampleModes, voice.struck ? 0 : 1),
                               sf2::value(sf2::Pan, voice.pan),
                               sf2::value(sf2::ReverbSend, organRoom)},
                              {}});
        addShutter(inst.zones.front(), voice.shutter * synth::keyHz(*notes.begin()));
        if (!voice.struck) {
            addWind(inst.zones.front());
        }
        std::vector<Spread> spread;
        for (int r = 0; r <= voice.chorusRanks; ++r) {
            const std::string ofRank = std::string(voice.tag) + " rank " + std::to_string(r);
            spread.push_back(
                {standing(notes, ofRank + " tuning "), standing(notes, ofRank + " level ")});
        }
        const std::vector<KeyGroup> groups = keyGroups(notes);
        for (std::size_t g = 0; g < groups.size(); ++g) {
            const KeyGroup& k = groups[g];
            const std::string name = std::string(voice.tag) + " " + scale::noteName(k.root);
            const synth::Sampling sampling{sampleRate, std::pow(2.0, (k.high - k.root) / 12.0),
                                           seedOf(name)};
            const double hz = synth::keyHz(k.root);
            const synth::Wave wave = voice.struck ? synth::bar(voice.bar, hz, sampling)
                                                  : synth::pipe(voice.pipe, hz, sampling);
            const int sample = addSample(toSample(name, wave, voice.level, voice.cents));
            // The outer samples also answer the keys beyond the rank's notes.
            const int low = g == 0 ? 0 : k.low;
            const int high = g + 1 == groups.size() ? 127 : k.high;
            if (voice.struck) {
                inst.zones.push_back(
                    {{sf2::keyRange(low, high), sf2::value(sf2::SampleId, sample)}, {}});
                continue;
            }
            for (int key = low; key <= high; ++key) {
                // Beyond the rank's notes, one zone answers them all.
                const int last = key < k.low ? k.low - 1 : key > k.high ? high : key;
                addPipe(inst, voice, spread, key, last, sample);
                key = last;
            }
        }
        result.font.instruments.push_back(std::move(inst));
    }

    static void addShutter(sf2::Zone& global, double closedHz) {
        global.gens.push_back(sf2::value(sf2::InitialFilterFc, absoluteCents(closedHz)));
        global.mods = {shutterOpens, shutterSoftens};
    }

    static void addWind(sf2::Zone& global) {
        global.gens.push_back(sf2::value(sf2::FreqModLfo, absoluteCents(windHz)));
        global.gens.push_back(sf2::value(sf2::ModLfoToVolume, windCentibels));
        global.gens.push_back(sf2::value(sf2::FreqVibLfo, absoluteCents(wobbleHz)));
        global.gens.push_back(sf2::value(sf2::VibLfoToPitch, wobbleCents));
    }

    // How the pipes of each of a rank's ranks (its own, then its chorus)
    // stand among their fellows: in tuning and in level.
    struct Spread {
        std::map<int, double> tuning, level;
    };

    // The pipes of keys `low` to `high`: the rank's own and its chorus, each
    // tuned, voiced and placed in the facade as its key stands in its rank.
    static void addPipe(sf2::Instrument& inst, const RankVoice& voice,
                        const std::vector<Spread>& spread, int low, int high, int sample) {
        for (int r = 0; r <= voice.chorusRanks; ++r) {
            const ChorusRank lead = {0.0, 0.0, voice.pan};
            const ChorusRank& rank = r == 0 ? lead : voice.chorus[r - 1];
            const bool own = low == high && spread[r].tuning.count(low) != 0;
            const double tuning = own ? spread[r].tuning.at(low) : 0.5;
            const double level = own ? spread[r].level.at(low) : 0.0;
            const int cents =
                static_cast<int>(std::lround(rank.cents + (2 * tuning - 1) * keyCents));
            const double softer = -rank.level + keyLevel * level;
            const int side = own ? (low % 2 == 0 ? facadeSides : -facadeSides) : 0;
            const std::string pipe = std::string(voice.tag) + " rank " + std::to_string(r) +
                                     " key " + std::to_string(low);
            inst.zones.push_back(
                {{sf2::keyRange(low, high), sf2::value(sf2::FineTune, cents),
                  sf2::value(sf2::InitialAttenuation,
                             static_cast<int>(std::lround(softer * centibelsPerDb))),
                  sf2::value(sf2::Pan, std::clamp(rank.pan + side, -450, 450)),
                  sf2::value(sf2::FreqModLfo,
                             absoluteCents(windHz * (0.7 + 0.6 * draw(pipe + " wind")))),
                  sf2::value(sf2::SampleId, sample)},
                 {}});
        }
    }

    void addPreset(const Program& p) {
        const int bank = p.organ->bank;
        const int program = p.layout->program;
        const auto [at, fresh] = taken_.insert({{bank, program}, p.layout->rank});
        if (!fresh) {
            if (at->second != p.layout->rank) {
                throw std::runtime_error("bank " + std::to_string(bank) + " program " +
                                         std::to_string(program) + " asked for two ranks");
            }
            return;
        }
        const RankVoice& voice = rankVoice(p.layout->rank);
        sf2::Preset preset;
        preset.name = std::string(p.organ->name) + " " + voice.name;
        preset.bank = bank;
        preset.program = program;
        preset.zones.push_back(
            {{sf2::value(sf2::InstrumentId, instrumentOf_.at(p.layout->rank))}, {}});
        result.font.presets.push_back(std::move(preset));
        result.summary.push_back("bank " + std::to_string(bank) + " program " +
                                 std::to_string(program) + ": " + voice.name + ", track " +
                                 std::to_string(p.layout->track) + " of the " + p.organ->name +
                                 ", notes " + range(p.notes));
    }

    // Every channel starts on bank 0, program 0: a synthesizer that finds no
    // preset there complains for each channel when the soundfont loads.
    void addDefaultPreset() {
        if (result.font.instruments.empty() || taken_.count({0, 0}) != 0) {
            return;
        }
        const auto flute = instrumentOf_.find(Rank::Flute);
        const int instrument = flute != instrumentOf_.end() ? flute->second : 0;
        sf2::Preset preset;
        preset.name = "Band Organ";
        preset.zones.push_back({{sf2::value(sf2::InstrumentId, instrument)}, {}});
        result.font.presets.push_back(std::move(preset));
        result.summary.push_back("bank 0 program 0: " + result.font.instruments[instrument].name +
                                 ", where every channel starts");
    }

    // A snare taps once for a short hole and rolls while a long one stays
    // open: under the tap, a looped roll that waits until a hole shorter
    // than `rollAfter` would have closed, and stops at once when it does.
    void addRoll(sf2::Instrument& kit, const DrumVoice& d) {
        const std::string name = std::string(d.name) + " roll";
        const synth::Sampling sampling{sampleRate, 1.0, seedOf(name)};
        synth::Wave wave = synth::snareRoll(d.drum, rollStrokes, rollLoop, rollFirstStroke, sampling);
        wave.key = d.note;
        const int sample = addSample(toSample(name, wave, d.level + rollLevel));
        kit.zones.push_back({{sf2::keyRange(d.note, d.note), sf2::value(sf2::Pan, d.pan),
                              sf2::value(sf2::SampleModes, 1),
                              sf2::value(sf2::DelayVolEnv, timecents(rollAfter)),
                              sf2::value(sf2::AttackVolEnv, timecents(0.005)),
                              sf2::value(sf2::ReleaseVolEnv, timecents(0.04)),
                              sf2::value(sf2::SampleId, sample)},
                             {}});
    }

    void addDrumKit() {
        if (drumNotes_.empty()) {
            return;
        }
        sf2::Instrument kit;
        kit.name = "Band Organ Drums";
        kit.zones.push_back({{sf2::value(sf2::AttackVolEnv, timecents(0.001)),
                              sf2::value(sf2::ReleaseVolEnv, timecents(3.0)),
                              sf2::value(sf2::SampleModes, 0),
                              sf2::value(sf2::ReverbSend, drumRoom)},
                             {drumVelocity}});
        std::string names;
        for (int note : drumNotes_) {
            const DrumVoice* d = drumVoice(note);
            if (d == nullptr) {
                throw std::runtime_error("no drum for percussion note " + std::to_string(note));
            }
            const synth::Sampling sampling{sampleRate, 1.0, seedOf(d->name)};
            synth::Wave wave = synth::drum(d->drum, sampling);
            wave.key = note;
            const int sample = addSample(toSample(d->name, wave, d->level));
            kit.zones.push_back({{sf2::keyRange(note, note), sf2::value(sf2::Pan, d->pan),
                                  sf2::value(sf2::SampleId, sample)},
                                 {}});
            if (d->drum.kind == synth::DrumKind::Snare) {
                addRoll(kit, *d);
            }
            names += (names.empty() ? "" : ", ") + std::to_string(note) + " " + d->name;
        }
        sf2::Preset preset;
        preset.name = kit.name;
        preset.bank = drumBank;
        preset.program = 0;
        preset.zones.push_back(
            {{sf2::value(sf2::InstrumentId, static_cast<int>(result.font.instruments.size()))},
             {}});
        result.font.instruments.push_back(std::move(kit));
        result.font.presets.push_back(std::move(preset));
        result.summary.push_back("bank 128 program 0: drums " + names);
    }
};

}  // namespace

BandOrgan buildBandOrgan(const std::vector<const Organ*>& organs) {
    Builder b;
    for (const Organ* organ : organs) {
        b.collect(*organ);
    }
    b.build();
    b.result.font.info = {
        "Kolvo Band Organ",
        "CC0 1.0: dedicated to the public domain by the kolvo authors, 2026",
        "The pipes, bells and drums of Wurlitzer 165 and 150 band organs, synthesized.",
        "kolvo bandorgan",
    };
    return std::move(b.result);
}
