// The generated soundfont as a second loader reads it: libinstpatch, the
// SoundFont library of the Swami editor, with its own parser.  Every
// program of both layouts finds its preset and instrument, every key of a
// rank is played from a sample at most a semitone away, pipes loop and bars
// and drums do not, every drum has a key of its own on the kit's wings.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "hear.h"
#include "sf2file.h"
#include "xlate150.h"
#include "xlate165.h"

namespace {

using namespace hear;

TEST(SoundfontStructure, ASecondLoaderReadsTheFileAndEverySample) {
    const Loaded& file = loaded();
    ASSERT_NE(file.font, nullptr) << file.complaint;
    EXPECT_EQ(file.font->ver_major, 2);
    EXPECT_EQ(file.font->ver_minor, 1);
    char* name = ipatch_sf2_get_info(file.font, IPATCH_SF2_NAME);
    EXPECT_STREQ(name, "Kolvo Band Organ");
    g_free(name);
    int samples = 0;
    for (GSList* s = file.font->samples; s != nullptr; s = s->next, ++samples) {
        auto* sample = static_cast<IpatchSF2Sample*>(s->data);
        SCOPED_TRACE(sample->name);
        const guint size = ipatch_sample_get_size(IPATCH_SAMPLE(sample), nullptr);
        EXPECT_EQ(sample->rate, rate);
        EXPECT_EQ(sample->channel, IPATCH_SF2_SAMPLE_CHANNEL_MONO);
        EXPECT_TRUE(8 <= sample->loop_start && sample->loop_start < sample->loop_end &&
                    sample->loop_end + 8 <= size)
            << sample->loop_start << " " << sample->loop_end << " " << size;
        // Below full scale, and no point wrapped round from one end of the
        // range to the other.
        std::vector<gint16> points(size);
        const int format = IPATCH_SAMPLE_16BIT | IPATCH_SAMPLE_MONO | IPATCH_SAMPLE_SIGNED |
                           IPATCH_SAMPLE_ENDIAN_HOST;
        ASSERT_TRUE(ipatch_sample_read_transform(IPATCH_SAMPLE(sample), 0, size, points.data(),
                                                 format, IPATCH_SAMPLE_UNITY_CHANNEL_MAP, nullptr));
        int peak = 0, step = 0;
        for (guint i = 0; i < size; ++i) {
            peak = std::max(peak, std::abs(int{points[i]}));
            step = i > 0 ? std::max(step, std::abs(points[i] - points[i - 1])) : 0;
        }
        EXPECT_LT(peak, 0.99 * 32768);
        EXPECT_LT(step, 32768);
    }
    EXPECT_GT(samples, 100);
}

// Every key sounds, the keys beyond a rank's notes too; a key of the rank
// sounds one pipe of each of its ranks, each from a sample at most a
// semitone from it; pipes loop, bars do not.
TEST(SoundfontStructure, EveryKeyOfEveryRankIsPlayedFromASampleWithinASemitone) {
    const Loaded& file = loaded();
    ASSERT_NE(file.font, nullptr) << file.complaint;
    for (const Organ* organ : {&organ165, &organ150}) {
        std::set<int> drums;
        const std::map<int, std::set<int>> notes = trackNotes(*organ, &drums);
        for (const TrackLayout& row : organ->layout) {
            SCOPED_TRACE(std::string(organ->name) + " program " + std::to_string(row.program));
            IpatchSF2Preset* preset = file.preset(organ->bank, row.program);
            ASSERT_NE(preset, nullptr);
            const std::vector<Zone> zones = zonesOf(preset);
            const std::set<int>& keys = notes.at(row.track);
            std::map<int, int> pipes;
            for (int key = 0; key < 128; ++key) {
                for (const Zone& z : zones) {
                    if (z.low > key || key > z.high) {
                        continue;
                    }
                    ++pipes[key];
                    EXPECT_EQ(z.loops, !struck(row.rank)) << "key " << key;
                    if (keys.count(key) != 0) {
                        EXPECT_LE(std::abs(z.sample->root_note - key), 1) << "key " << key;
                    }
                }
                EXPECT_GT(pipes[key], 0) << "key " << key << " is silent";
            }
            for (int key : keys) {  // the violins: a leading rank and three quieter ones
                EXPECT_EQ(pipes[key], row.rank == Rank::ViolinPipe ? 4 : 1) << "key " << key;
            }
        }
    }
}

// A sample plays its root and the keys on either side of it within the
// rank's compass (on both organs), a minor third's worth: its root is the
// middle one, of two the lower, so that no key is played from a sample
// transposed down.  A drum's sample sounds at its key, untuned.
TEST(SoundfontStructure, EverySampleIsRootedAmidTheKeysItPlays) {
    const Loaded& file = loaded();
    ASSERT_NE(file.font, nullptr) << file.complaint;
    std::map<Rank, std::pair<int, int>> compass;
    for (const Organ* organ : {&organ165, &organ150}) {
        std::set<int> drums;
        const std::map<int, std::set<int>> notes = trackNotes(*organ, &drums);
        for (const TrackLayout& row : organ->layout) {
            const std::set<int>& keys = notes.at(row.track);
            auto [at, fresh] = compass.insert({row.rank, {*keys.begin(), *keys.rbegin()}});
            at->second = {std::min(at->second.first, *keys.begin()),
                          std::max(at->second.second, *keys.rbegin())};
        }
    }
    for (const Organ* organ : {&organ165, &organ150}) {
        for (const TrackLayout& row : organ->layout) {
            SCOPED_TRACE(std::string(organ->name) + " program " + std::to_string(row.program));
            const auto [first, last] = compass.at(row.rank);
            std::map<IpatchSF2Sample*, std::pair<int, int>> played;
            for (const Zone& z : zonesOf(file.preset(organ->bank, row.program))) {
                const int low = std::max(z.low, first), high = std::min(z.high, last);
                auto [at, fresh] = played.insert({z.sample, {low, high}});
                at->second = {std::min(at->second.first, low), std::max(at->second.second, high)};
            }
            for (const auto& [sample, keys] : played) {
                const int root = sample->root_note, low = keys.first, high = keys.second;
                EXPECT_TRUE(high - low <= 2 && root - low <= high - root &&
                            high - root <= root - low + 1)
                    << sample->name << " rooted at " << root << " plays " << low << "-" << high;
            }
        }
    }
    for (const Zone& z : zonesOf(file.preset(drumBank, 0))) {
        EXPECT_EQ(z.sample->root_note, z.low) << z.sample->name;
        EXPECT_EQ(z.sample->fine_tune, 0) << z.sample->name;
    }
}

// Each drum on a key of its own, on the wings of the facade, struck once;
// a snare (General MIDI's two) also rolls, from a looped sample.
TEST(SoundfontStructure, EveryDrumHasAKeyOfItsOwnOnTheWings) {
    const Loaded& file = loaded();
    ASSERT_NE(file.font, nullptr) << file.complaint;
    IpatchSF2Preset* kit = file.preset(drumBank, 0);
    ASSERT_NE(kit, nullptr);
    std::map<int, std::vector<Zone>> byKey;
    for (const Zone& z : zonesOf(kit)) {
        EXPECT_EQ(z.low, z.high);
        EXPECT_GE(std::abs(z.pan), 200) << "drum " << z.low;
        byKey[z.low].push_back(z);
    }
    std::set<int> drums;
    for (const Organ* organ : {&organ165, &organ150}) {
        trackNotes(*organ, &drums);
    }
    EXPECT_EQ(byKey.size(), drums.size());
    for (int note : drums) {
        const bool snare = note == 38 || note == 40;
        ASSERT_EQ(byKey[note].size(), snare ? 2u : 1u) << "drum " << note;
        EXPECT_FALSE(byKey[note][0].loops) << "drum " << note;
        if (snare) {
            EXPECT_TRUE(byKey[note][1].loops) << "drum " << note;
        }
    }
}

}  // namespace
