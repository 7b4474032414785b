// Output formats and names.

#include "outputs.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <set>

#include "options.h"
#include "organs.h"

const std::vector<AudioFormat>& audioFormats() {
    static const std::vector<AudioFormat> formats = {
        {"wav", "wav", ".wav", "WAV"},
        {"flac", "flac", ".flac", "FLAC"},
        {"ogg", "oga", ".ogg", "Ogg Vorbis"},
    };
    return formats;
}

std::string formatChoices(const char* lastSeparator, const char* separator) {
    std::vector<std::string> names;
    for (const AudioFormat& format : audioFormats()) {
        names.push_back(format.name);
    }
    return joinedList(names, lastSeparator, separator);
}

const AudioFormat& formatNamed(const std::string& name) {
    for (const AudioFormat& f : audioFormats()) {
        if (name == f.name) {
            return f;
        }
    }
    throw UsageError("--format takes " + formatChoices(" or ", ", ") + ", not \"" + name + "\"");
}

const AudioFormat& formatOfFile(const std::string& path) {
    std::string extension = path.substr(std::min(path.size(), path.rfind('.')));
    std::transform(extension.begin(), extension.end(), extension.begin(), ::tolower);
    for (const AudioFormat& f : audioFormats()) {
        if (extension == f.extension || (extension == ".oga" && f.name == std::string("ogg"))) {
            return f;
        }
    }
    return audioFormats()[0];
}

std::string fileNameOf(const std::string& path) {
    return path.substr(path.rfind('/') + 1);
}

std::string stemOf(const std::string& path) {
    std::string name = fileNameOf(path);
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) {
        name.erase(dot);
    }
    return name;
}

std::vector<std::string> namedOutputs(const std::vector<std::string>& rolls,
                                      const std::string& out, const std::string& outDir,
                                      const std::string& extension) {
    if (!out.empty() && rolls.size() > 1) {
        throw UsageError("-o names the output of a single roll; use --out-dir for several");
    }
    if (!out.empty() && !outDir.empty()) {
        throw UsageError("give either -o or --out-dir");
    }
    std::vector<std::string> outputs;
    std::set<std::string> taken;
    for (const std::string& roll : rolls) {
        const std::string path =
            !out.empty() ? out
                         : (outDir.empty() ? "" : outDir + "/") + stemOf(roll) + extension;
        if (!taken.insert(path).second) {
            throw UsageError("two rolls would be rendered to " + path);
        }
        outputs.push_back(path);
    }
    return outputs;
}

std::vector<std::string> renderOutputs(const std::vector<std::string>& rolls,
                                       const std::string& out, const std::string& outDir,
                                       const AudioFormat& format) {
    return namedOutputs(rolls, out, outDir, format.extension);
}

std::string pictureOutput(const std::string& roll) {
    return stemOf(roll) + ".svg";
}

bool makeOutputFolder(const std::string& dir) {
    if (!dir.empty() && mkdir(dir.c_str(), 0777) != 0 && errno != EEXIST) {
        std::cerr << "kolvo: " << dir << ": cannot make the folder: " << std::strerror(errno)
                  << std::endl;
        return false;
    }
    return true;
}

bool writeOutput(const std::string& path, const std::string& bytes) {
    if (path == "-") {
        std::cout.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        std::cout.flush();
        return static_cast<bool>(std::cout);
    }
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    file.close();
    if (!file) {
        std::cerr << "kolvo: " << path << ": cannot write: " << std::strerror(errno) << std::endl;
        return false;
    }
    return true;
}
