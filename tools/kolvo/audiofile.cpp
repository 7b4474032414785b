// Writing audio files with libsndfile.

#include "audiofile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

bool formatWritable(const AudioFormat& format) {
    SF_INFO info{};
    info.samplerate = format.sampleRate > 0 ? static_cast<int>(format.sampleRate) : 44100;
    info.channels = 2;
    info.format = format.sndfileFormat;
    return sf_format_check(&info) != 0;
}

AudioFileWriter::~AudioFileWriter() {
    discard();
}

void AudioFileWriter::discard() {
    if (file_ != nullptr) {
        sf_close(file_);
        file_ = nullptr;
    }
    if (fd_ >= 0) {
        close(fd_);
        fd_ = -1;
    }
    if (!temporary_.empty()) {
        std::remove(temporary_.c_str());
        temporary_.clear();
    }
}

bool AudioFileWriter::open(const std::string& path, const AudioFormat& format, int sampleRate,
                           double compression, std::string& error) {
    discard();
    path_ = path;
    // Beside the file, so that renaming it is one step on one file system.
    std::vector<char> name(path.begin(), path.end());
    const char pattern[] = ".partXXXXXX";
    name.insert(name.end(), pattern, pattern + sizeof pattern);
    fd_ = mkstemp(name.data());
    if (fd_ < 0) {
        error = path + ": cannot write: " + std::strerror(errno);
        return false;
    }
    temporary_ = name.data();
    // The permissions of a new file (mkstemp's are the owner's only).
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd_, 0666 & ~mask);

    SF_INFO info{};
    info.samplerate = sampleRate;
    info.channels = 2;
    info.format = format.sndfileFormat;
    file_ = sf_open_fd(fd_, SFM_WRITE, &info, SF_FALSE);
    if (file_ == nullptr) {
        error = path + ": cannot write " + format.title + ": " + sf_strerror(nullptr);
        discard();
        return false;
    }
    if (compression >= 0.0) {
        sf_command(file_, SFC_SET_COMPRESSION_LEVEL, &compression, sizeof compression);
    }
    return true;
}

bool AudioFileWriter::write(const float* frames, std::size_t count, std::string& error) {
    const sf_count_t wanted = static_cast<sf_count_t>(count);
    if (sf_writef_float(file_, frames, wanted) != wanted) {
        error = path_ + ": cannot write: " + sf_strerror(file_);
        return false;
    }
    return true;
}

bool AudioFileWriter::commit(std::string& error) {
    const int closed = sf_close(file_);
    file_ = nullptr;
    if (closed != 0) {
        error = path_ + ": cannot write: " + sf_error_number(closed);
        discard();
        return false;
    }
    const int descriptor = fd_;
    fd_ = -1;
    if (close(descriptor) != 0) {
        error = path_ + ": cannot write: " + std::strerror(errno);
        discard();
        return false;
    }
    if (std::rename(temporary_.c_str(), path_.c_str()) != 0) {
        error = path_ + ": cannot write: " + std::strerror(errno);
        discard();
        return false;
    }
    temporary_.clear();
    return true;
}
