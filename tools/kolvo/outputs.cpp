// Output formats and names.

#include "outputs.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <set>

#include <sndfile.h>

#include "options.h"
#include "organs.h"

const std::vector<AudioFormat>& audioFormats() {
    static const std::vector<AudioFormat> formats = {
        {"wav", ".wav", nullptr, "WAV", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 0, 0},
        {"flac", ".flac", nullptr, "FLAC", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 0, 0},
        {"ogg", ".ogg", ".oga", "Ogg Vorbis", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 0, 2.0},
        // libsndfile's Opus encoder takes 48 kHz only.
        {"opus", ".opus", nullptr, "Ogg Opus", SF_FORMAT_OGG | SF_FORMAT_OPUS, 48000, 2.0},
        {"mp3", ".mp3", nullptr, "MP3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, 0, 2.0},
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

namespace {

// A file name's extension in lower case, with its dot; empty when it has
// none.
std::string extensionOf(const std::string& path) {
    const std::string name = fileNameOf(path);
    const size_t dot = name.rfind('.');
    std::string extension = dot == std::string::npos || dot == 0 ? "" : name.substr(dot);
    std::transform(extension.begin(), extension.end(), extension.begin(), ::tolower);
    return extension;
}

}  // namespace

const AudioFormat* formatOfFile(const std::string& path) {
    const std::string extension = extensionOf(path);
    for (const AudioFormat& f : audioFormats()) {
        if (extension == f.extension ||
            (f.otherExtension != nullptr && extension == f.otherExtension)) {
            return &f;
        }
    }
    return nullptr;
}

const AudioFormat& chooseFormat(const std::string& name, const std::string& out,
                                const std::function<bool(const AudioFormat&)>& writable) {
    std::vector<std::string> extensions;
    for (const AudioFormat& f : audioFormats()) {
        if (writable(f)) {
            extensions.push_back(f.extension);
        }
    }
    const std::string choices = joinedList(extensions, " or ", ", ");
    const AudioFormat* byName = name.empty() ? nullptr : &formatNamed(name);
    const AudioFormat* byFile = out.empty() ? nullptr : formatOfFile(out);
    if (!out.empty() && byFile == nullptr && (byName == nullptr || !extensionOf(out).empty())) {
        throw UsageError("cannot tell the audio format of " + out +
                         ": name the file " + choices);
    }
    if (byName != nullptr && byFile != nullptr && byName != byFile) {
        throw UsageError("--format " + name + " does not match " + out + " (" + byFile->title +
                         ")");
    }
    const AudioFormat& format = byName != nullptr ? *byName
                                : byFile != nullptr ? *byFile
                                                    : audioFormats()[0];
    if (!writable(format)) {
        throw UsageError(std::string("the linked libsndfile cannot write ") + format.title +
                         " files: name the file " + choices);
    }
    return format;
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

namespace {

// Writes the bytes beside `path` and renames them onto it, so that the
// file is whole or untouched.  errno's value on failure, else 0.
int writeWhole(const std::string& path, const std::string& bytes) {
    const std::string temporary = path + ".kolvo-" + std::to_string(getpid());
    const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    int error = fd < 0 ? errno : 0;
    for (size_t done = 0; error == 0 && done < bytes.size();) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
        } else if (errno != EINTR) {
            error = errno;
        }
    }
    if (fd >= 0 && close(fd) != 0 && error == 0) {
        error = errno;
    }
    if (error == 0 && std::rename(temporary.c_str(), path.c_str()) != 0) {
        error = errno;
    }
    if (error != 0 && fd >= 0) {
        unlink(temporary.c_str());
    }
    return error;
}

// Writes the bytes into what `path` names (a device or a pipe, which a
// rename would replace).
int writeInPlace(const std::string& path, const std::string& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    file.close();
    return file ? 0 : errno;
}

}  // namespace

bool writeOutput(const std::string& path, const std::string& bytes) {
    if (path == "-") {
        std::cout.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        std::cout.flush();
        return static_cast<bool>(std::cout);
    }
    struct stat status;
    const bool special = stat(path.c_str(), &status) == 0 && !S_ISREG(status.st_mode);
    const int error = special ? writeInPlace(path, bytes) : writeWhole(path, bytes);
    if (error != 0) {
        std::cerr << "kolvo: " << path << ": cannot write: " << std::strerror(error) << std::endl;
        return false;
    }
    return true;
}
