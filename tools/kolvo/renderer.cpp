// Offline rendering with FluidSynth's file renderer, block by block.

#include "renderer.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "synthesis.h"
#include "synthesizer.h"

double renderToFile(const RenderRequest& request, const std::function<void(double)>& progress,
                    const volatile std::sig_atomic_t& stopRequested, std::string& error) {
    SynthesizerSetup setup;
    setup.output = SoundOutput::Offline;
    setup.fileName = request.outPath;
    setup.fileType = request.fileType;
    Synthesizer s(setup);
    if (s.failure() != SynthesizerFailure::None) {
        error = failureText(s.failure());
        return -1.0;
    }
    const double sampleRate = s.sampleRate();
    const int blockSize = s.periodSize();
    // The soundfont loads before the first sample is rendered.
    if (!s.loadSoundfont(request.soundfont.c_str())) {
        error = failureText(SynthesizerFailure::Soundfont) + " " + request.soundfont;
        return -1.0;
    }
    if (!s.queue(request.arrangement.data(), request.arrangement.size())) {
        error = failureText(SynthesizerFailure::Arrangement);
        return -1.0;
    }
    // Starting at the first note leaves out the silence before it; what
    // lies before (banks, programs, tempo) is still sent.
    if (request.firstNoteTick > 0) {
        s.seek(request.firstNoteTick);
    }
    s.play();

    errno = 0;
    if (!s.openAudioFile()) {
        error = failureText(SynthesizerFailure::AudioFile) +
                (errno != 0 ? std::string(": ") + std::strerror(errno) : std::string());
        return -1.0;
    }

    const long releaseBlocks = static_cast<long>(longestReleaseSeconds * sampleRate / blockSize);
    const long fadeBlocks = static_cast<long>(0.25 * sampleRate / blockSize);
    const int startTick = request.firstNoteTick > 0 ? request.firstNoteTick : 0;
    long blocks = 0;
    long releasing = -1;  // blocks rendered since the music ended
    double gain = synthesizerGain;
    // An arrangement without a note has no music to render.
    const bool music = request.firstNoteTick >= 0;
    int total = 0;  // known once the player has loaded the file
    while (music && s.playing()) {
        if (stopRequested) {
            error = "stopped";
            break;
        }
        if (total == 0) {
            // The player counts them anew on every call, event by event.
            total = s.totalTicks();
        }
        const int now = s.currentTick();
        if (releasing < 0 && total > 0 && now >= total) {
            releasing = 0;  // every note has ended; the voices release
        }
        if (releasing >= 0) {
            if (s.activeVoices() == 0 || releasing >= releaseBlocks) {
                break;
            }
            if (releasing >= releaseBlocks - fadeBlocks) {
                gain -= synthesizerGain / fadeBlocks;
                s.setGain(gain > 0.0 ? gain : 0.0);
            }
            releasing++;
        } else if (total > startTick && blocks % 256 == 0) {
            progress(static_cast<double>(now - startTick) / (total - startTick));
        }
        if (!s.renderBlock()) {
            error = failureText(SynthesizerFailure::AudioFile);
            break;
        }
        blocks++;
    }
    s.stop();
    s.closeAudioFile();
    if (!error.empty()) {
        std::remove(request.outPath.c_str());
        return -1.0;
    }
    progress(1.0);
    return static_cast<double>(blocks) * blockSize / sampleRate;
}
