// The generated soundfont as a second loader reads it: libinstpatch, the
// SoundFont library of the Swami editor, with its own parser.  Every
// program of both layouts finds its preset and instrument, every key of a
// rank is played from a sample at most a semitone away, pipes loop and bars
// and drums do not, every drum has a key of its own on the kit's wings.

#include <gtest/gtest.h>

#include <libinstpatch/libinstpatch.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "hear.h"
#include "xlate150.h"
#include "xlate165.h"

namespace {

using namespace hear;

// The file as libinstpatch loads it, or the loader's complaint.
class Loaded {
public:
    Loaded() {
        ipatch_init();
        IpatchSF2File* file = ipatch_sf2_file_new();
        GError* error = nullptr;
        IpatchFileHandle* handle =
            ipatch_file_open(IPATCH_FILE(file), KOLVO_BANDORGAN_SF2, "r", &error);
        if (handle != nullptr) {
            IpatchSF2Reader* reader = ipatch_sf2_reader_new(handle);
            font = ipatch_sf2_reader_load(reader, &error);
            g_object_unref(reader);
        }
        if (error != nullptr) {
            complaint = error->message;
            g_error_free(error);
        }
        g_object_unref(file);
    }
    ~Loaded() {
        if (font != nullptr) {
            g_object_unref(font);
        }
    }
    IpatchSF2* font = nullptr;
    std::string complaint;

    IpatchSF2Preset* preset(int bank, int program) const {
        for (GSList* p = font->presets; p != nullptr; p = p->next) {
            auto* preset = static_cast<IpatchSF2Preset*>(p->data);
            if (preset->bank == bank && preset->program == program) {
                return preset;
            }
        }
        return nullptr;
    }
};

const Loaded& loaded() {
    static const Loaded file;
    return file;
}

// A generator of a zone, or of the global zone when the zone leaves it unset.
int gen(const IpatchSF2GenArray& zone, const IpatchSF2GenArray& global, int id, int otherwise) {
    for (const IpatchSF2GenArray* a : {&zone, &global}) {
        if ((a->flags >> id) & 1) {
            return id == IPATCH_SF2_GEN_NOTE_RANGE ? a->values[id].uword : a->values[id].sword;
        }
    }
    return otherwise;
}

struct Zone {
    int low, high;        // keys
    int pan;
    bool loops;
    IpatchSF2Sample* sample;
};

// The zones of the one instrument of a preset.
std::vector<Zone> zonesOf(IpatchSF2Preset* preset) {
    EXPECT_EQ(g_slist_length(preset->zones), 1u) << preset->name;
    auto* pzone = static_cast<IpatchSF2Zone*>(preset->zones->data);
    auto* inst = IPATCH_SF2_INST(pzone->item);
    std::vector<Zone> zones;
    for (GSList* z = inst->zones; z != nullptr; z = z->next) {
        auto* zone = static_cast<IpatchSF2Zone*>(z->data);
        const int range = gen(zone->genarray, inst->genarray, IPATCH_SF2_GEN_NOTE_RANGE, 0x7F00);
        zones.push_back({range & 0xFF, range >> 8,
                         gen(zone->genarray, inst->genarray, IPATCH_SF2_GEN_PAN, 0),
                         gen(zone->genarray, inst->genarray, IPATCH_SF2_GEN_SAMPLE_MODES, 0) ==
                             IPATCH_SF2_GEN_SAMPLE_MODE_LOOP,
                         IPATCH_SF2_SAMPLE(zone->item)});
    }
    return zones;
}

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
