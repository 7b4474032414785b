// The voicing's fingerprint: for every preset of both organs (the middle
// note of its track) and every drum, what FluidSynth plays measured
// (level, place, brightness, pitch, speech, release, the snare's roll),
// what it sets up from the file (reverb, the wind's LFOs, envelopes, how
// the rank's pipes spread in tuning, level and place) and the sample it
// plays (root, length, loop).  The expected values are in fingerprint.tsv,
// each feature within its tolerance below: the render is deterministic, the
// tolerances hold a change of a voicing constant by a tenth.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>

#include "hear.h"
#include "sf2file.h"
#include "xlate150.h"
#include "xlate165.h"

namespace {

using namespace hear;

// The features, in the columns of the table, each with its tolerance
// either way: absolute, or relative to the expected value.
struct Feature {
    const char* name;
    double tolerance;
    bool relative;
};
constexpr Feature features[] = {
    {"level_dB", 0.3, false},      // RMS of a held pipe, the loudest 5 ms of a hit
    {"pan_dB", 0.3, false},        // left against right
    {"centroid", 0.01, true},      // x the key's pitch; of a drum, in kHz
    {"cents", 0.3, false},         // a held pipe's pitch against the key
    {"peak_Hz", 0.005, true},      // a drum's strongest partial below 2.5 kHz
    {"glide_cents", 5.0, false},   // a drum's pitch in its first 60 ms against its peak
    {"speaks_ms", 2.0, false},     // until its fundamental is within 1 dB of its held level
    {"h2_dB", 1.0, false},         // a pipe's second partial against its first
    {"upper_x", 0.001, true},      // a bar's or drum's strongest partial from 1.5 to 12 x
    {"upper_dB", 1.0, false},      // its pitch (or peak): where, and against it
    {"dies_ms", 0.06, true},       // pipe: after note-off, to 40 dB under; struck: ringing
    {"roll_hz", 0.3, false},       // a held snare's strokes per second
    {"roll_dB", 1.0, false},       // the roll's level against the tap's
    {"hands_dB", 0.8, false},      // the roll's first stroke against its second
    {"voices", 0, false},
    {"atten_sum", 0, false},       // attenuation, fine tune and pan of all of them, summed
    {"tune_sum", 0, false},
    {"pan_sum", 0, false},
    {"reverb", 0, false},          // generators of the lead voice, as set from the file
    {"attack_tc", 0, false},
    {"delay_tc", 0, false},
    {"release_tc", 0, false},
    {"filter_ac", 0, false},
    {"modlfo_ac", 0, false},       // drawn for every pipe about the wind's rate
    {"modlfo_cB", 0, false},
    {"viblfo_ac", 0, false},
    {"viblfo_cents", 0, false},
    {"tune_mean", 0.05, false},    // fine tune of the lead pipes of all the rank's keys
    {"tune_range", 0, false},
    {"atten_range", 0, false},     // their attenuation, spread
    {"pan_range", 0, false},       // their places in the facade
    {"root", 0, false},            // the sample: its root key against the note
    {"correction", 0, false},
    {"length", 0, false},          // points
    {"loop", 0, false},
    {"samples", 0, false},         // all the samples the preset plays: how many,
    {"all_length", 0, false},      // their lengths, loops and roots summed
    {"all_loop", 0, false},
    {"all_roots", 0, false},
};
constexpr int featureCount = static_cast<int>(std::size(features));

using Print = std::map<std::string, double>;  // features measured; the others do not apply

struct Item {
    std::string name;
    int bank, program, key;
    Rank rank;  // of a preset
    const std::set<int>* keys;  // the rank's notes on this organ; nullptr for a drum
};

const char* const tablePath = KOLVO_SOURCE_DIR "/tests/soundfont/fingerprint.tsv";

// The lead voice: the loudest, the one with the least attenuation.
const std::vector<float>& lead(const std::vector<std::vector<float>>& voices) {
    return *std::min_element(voices.begin(), voices.end(),
                             [](const auto& a, const auto& b) { return a[0] < b[0]; });
}

void fromFile(Synth& synth, const Item& item, Print& p) {
    const std::vector<int> gens = {GEN_ATTENUATION, GEN_REVERBSEND,  GEN_VOLENVATTACK,
                                   GEN_VOLENVDELAY, GEN_VOLENVRELEASE, GEN_FILTERFC,
                                   GEN_MODLFOFREQ,  GEN_MODLFOTOVOL, GEN_VIBLFOFREQ,
                                   GEN_VIBLFOTOPITCH, GEN_FINETUNE,   GEN_PAN};
    const auto voices = synth.generators(item.bank, item.program, item.key, 65, gens);
    p["voices"] = voices.size();
    if (voices.empty()) {
        return;
    }
    for (const std::vector<float>& v : voices) {
        p["atten_sum"] += v[0];
        p["tune_sum"] += v[10];
        p["pan_sum"] += v[11];
    }
    const std::vector<float>& v = lead(voices);
    const char* names[] = {"reverb", "attack_tc", "delay_tc", "release_tc", "filter_ac",
                           "modlfo_ac", "modlfo_cB", "viblfo_ac", "viblfo_cents"};
    for (int i = 0; i < 9; ++i) {
        p[names[i]] = v[i + 1];
    }
    if (item.keys == nullptr) {
        return;
    }
    double sum = 0, tuneLow = 1e9, tuneHigh = -1e9, attLow = 1e9, attHigh = -1e9;
    double panLow = 1e9, panHigh = -1e9;
    for (int key : *item.keys) {
        const std::vector<float> k = lead(synth.generators(item.bank, item.program, key, 65, gens));
        sum += k[10];
        tuneLow = std::min<double>(tuneLow, k[10]), tuneHigh = std::max<double>(tuneHigh, k[10]);
        attLow = std::min<double>(attLow, k[0]), attHigh = std::max<double>(attHigh, k[0]);
        panLow = std::min<double>(panLow, k[11]), panHigh = std::max<double>(panHigh, k[11]);
    }
    p["tune_mean"] = sum / item.keys->size();
    p["tune_range"] = tuneHigh - tuneLow;
    p["atten_range"] = attHigh - attLow;
    p["pan_range"] = panHigh - panLow;
}

// The sample of the first zone that plays the item's key (of a snare, its
// tap's), and all the samples of its preset (of a drum, of the kit).
void sampleOf(const Item& item, Print& p) {
    const Loaded& file = loaded();
    IpatchSF2Preset* preset = file.font != nullptr ? file.preset(item.bank, item.program) : nullptr;
    if (preset == nullptr) {
        return;
    }
    auto length = [](IpatchSF2Sample* s) { return sizeOf(s); };
    auto loop = [](IpatchSF2Sample* s) { return s->loop_end - s->loop_start; };
    std::set<IpatchSF2Sample*> all;
    for (const Zone& z : zonesOf(preset)) {
        if (z.low <= item.key && item.key <= z.high && p.count("root") == 0) {
            p["root"] = z.sample->root_note - item.key;
            p["correction"] = z.sample->fine_tune;
            p["length"] = length(z.sample);
            p["loop"] = loop(z.sample);
        }
        if (all.insert(z.sample).second) {
            p["samples"] += 1;
            p["all_length"] += length(z.sample);
            p["all_loop"] += loop(z.sample);
            p["all_roots"] += z.sample->root_note;
        }
    }
}

double panDb(const Sound& s) {
    return db(rms(s.left, 0, 1e9)) - db(rms(s.right, 0, 1e9));
}

double loudestFrame(const std::vector<float>& x) {
    const std::vector<double> e = envelope(x, 0.0, x.size() / double(rate), 0.005);
    return *std::max_element(e.begin(), e.end());
}

// Seconds until the fundamental first comes within 1 dB of its held level
// (its mean from 0.5 to 1 s, beating or not), followed in frames of two
// periods, between frames by a line.
double speech(const std::vector<float>& x, double hz) {
    const Track t = follow(x, hz, 0.0, 1.0, std::max(2.0 / hz, 0.004));
    const std::size_t half = t.levelDb.size() / 2;
    const double hop = t.frame / 2;
    double held = -1.0;
    for (std::size_t i = half; i < t.levelDb.size(); ++i) {
        held += t.levelDb[i] / (t.levelDb.size() - half);
    }
    for (std::size_t i = 1; i < t.levelDb.size(); ++i) {
        if (t.levelDb[i] >= held) {
            const double before = t.levelDb[i - 1];
            return hop * (i - 1 + (held - before) / (t.levelDb[i] - before));
        }
    }
    return t.levelDb.size() * hop;
}

void heardPipe(Synth& synth, const Item& item, Print& p) {
    const double held = 1.2, hz = keyHz(item.key);
    const Sound s = synth.hold(item.bank, item.program, {item.key}, 65, held, 0.6);
    const std::vector<float> x = s.mid();
    const double level = db(rms(x, 0.5, held));
    p["level_dB"] = hear::level(s, 0.5, held);
    p["pan_dB"] = panDb(s);
    const std::vector<double> mag = spectrum(x, 0.4);
    p["centroid"] = centroidHz(mag) / hz;
    const std::vector<double> cents = follow(x, hz, 0.4, held, 0.1).centsOff;
    double sum = 0;
    for (double c : cents) {
        sum += c / cents.size();
    }
    p["cents"] = sum;
    p["speaks_ms"] = 1000 * speech(x, hz);
    p["h2_dB"] = peakIn(mag, 1.98 * hz, 2.02 * hz).db - peakIn(mag, 0.98 * hz, 1.02 * hz).db;
    const std::vector<double> after = envelope(x, held, held + 0.6, 0.002);
    const auto gone = std::find_if(after.begin(), after.end(),
                                   [level](double v) { return v < level - 40.0; });
    p["dies_ms"] = 2.0 * (gone - after.begin());
}

void upper(const std::vector<double>& mag, double hz, Print& p) {
    const Peak up = peakIn(mag, 1.5 * hz, std::min(12 * hz, 16000.0));
    p["upper_x"] = up.hz / hz;
    p["upper_dB"] = up.db - peakIn(mag, 0.97 * hz, 1.03 * hz).db;
}

void heardBar(Synth& synth, const Item& item, Print& p) {
    const Sound s = synth.hold(item.bank, item.program, {item.key}, 65, 2.0, 0.5);
    const std::vector<float> x = s.mid();
    p["level_dB"] = loudestFrame(x);
    p["pan_dB"] = panDb(s);
    const std::vector<double> mag = spectrum(x, 0.0);
    p["centroid"] = centroidHz(mag) / keyHz(item.key);
    upper(mag, keyHz(item.key), p);
    p["dies_ms"] = 1000 * ringsFor(x);
}

void heardDrum(Synth& synth, const Item& item, Print& p) {
    const Sound s = synth.hold(drumBank, 0, {item.key}, 65, 0.05, 3.0);
    const std::vector<float> x = s.mid();
    p["level_dB"] = loudestFrame(x);
    p["pan_dB"] = panDb(s);
    const std::vector<double> mag = spectrum(x, 0.0);
    p["centroid"] = centroidHz(mag) / 1000;
    const double peak = peakIn(mag, 30, 2500).hz;
    p["peak_Hz"] = peak;
    upper(mag, peak, p);
    const std::vector<double> early = follow(x, peak, 0.0, 0.06, 0.03).centsOff;
    p["glide_cents"] = early.empty() ? 0.0 : early.front();
    p["dies_ms"] = 1000 * ringsFor(x);
    if (item.key != 38 && item.key != 40) {
        return;
    }
    const std::vector<float> roll = synth.play(drumBank, 0, item.key, 65, 0.6, 0.5);
    const std::vector<double> at = strokes(roll);
    if (at.size() < 4) {
        return;
    }
    p["roll_hz"] = (at.size() - 2) / (at.back() - at[1]);
    p["roll_dB"] = db(rms(roll, at[1], at.back())) - db(rms(x, 0.0, 0.1));
    auto stroke = [&](std::size_t i) { return db(rms(roll, at[i], at[i] + 0.03)); };
    p["hands_dB"] = stroke(1) - stroke(2);
}

std::vector<Item> items() {
    std::vector<Item> all;
    std::set<int> drums;
    static std::map<const Organ*, std::map<int, std::set<int>>> notes;
    for (const Organ* organ : {&organ165, &organ150}) {
        notes[organ] = trackNotes(*organ, &drums);
        for (const TrackLayout& row : organ->layout) {
            const std::set<int>& keys = notes[organ].at(row.track);
            const int key = *std::next(keys.begin(), keys.size() / 2);
            all.push_back({std::string(organ->name) + "/" + std::to_string(row.program) + "/" +
                               std::to_string(key),
                           organ->bank, row.program, key, row.rank, &keys});
        }
    }
    for (int d : drums) {
        all.push_back({"drum/" + std::to_string(d), drumBank, 0, d, Rank::Flute, nullptr});
    }
    return all;
}

Print measure(Synth& synth, const Item& item) {
    Print p;
    if (item.keys == nullptr) {
        heardDrum(synth, item, p);
    } else if (struck(item.rank)) {
        heardBar(synth, item, p);
    } else {
        heardPipe(synth, item, p);
    }
    fromFile(synth, item, p);
    sampleOf(item, p);
    return p;
}

std::string row(const std::string& name, const Print& p) {
    std::string line = name;
    char cell[32];
    for (const Feature& f : features) {
        const auto at = p.find(f.name);
        if (at == p.end()) {
            line += "\t-";
        } else {
            std::snprintf(cell, sizeof cell, "\t%.6g", at->second);
            line += cell;
        }
    }
    return line;
}

// The table: item, then a value or "-" for every feature.
std::map<std::string, std::vector<std::string>> readTable() {
    std::map<std::string, std::vector<std::string>> table;
    std::ifstream in(tablePath);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') {
            continue;
        }
        std::istringstream cells(line);
        std::string name, cell;
        std::getline(cells, name, '\t');
        if (name == "item") {  // the heading
            continue;
        }
        while (std::getline(cells, cell, '\t')) {
            table[name].push_back(cell);
        }
    }
    return table;
}

// With KOLVO_FINGERPRINT_OUT set, writes the table measured to that file
// instead of checking.
TEST(Fingerprint, EveryPresetAndDrumSoundsAsTheTableSays) {
    Synth synth;
    const char* out = std::getenv("KOLVO_FINGERPRINT_OUT");
    if (out != nullptr) {
        std::ofstream table(out);
        table << "# The voicing's fingerprint, checked by test_fingerprint.cpp.  After a\n"
                 "# deliberate change of the voicing, regenerate it from the build folder:\n"
                 "#   KOLVO_FINGERPRINT_OUT=../tests/soundfont/fingerprint.tsv \\\n"
                 "#     tests/test_soundfont --gtest_filter=Fingerprint.*\n"
                 "# and read the difference before committing it.\n";
        table << "item";
        for (const Feature& f : features) {
            table << "\t" << f.name;
        }
        table << "\n";
        for (const Item& item : items()) {
            table << row(item.name, measure(synth, item)) << "\n";
        }
        return;
    }
    const auto table = readTable();
    ASSERT_FALSE(table.empty()) << tablePath;
    std::size_t checked = 0;
    for (const Item& item : items()) {
        SCOPED_TRACE(item.name);
        const auto expected = table.find(item.name);
        ASSERT_NE(expected, table.end()) << "not in the table";
        ASSERT_EQ(expected->second.size(), std::size_t{featureCount});
        ++checked;
        const Print p = measure(synth, item);
        for (int i = 0; i < featureCount; ++i) {
            const Feature& f = features[i];
            const std::string& want = expected->second[i];
            const auto got = p.find(f.name);
            if (want == "-" || got == p.end()) {
                EXPECT_TRUE(want == "-" && got == p.end())
                    << f.name << ": expected " << want << ", measured "
                    << (got == p.end() ? std::string("nothing") : std::to_string(got->second));
                continue;
            }
            const double value = std::stod(want);
            const double tolerance =
                std::max(f.relative ? f.tolerance * std::abs(value) : f.tolerance,
                         0.5e-4 * std::max(1.0, std::abs(value)));  // the table's rounding
            EXPECT_NEAR(got->second, value, tolerance) << f.name;
        }
    }
    EXPECT_EQ(checked, table.size()) << "rows in the table for items that are gone";
}

}  // namespace
