// The SoundFont 2.01 writer.

#include "soundfont.h"

#include <algorithm>
#include <stdexcept>

namespace sf2 {

namespace {

const std::size_t nameLength = 20;     // names fill 20 bytes, padded with zeros
const std::size_t samplePadding = 46;  // zero points after every sample
const std::uint32_t loopMargin = 8;    // valid points on either side of a loop

class Bytes {
public:
    void u8(unsigned v) { data_.push_back(static_cast<unsigned char>(v & 0xFF)); }
    void u16(unsigned v) {
        u8(v);
        u8(v >> 8);
    }
    void u32(std::uint32_t v) {
        u16(v & 0xFFFF);
        u16(v >> 16);
    }
    void fourcc(const char* id) {
        for (int i = 0; i < 4; ++i) {
            u8(static_cast<unsigned char>(id[i]));
        }
    }
    void name(const std::string& text) {
        if (text.size() > nameLength) {
            throw std::invalid_argument("name longer than 20 characters: " + text);
        }
        for (std::size_t i = 0; i < nameLength; ++i) {
            u8(i < text.size() ? static_cast<unsigned char>(text[i]) : 0);
        }
    }

    // A chunk: its id, a size filled in by close(), then its body.  A list
    // carries its type as the first four bytes of the body.
    std::size_t open(const char* id, const char* listType = nullptr) {
        fourcc(id);
        const std::size_t at = data_.size();
        u32(0);
        if (listType != nullptr) {
            fourcc(listType);
        }
        return at;
    }
    void close(std::size_t at) {
        if (data_.size() % 2 != 0) {
            u8(0);  // chunks keep an even size
        }
        const std::uint32_t size = static_cast<std::uint32_t>(data_.size() - at - 4);
        for (int i = 0; i < 4; ++i) {
            data_[at + i] = static_cast<unsigned char>((size >> (8 * i)) & 0xFF);
        }
    }

    std::vector<unsigned char>& data() { return data_; }

private:
    std::vector<unsigned char> data_;
};

void infoText(Bytes& out, const char* id, const std::string& text) {
    if (text.empty()) {
        return;
    }
    const std::size_t at = out.open(id);
    for (char c : text) {
        out.u8(static_cast<unsigned char>(c));
    }
    out.u8(0);  // zero-terminated; close() pads to an even size
    out.close(at);
}

std::uint16_t index16(std::size_t n, const char* what) {
    if (n > 0xFFFF) {
        throw std::invalid_argument(std::string("too many ") + what);
    }
    return static_cast<std::uint16_t>(n);
}

// The order the format asks of a zone's generators: a key range first, the
// instrument or sample last.
int genRank(std::uint16_t oper) {
    if (oper == KeyRange) {
        return 0;
    }
    if (oper == InstrumentId || oper == SampleId) {
        return 2;
    }
    return 1;
}

// The bag, modulator and generator tables of presets or of instruments.
struct ZoneTables {
    std::vector<std::uint16_t> bagGen, bagMod;
    std::vector<Generator> gens;
    std::vector<Modulator> mods;

    void add(const Zone& zone, std::uint16_t target, std::size_t targets, const char* what) {
        bagGen.push_back(index16(gens.size(), "generators"));
        bagMod.push_back(index16(mods.size(), "modulators"));
        std::vector<Generator> sorted = zone.gens;
        std::stable_sort(sorted.begin(), sorted.end(), [](const Generator& a, const Generator& b) {
            return genRank(a.oper) < genRank(b.oper);
        });
        for (const Generator& g : sorted) {
            if (g.oper == target && g.amount >= targets) {
                throw std::invalid_argument(std::string("zone names a missing ") + what);
            }
            gens.push_back(g);
        }
        mods.insert(mods.end(), zone.mods.begin(), zone.mods.end());
    }

    void writeBags(Bytes& out, const char* id) const {
        const std::size_t at = out.open(id);
        for (std::size_t i = 0; i < bagGen.size(); ++i) {
            out.u16(bagGen[i]);
            out.u16(bagMod[i]);
        }
        out.u16(index16(gens.size(), "generators"));  // terminal bag
        out.u16(index16(mods.size(), "modulators"));
        out.close(at);
    }
    void writeMods(Bytes& out, const char* id) const {
        const std::size_t at = out.open(id);
        for (const Modulator& m : mods) {
            out.u16(m.source);
            out.u16(m.dest);
            out.u16(static_cast<std::uint16_t>(m.amount));
            out.u16(m.amountSource);
            out.u16(m.transform);
        }
        for (int i = 0; i < 5; ++i) {
            out.u16(0);  // terminal modulator
        }
        out.close(at);
    }
    void writeGens(Bytes& out, const char* id) const {
        const std::size_t at = out.open(id);
        for (const Generator& g : gens) {
            out.u16(g.oper);
            out.u16(g.amount);
        }
        out.u32(0);  // terminal generator
        out.close(at);
    }
};

void checkSample(const Sample& s) {
    if (s.loopStart < loopMargin || s.loopEnd <= s.loopStart ||
        s.loopEnd + loopMargin > s.points.size()) {
        throw std::invalid_argument("sample " + s.name + " has no room around its loop");
    }
    if (s.originalKey < 0 || s.originalKey > 127 || s.correction < -99 || s.correction > 99) {
        throw std::invalid_argument("sample " + s.name + " has a bad pitch");
    }
}

}  // namespace

Generator value(Gen oper, int amount) {
    return {oper, static_cast<std::uint16_t>(static_cast<std::int16_t>(amount))};
}

Generator keyRange(int low, int high) {
    return {KeyRange, static_cast<std::uint16_t>((low & 0xFF) | ((high & 0xFF) << 8))};
}

std::vector<unsigned char> write(const SoundFont& font) {
    Bytes out;
    const std::size_t riff = out.open("RIFF", "sfbk");

    const std::size_t info = out.open("LIST", "INFO");
    const std::size_t ifil = out.open("ifil");
    out.u16(2);  // version 2.01
    out.u16(1);
    out.close(ifil);
    infoText(out, "isng", "EMU8000");
    infoText(out, "INAM", font.info.name);
    infoText(out, "ICOP", font.info.copyright);
    infoText(out, "ICMT", font.info.comment);
    infoText(out, "ISFT", font.info.software);
    out.close(info);

    // Sample data: every sample followed by its 46 zero points.
    std::vector<std::uint32_t> starts;
    const std::size_t sdta = out.open("LIST", "sdta");
    const std::size_t smpl = out.open("smpl");
    std::uint32_t position = 0;
    for (const Sample& s : font.samples) {
        checkSample(s);
        starts.push_back(position);
        for (std::int16_t p : s.points) {
            out.u16(static_cast<std::uint16_t>(p));
        }
        for (std::size_t i = 0; i < samplePadding; ++i) {
            out.u16(0);
        }
        position += static_cast<std::uint32_t>(s.points.size() + samplePadding);
    }
    out.close(smpl);
    out.close(sdta);

    const std::size_t pdta = out.open("LIST", "pdta");

    ZoneTables presetZones;
    const std::size_t phdr = out.open("phdr");
    for (const Preset& p : font.presets) {
        out.name(p.name);
        out.u16(static_cast<unsigned>(p.program));
        out.u16(static_cast<unsigned>(p.bank));
        out.u16(index16(presetZones.bagGen.size(), "preset zones"));
        out.u32(0);  // library, genre, morphology: reserved
        out.u32(0);
        out.u32(0);
        for (const Zone& z : p.zones) {
            presetZones.add(z, InstrumentId, font.instruments.size(), "instrument");
        }
    }
    out.name("EOP");
    out.u16(0);
    out.u16(0);
    out.u16(index16(presetZones.bagGen.size(), "preset zones"));
    out.u32(0);
    out.u32(0);
    out.u32(0);
    out.close(phdr);
    presetZones.writeBags(out, "pbag");
    presetZones.writeMods(out, "pmod");
    presetZones.writeGens(out, "pgen");

    ZoneTables instrumentZones;
    const std::size_t inst = out.open("inst");
    for (const Instrument& i : font.instruments) {
        out.name(i.name);
        out.u16(index16(instrumentZones.bagGen.size(), "instrument zones"));
        for (const Zone& z : i.zones) {
            instrumentZones.add(z, SampleId, font.samples.size(), "sample");
        }
    }
    out.name("EOI");
    out.u16(index16(instrumentZones.bagGen.size(), "instrument zones"));
    out.close(inst);
    instrumentZones.writeBags(out, "ibag");
    instrumentZones.writeMods(out, "imod");
    instrumentZones.writeGens(out, "igen");

    const std::size_t shdr = out.open("shdr");
    for (std::size_t i = 0; i < font.samples.size(); ++i) {
        const Sample& s = font.samples[i];
        out.name(s.name);
        out.u32(starts[i]);
        out.u32(starts[i] + static_cast<std::uint32_t>(s.points.size()));
        out.u32(starts[i] + s.loopStart);
        out.u32(starts[i] + s.loopEnd);
        out.u32(s.rate);
        out.u8(static_cast<unsigned>(s.originalKey));
        out.u8(static_cast<unsigned>(static_cast<std::int8_t>(s.correction)));
        out.u16(0);  // no linked sample
        out.u16(1);  // mono
    }
    out.name("EOS");
    for (int i = 0; i < 6; ++i) {
        out.u32(0);  // start, end, loop, rate, pitch, correction, link
    }
    out.u16(0);      // sample type
    out.close(shdr);

    out.close(pdta);
    out.close(riff);
    return std::move(out.data());
}

}  // namespace sf2
