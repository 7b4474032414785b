// audiolevel FILE: what an audio file holds, as libsndfile reads it back,
// and its level as libebur128 measures it, on one line:
//   MAJOR SUBTYPE RATE CHANNELS SECONDS LUFS PEAK_DBFS END_DBFS
// the container and encoding as libsndfile names them (hexadecimal), the
// integrated loudness (ITU-R BS.1770, gated as in EBU R128), the highest
// sample and the highest sample of the last 100 ms.  Exits 1 when the
// file cannot be read.

#include <ebur128.h>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: audiolevel FILE\n");
        return 2;
    }
    SF_INFO info{};
    SNDFILE* file = sf_open(argv[1], SFM_READ, &info);
    if (file == nullptr) {
        std::fprintf(stderr, "audiolevel: %s: %s\n", argv[1], sf_strerror(nullptr));
        return 1;
    }
    const int channels = info.channels;
    ebur128_state* meter = ebur128_init(static_cast<unsigned>(channels),
                                        static_cast<unsigned long>(info.samplerate),
                                        EBUR128_MODE_I);
    const sf_count_t endFrames = info.samplerate / 10;
    std::vector<float> block(4096 * channels);
    std::vector<float> last;  // the last 100 ms, as read so far
    float peak = 0.0f;
    sf_count_t frames = 0;
    sf_count_t got;
    while ((got = sf_readf_float(file, block.data(), 4096)) > 0) {
        ebur128_add_frames_float(meter, block.data(), static_cast<size_t>(got));
        for (sf_count_t i = 0; i < got * channels; ++i) {
            peak = std::max(peak, std::fabs(block[i]));
        }
        last.insert(last.end(), block.begin(), block.begin() + got * channels);
        if (static_cast<sf_count_t>(last.size()) > 2 * endFrames * channels) {
            last.erase(last.begin(), last.end() - endFrames * channels);
        }
        frames += got;
    }
    float endPeak = 0.0f;
    const size_t endSamples = std::min(last.size(), static_cast<size_t>(endFrames * channels));
    for (size_t i = last.size() - endSamples; i < last.size(); ++i) {
        endPeak = std::max(endPeak, std::fabs(last[i]));
    }
    double lufs = -HUGE_VAL;
    ebur128_loudness_global(meter, &lufs);
    std::printf("%x %x %d %d %.3f %.2f %.2f %.2f\n", info.format & SF_FORMAT_TYPEMASK,
                info.format & SF_FORMAT_SUBMASK, info.samplerate, channels,
                static_cast<double>(frames) / info.samplerate, lufs, 20 * std::log10(peak),
                20 * std::log10(endPeak));
    ebur128_destroy(&meter);
    sf_close(file);
    return 0;
}
