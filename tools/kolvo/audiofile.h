// Audio files written with libsndfile: beside the final name first, which
// they take only once complete, so that a failed or stopped rendering
// leaves nothing half-written behind and an earlier file stays until
// replaced.

#ifndef KOLVO_TOOL_AUDIOFILE_H
#define KOLVO_TOOL_AUDIOFILE_H

#include <sndfile.h>

#include <cstddef>
#include <string>

#include "outputs.h"

// Whether the linked libsndfile can write stereo in that format.
bool formatWritable(const AudioFormat& format);

class AudioFileWriter {
  public:
    AudioFileWriter() = default;
    ~AudioFileWriter();  // removes what was not committed
    AudioFileWriter(const AudioFileWriter&) = delete;
    AudioFileWriter& operator=(const AudioFileWriter&) = delete;

    // Starts a stereo file for `path`; `compression` from 0 (best quality)
    // to 1 (smallest), or negative for the format's default.  False, with
    // the reason in `error`, when it cannot.
    bool open(const std::string& path, const AudioFormat& format, int sampleRate,
              double compression, std::string& error);
    // Interleaved stereo frames.
    bool write(const float* frames, std::size_t count, std::string& error);
    // Finishes the file and gives it its name.
    bool commit(std::string& error);

  private:
    void discard();

    SNDFILE* file_ = nullptr;
    int fd_ = -1;
    std::string path_;
    std::string temporary_;
};

#endif
