// Reading the generated soundfont through libinstpatch.

#include "sf2file.h"

#include <gtest/gtest.h>

namespace hear {

Loaded::Loaded() {
    ipatch_init();
    IpatchSF2File* file = ipatch_sf2_file_new();
    GError* error = nullptr;
    IpatchFileHandle* handle = ipatch_file_open(IPATCH_FILE(file), KOLVO_BANDORGAN_SF2, "r", &error);
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

Loaded::~Loaded() {
    if (font != nullptr) {
        g_object_unref(font);
    }
}

IpatchSF2Preset* Loaded::preset(int bank, int program) const {
    for (GSList* p = font->presets; p != nullptr; p = p->next) {
        auto* preset = static_cast<IpatchSF2Preset*>(p->data);
        if (preset->bank == bank && preset->program == program) {
            return preset;
        }
    }
    return nullptr;
}

const Loaded& loaded() {
    static const Loaded file;
    return file;
}

int gen(const IpatchSF2GenArray& zone, const IpatchSF2GenArray& global, int id, int otherwise) {
    for (const IpatchSF2GenArray* a : {&zone, &global}) {
        if ((a->flags >> id) & 1) {
            return id == IPATCH_SF2_GEN_NOTE_RANGE ? a->values[id].uword : a->values[id].sword;
        }
    }
    return otherwise;
}

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

unsigned sizeOf(IpatchSF2Sample* sample) {
    return ipatch_sample_get_size(IPATCH_SAMPLE(sample), nullptr);
}

}  // namespace hear
