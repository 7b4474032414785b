// The generated soundfont as a second loader reads it: libinstpatch, the
// SoundFont library of the Swami editor, with its own parser.

#ifndef KOLVO_TESTS_SF2FILE_H
#define KOLVO_TESTS_SF2FILE_H

#include <libinstpatch/libinstpatch.h>

#include <string>
#include <vector>

namespace hear {

// The file as libinstpatch loads it, or the loader's complaint.
class Loaded {
public:
    Loaded();
    ~Loaded();
    Loaded(const Loaded&) = delete;
    Loaded& operator=(const Loaded&) = delete;
    IpatchSF2* font = nullptr;
    std::string complaint;
    IpatchSF2Preset* preset(int bank, int program) const;
};

const Loaded& loaded();

// A generator of a zone, or of the global zone when the zone leaves it unset.
int gen(const IpatchSF2GenArray& zone, const IpatchSF2GenArray& global, int id, int otherwise);

struct Zone {
    int low, high;        // keys
    int pan;
    bool loops;
    IpatchSF2Sample* sample;
};

// The zones of the one instrument of a preset.
std::vector<Zone> zonesOf(IpatchSF2Preset* preset);

// Points of a sample.
unsigned sizeOf(IpatchSF2Sample* sample);

}  // namespace hear

#endif
