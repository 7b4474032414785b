// The generated band-organ soundfont as FluidSynth hears it: it loads,
// every program of both layouts and every drum answers, and each pipe
// preset speaks steadily, in tune and falls silent; timbres are as named;
// every sample loop joins without a step.  Notes are rendered offline
// (fluid_synth_write_float), without reverb or chorus.

#include <fluidsynth.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstring>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "xlate150.h"
#include "xlate165.h"

namespace {

const char* const fontPath = KOLVO_BANDORGAN_SF2;
const int rate = 44100;
const int drumChannel = 9;

double keyHz(int key) {
    return 440.0 * std::pow(2.0, (key - 69) / 12.0);
}

double db(double v) {
    return 20.0 * std::log10(v + 1e-12);
}

double rms(const std::vector<float>& x, double from, double to) {
    const std::size_t a = static_cast<std::size_t>(from * rate);
    const std::size_t b = std::min(x.size(), static_cast<std::size_t>(to * rate));
    double sum = 0.0;
    for (std::size_t i = a; i < b; ++i) {
        sum += static_cast<double>(x[i]) * x[i];
    }
    return std::sqrt(sum / static_cast<double>(b - a));
}

// Magnitudes of a Hann-windowed stretch of 65536 points from `from`
// seconds, padded fourfold with zeros so that no partial between two bins
// loses more than a tenth of a decibel.
const std::size_t windowSize = 65536;
const std::size_t fftSize = 4 * windowSize;

std::vector<double> spectrum(const std::vector<float>& x, double from) {
    std::vector<std::complex<double>> v(fftSize);
    const std::size_t a = static_cast<std::size_t>(from * rate);
    for (std::size_t i = 0; i < windowSize; ++i) {
        v[i] = x[a + i] * (0.5 - 0.5 * std::cos(2.0 * M_PI * i / windowSize));
    }
    for (std::size_t i = 1, j = 0; i < fftSize; ++i) {  // bit reversal
        std::size_t bit = fftSize >> 1;
        for (; j & bit; bit >>= 1) {
            j ^= bit;
        }
        j |= bit;
        if (i < j) {
            std::swap(v[i], v[j]);
        }
    }
    for (std::size_t len = 2; len <= fftSize; len <<= 1) {
        const std::complex<double> turn = std::polar(1.0, -2.0 * M_PI / len);
        for (std::size_t i = 0; i < fftSize; i += len) {
            std::complex<double> w = 1.0;
            for (std::size_t k = 0; k < len / 2; ++k, w *= turn) {
                const std::complex<double> u = v[i + k], t = w * v[i + k + len / 2];
                v[i + k] = u + t;
                v[i + k + len / 2] = u - t;
            }
        }
    }
    std::vector<double> mag(fftSize / 2);
    for (std::size_t i = 0; i < mag.size(); ++i) {
        mag[i] = std::abs(v[i]);
    }
    return mag;
}

// The strongest frequency, between bins by a parabola through the peak.
double peakHz(const std::vector<double>& mag) {
    const std::size_t k = std::max_element(mag.begin() + 1, mag.end() - 1) - mag.begin();
    const double a = std::log(mag[k - 1]), b = std::log(mag[k]), c = std::log(mag[k + 1]);
    return (k + 0.5 * (a - c) / (a - 2.0 * b + c)) * rate / fftSize;
}

// The centre of the power spectrum.
double centroidHz(const std::vector<double>& mag) {
    double sum = 0.0, weighted = 0.0;
    for (std::size_t i = 0; i < mag.size(); ++i) {
        sum += mag[i] * mag[i];
        weighted += mag[i] * mag[i] * i;
    }
    return weighted / sum * rate / fftSize;
}

// A synthesizer with the soundfont loaded, rendering on demand.
class Synth {
public:
    Synth() {
        settings_ = new_fluid_settings();
        fluid_settings_setint(settings_, "synth.reverb.active", 0);
        fluid_settings_setint(settings_, "synth.chorus.active", 0);
        synth_ = new_fluid_synth(settings_);
        id_ = fluid_synth_sfload(synth_, fontPath, 1);
    }
    ~Synth() {
        delete_fluid_synth(synth_);
        delete_fluid_settings(settings_);
    }
    int id() const { return id_; }
    fluid_sfont_t* font() const { return fluid_synth_get_sfont_by_id(synth_, id_); }

    // A key held for `held` seconds and then let go, for `after` seconds;
    // the left channel.  Drums play on the drum channel's kit.
    std::vector<float> play(int bank, int program, int key, int velocity, double held,
                            double after) {
        const int channel = bank == 128 ? drumChannel : 0;
        if (channel != drumChannel) {
            fluid_synth_program_select(synth_, channel, id_, bank, program);
        }
        std::vector<float> left(static_cast<std::size_t>((held + after) * rate));
        std::vector<float> right(left.size());
        const int on = static_cast<int>(held * rate);
        fluid_synth_noteon(synth_, channel, key, velocity);
        fluid_synth_write_float(synth_, on, left.data(), 0, 1, right.data(), 0, 1);
        fluid_synth_noteoff(synth_, channel, key);
        fluid_synth_write_float(synth_, static_cast<int>(left.size()) - on, left.data() + on, 0,
                                1, right.data() + on, 0, 1);
        return left;
    }

private:
    fluid_settings_t* settings_;
    fluid_synth_t* synth_;
    int id_;
};

const Organ* const organs[] = {&organ165, &organ150};

bool struck(Rank rank) {
    return rank == Rank::Glockenspiel || rank == Rank::AccompBell;
}

// The notes that the organ's holes send to each track, and its drums.
std::map<int, std::set<int>> trackNotes(const Organ& organ, std::set<int>* drums) {
    std::map<int, std::set<int>> notes;
    for (int hole = organ.lowestHole; hole <= organ.highestHole; ++hole) {
        const HoleInfo info = organ.describeHole(hole);
        if (info.kind == HoleKind::Percussion) {
            drums->insert(info.note);
        } else if (info.note != 0) {
            for (int track : info.tracks) {
                notes[track].insert(info.note);
            }
        }
    }
    return notes;
}

const TrackLayout& rowOf(const Organ& organ, Rank rank) {
    const TrackLayout* row = std::find_if(organ.layout.begin(), organ.layout.end(),
                                          [rank](const TrackLayout& r) { return r.rank == rank; });
    return *row;
}

TEST(BandOrganSoundfont, LoadsWithAPresetForEveryProgramOfBothLayouts) {
    ASSERT_TRUE(fluid_is_soundfont(fontPath));
    Synth synth;
    ASSERT_NE(synth.id(), FLUID_FAILED);
    for (const Organ* organ : organs) {
        for (const TrackLayout& row : organ->layout) {
            const int program = row.program;
            fluid_preset_t* preset = fluid_sfont_get_preset(synth.font(), organ->bank, program);
            ASSERT_NE(preset, nullptr) << organ->name << " bank " << organ->bank << " program "
                                       << program;
            EXPECT_EQ(fluid_preset_get_banknum(preset), organ->bank);
        }
    }
    EXPECT_NE(fluid_sfont_get_preset(synth.font(), 128, 0), nullptr);
}

TEST(BandOrganSoundfont, PipesSpeakSteadilyInTuneAndStopWhenLetGo) {
    Synth synth;
    const double held = 2.0, after = 1.2;
    for (const Organ* organ : organs) {
        std::set<int> drums;
        const std::map<int, std::set<int>> notes = trackNotes(*organ, &drums);
        for (const TrackLayout& layout : organ->layout) {
            if (struck(layout.rank)) {
                continue;
            }
            const std::set<int>& keys = notes.at(layout.track);
            for (int key : {*keys.begin(), *keys.rbegin()}) {
                SCOPED_TRACE(std::string(organ->name) + " track " + std::to_string(layout.track) +
                             " key " + std::to_string(key));
                const std::vector<float> x =
                    synth.play(organ->bank, layout.program, key, 65, held, after);
                const double level = rms(x, 0.3, held);
                EXPECT_GT(db(level), -60.0) << "silent";
                EXPECT_NEAR(db(rms(x, 0.3, 1.15)), db(rms(x, 1.15, held)), 1.0) << "not steady";
                EXPECT_NEAR(peakHz(spectrum(x, 0.3)) / keyHz(key), 1.0, 0.01) << "out of tune";
                EXPECT_LT(db(rms(x, held + 1.0, held + after)), db(level) - 60.0) << "still sounds";
            }
        }
    }
}

TEST(BandOrganSoundfont, ReedsSoundBrighterThanViolinsAndViolinsThanFlutes) {
    Synth synth;
    const int key = 72;  // sounded by all three ranks of the 150
    double centroid[3];
    const Rank ranks[] = {Rank::Flute, Rank::ViolinPipe, Rank::TrumpetReed};
    for (int i = 0; i < 3; ++i) {
        const int program = rowOf(organ150, ranks[i]).program;
        const std::vector<float> x = synth.play(organ150.bank, program, key, 65, 2.0, 0.1);
        centroid[i] = centroidHz(spectrum(x, 0.3));
    }
    EXPECT_GT(centroid[1], 1.2 * centroid[0]) << "violin against flute";
    EXPECT_GT(centroid[2], 1.2 * centroid[1]) << "trumpet against violin";
}

TEST(BandOrganSoundfont, EveryDrumHitsAndDiesAway) {
    Synth synth;
    std::set<int> drums;
    for (const Organ* organ : organs) {
        trackNotes(*organ, &drums);
    }
    const std::map<int, double> ringing = {{49, 3.0}, {57, 3.0}, {81, 3.0}};  // cymbals, triangle
    for (int note : drums) {
        SCOPED_TRACE("drum " + std::to_string(note));
        const double silentBy = ringing.count(note) != 0 ? ringing.at(note) : 1.5;
        const std::vector<float> x = synth.play(128, 0, note, 65, 0.1, silentBy + 0.2);
        const double hit = rms(x, 0.0, 0.05);
        EXPECT_GT(db(hit), -60.0) << "no hit";
        EXPECT_LT(db(rms(x, silentBy, silentBy + 0.2)), db(hit) - 60.0) << "still ringing";
    }
}

// The sample headers and points of the file, read directly: every loop,
// also the never-played loop in the silence after a one-shot, must join
// without a step larger than any step inside it.
TEST(BandOrganSoundfont, EveryLoopJoinsWithoutAClick) {
    std::ifstream in(fontPath, std::ios::binary);
    const std::vector<unsigned char> file((std::istreambuf_iterator<char>(in)), {});
    auto u32 = [&](std::size_t at) {
        return file[at] | file[at + 1] << 8 | file[at + 2] << 16 |
               std::uint32_t(file[at + 3]) << 24;
    };
    std::size_t smpl = 0, shdr = 0, shdrSize = 0;
    // RIFF sfbk holds LIST chunks; walk into each list for its sub-chunks.
    for (std::size_t at = 12; at + 8 <= file.size(); at += 8 + ((u32(at + 4) + 1) & ~1u)) {
        const std::string id(file.begin() + at, file.begin() + at + 4);
        if (id != "LIST") {
            continue;
        }
        const std::size_t end = at + 8 + u32(at + 4);
        for (std::size_t sub = at + 12; sub + 8 <= end; sub += 8 + ((u32(sub + 4) + 1) & ~1u)) {
            const std::string subId(file.begin() + sub, file.begin() + sub + 4);
            if (subId == "smpl") {
                smpl = sub + 8;
            } else if (subId == "shdr") {
                shdr = sub + 8;
                shdrSize = u32(sub + 4);
            }
        }
    }
    ASSERT_NE(smpl, 0u);
    ASSERT_NE(shdr, 0u);
    auto point = [&](std::uint32_t i) {
        return static_cast<int>(
            static_cast<std::int16_t>(file[smpl + 2 * i] | file[smpl + 2 * i + 1] << 8));
    };
    const std::size_t samples = shdrSize / 46 - 1;  // without the terminal record
    ASSERT_GT(samples, 0u);
    for (std::size_t s = 0; s < samples; ++s) {
        const std::size_t h = shdr + 46 * s;
        const char* text = reinterpret_cast<const char*>(&file[h]);
        const std::string name(text, strnlen(text, 20));
        SCOPED_TRACE(name);
        const std::uint32_t start = u32(h + 20), end = u32(h + 24);
        const std::uint32_t loopStart = u32(h + 28), loopEnd = u32(h + 32);
        ASSERT_TRUE(start + 8 <= loopStart && loopStart < loopEnd && loopEnd + 8 <= end);
        int inside = 0;
        for (std::uint32_t i = loopStart; i + 1 < loopEnd; ++i) {
            inside = std::max(inside, std::abs(point(i + 1) - point(i)));
        }
        EXPECT_LE(std::abs(point(loopStart) - point(loopEnd - 1)), inside);
    }
}

}  // namespace
