// The generated band-organ soundfont as FluidSynth hears it: it loads,
// every program of both layouts and every drum answers, and each pipe
// preset speaks steadily, in tune and falls silent; timbres are as named;
// every sample loop joins without a step.  Notes are rendered offline
// (fluid_synth_write_float), without reverb or chorus.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>

#include "hear.h"
#include "xlate150.h"
#include "xlate165.h"

namespace {

using namespace hear;

const char* const fontPath = KOLVO_BANDORGAN_SF2;

const Organ* const organs[] = {&organ165, &organ150};

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
    for (const PipePreset& p : pipePresets()) {
        for (int key : {*p.keys.begin(), *p.keys.rbegin()}) {
            SCOPED_TRACE(std::string(p.organ->name) + " track " + std::to_string(p.layout->track) +
                         " key " + std::to_string(key));
            const std::vector<float> x =
                synth.play(p.organ->bank, p.layout->program, key, 65, held, after);
            const double level = rms(x, 0.3, held);
            EXPECT_GT(db(level), -60.0) << "silent";
            EXPECT_NEAR(db(rms(x, 0.3, 1.15)), db(rms(x, 1.15, held)), 1.0) << "not steady";
            EXPECT_NEAR(peakHz(spectrum(x, 0.3)) / keyHz(key), 1.0, 0.01) << "out of tune";
            EXPECT_LT(db(rms(x, held + 1.0, held + after)), db(level) - 60.0) << "still sounds";
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

// The sample headers and points of the file, read directly: every sample
// mono and unlinked, the terminal record empty; every loop, also the
// never-played loop in the silence after a one-shot, must join without a
// step larger than any step inside it.
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
    auto u16 = [&](std::size_t at) { return file[at] | file[at + 1] << 8; };
    auto point = [&](std::uint32_t i) {
        return static_cast<int>(
            static_cast<std::int16_t>(file[smpl + 2 * i] | file[smpl + 2 * i + 1] << 8));
    };
    const std::size_t samples = shdrSize / 46 - 1;  // without the terminal record
    ASSERT_GT(samples, 0u);
    for (std::size_t at = shdr + 46 * samples + 20; at < shdr + 46 * (samples + 1); ++at) {
        EXPECT_EQ(file[at], 0) << "the terminal record, byte " << at - shdr - 46 * samples;
    }
    for (std::size_t s = 0; s < samples; ++s) {
        const std::size_t h = shdr + 46 * s;
        const char* text = reinterpret_cast<const char*>(&file[h]);
        const std::string name(text, strnlen(text, 20));
        SCOPED_TRACE(name);
        const std::uint32_t start = u32(h + 20), end = u32(h + 24);
        const std::uint32_t loopStart = u32(h + 28), loopEnd = u32(h + 32);
        ASSERT_TRUE(start + 8 <= loopStart && loopStart < loopEnd && loopEnd + 8 <= end);
        EXPECT_EQ(u16(h + 42), 0) << "a linked sample";
        EXPECT_EQ(u16(h + 44), 1) << "not a mono sample";
        int inside = 0;
        for (std::uint32_t i = loopStart; i + 1 < loopEnd; ++i) {
            inside = std::max(inside, std::abs(point(i + 1) - point(i)));
        }
        EXPECT_LE(std::abs(point(loopStart) - point(loopEnd - 1)), inside);
    }
}

}  // namespace
