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

// The drums answer velocity more gently than the default curve (960
// centibels, concave, from velocity to attenuation), which this replaces:
// struck at the translators' fixed velocity they keep up with a full organ.
const sf2::Modulator drumVelocity = {0x0502, sf2::InitialAttenuation, 480, 0, 0};

// How much of every voice goes to the synthesizer's reverb, in 0.1 %: a
// band organ is heard in a room, not in an anechoic chamber.
const int roomShare = 250;

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
                               sf2::value(sf2::ReverbSend, roomShare)},
                              {}});
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
            inst.zones.push_back(
                {{sf2::keyRange(low, high), sf2::value(sf2::SampleId, sample)}, {}});
        }
        result.font.instruments.push_back(std::move(inst));
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

    void addDrumKit() {
        if (drumNotes_.empty()) {
            return;
        }
        sf2::Instrument kit;
        kit.name = "Band Organ Drums";
        kit.zones.push_back({{sf2::value(sf2::AttackVolEnv, timecents(0.001)),
                              sf2::value(sf2::ReleaseVolEnv, timecents(3.0)),
                              sf2::value(sf2::SampleModes, 0),
                              sf2::value(sf2::ReverbSend, roomShare)},
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
