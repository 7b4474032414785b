// bandorgan: writes the band-organ soundfont that kolvo165 and kolvo150
// play with.
//
//   bandorgan [--summary] OUT.sf2
//
// The presets, banks and notes come from the organs' layouts and hole
// tables (the registry, organs.h); every sound is synthesized, the same bytes on every run.  Exit
// status 0 on success; 1 with a one-line message on any error.

#include <cstdio>
#include <exception>
#include <fstream>
#include <iostream>
#include <string>

#include "bandorgan.h"
#include "organs.h"

namespace {

void usage(std::ostream& out) {
    const std::string players = listOrgans(
        [](const Organ& organ) {
            return "kolvo" + std::string(organ.name) + " (bank " + std::to_string(organ.bank) +
                   ")";
        },
        " and ");
    out << "Usage: bandorgan [--summary] OUT.sf2\n"
           "Writes the band-organ soundfont of "
        << players
        << ",\n"
           "with their drum kit in bank 128.  --summary lists the presets on standard output.\n";
}

// Writes beside the target and renames, so that a failed run leaves no
// half-written soundfont behind.
void writeFile(const std::string& path, const std::vector<unsigned char>& bytes) {
    const std::string temporary = path + ".part";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            std::remove(temporary.c_str());
            throw std::runtime_error("cannot write " + path);
        }
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        throw std::runtime_error("cannot write " + path);
    }
}

}  // namespace

int main(int argc, char** argv) {
    bool summary = false;
    std::string path;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            usage(std::cout);
            return 0;
        }
        if (arg == "--summary") {
            summary = true;
        } else if (path.empty() && !arg.empty() && arg[0] != '-') {
            path = arg;
        } else {
            usage(std::cerr);
            return 1;
        }
    }
    if (path.empty()) {
        usage(std::cerr);
        return 1;
    }
    try {
        const BandOrgan organ =
            buildBandOrgan(std::vector<const Organ*>(organs().begin(), organs().end()));
        const std::vector<unsigned char> bytes = sf2::write(organ.font);
        writeFile(path, bytes);
        if (summary) {
            for (const std::string& line : organ.summary) {
                std::cout << line << '\n';
            }
            std::cout << organ.font.samples.size() << " samples at " << sampleRate << " Hz, "
                      << bytes.size() << " bytes\n";
        }
    } catch (const std::exception& e) {
        std::cerr << "bandorgan: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
