// Offline rendering: FluidSynth's floats, measured with libebur128 (ITU-R
// BS.1770 loudness, gated as in EBU R128), brought to the loudness asked
// for, held under the peak ceiling and written with libsndfile.
//
// The loudness of a whole file is known only at its end, and a roll of an
// hour is 1.2 GB of floats: rather than keep them, a normalised file is
// rendered twice, once to measure and once to write.  The synthesizer is
// deterministic, so both runs make the same sound.

#include "renderer.h"

#include <ebur128.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "audiofile.h"
#include "limiter.h"
#include "synthesis.h"
#include "synthesizer.h"

namespace {

const int blockFrames = 1024;
const double lookaheadSeconds = 0.005;
const double releaseSeconds = 0.15;
const double fadeSeconds = 0.25;
// Renders through the limiter at most, to find the gain that makes up
// for what it takes.
const int limitedPasses = 4;
// Decibels of gain at most to make up for the limiter.
const double mostMakeUp = 8.0;

struct Meter {
    explicit Meter(double rate)
        : state(ebur128_init(2, static_cast<unsigned long>(rate),
                             EBUR128_MODE_I | EBUR128_MODE_SAMPLE_PEAK)) {}
    ~Meter() { ebur128_destroy(&state); }
    Meter(const Meter&) = delete;
    Meter& operator=(const Meter&) = delete;

    void add(const float* frames, std::size_t count) {
        if (state != nullptr) {
            ebur128_add_frames_float(state, frames, count);
        }
    }
    // The highest sample, as a factor.
    double peak() const {
        double highest = 0.0;
        for (unsigned channel = 0; state != nullptr && channel < 2; ++channel) {
            double value = 0.0;
            ebur128_sample_peak(state, channel, &value);
            highest = std::max(highest, value);
        }
        return highest;
    }
    // LUFS; -HUGE_VAL for silence.
    double loudness() const {
        double lufs = -HUGE_VAL;
        if (state != nullptr) {
            ebur128_loudness_global(state, &lufs);
        }
        return lufs;
    }

    ebur128_state* state;
};

// How one run through the arrangement goes: its gain, where it ends (when
// already known), and where it estimates the gain from to find the silent
// end.
struct Run {
    double gain = 1.0;
    long end = -1;        // frames; -1: at the silent end
    bool toLoudness = false;
    double loudness = defaultLoudness;
};

// What a run found.
struct Found {
    long frames = 0;
    double loudness = -HUGE_VAL;
    double peak = 0.0;  // as a factor
};

// Renders the arrangement once through a fresh synthesizer, each block
// scaled by the run's gain, faded out before the tail's cap, measured,
// and handed to `sink`.  False, with the reason in `error`, when it cannot
// or is stopped.
bool renderRun(const RenderRequest& request, double rate, const Run& run,
               const std::function<bool(const float*, std::size_t)>& sink,
               const std::function<void(double)>& progress,
               const volatile std::sig_atomic_t& stopRequested, Found& found,
               std::string& error) {
    SynthesizerSetup setup;
    setup.output = SoundOutput::Offline;
    setup.sampleRate = rate;
    Synthesizer s(setup);
    if (s.failure() != SynthesizerFailure::None) {
        error = failureText(s.failure());
        return false;
    }
    if (!s.loadSoundfont(request.soundfont.c_str())) {
        error = failureText(SynthesizerFailure::Soundfont) + " " + request.soundfont;
        return false;
    }
    if (!s.queue(request.arrangement.data(), request.arrangement.size())) {
        error = failureText(SynthesizerFailure::Arrangement);
        return false;
    }
    // Starting at the first note leaves out the silence before it; what
    // lies before (banks, programs, tempo) is still sent.
    if (request.firstNoteTick > 0) {
        s.seek(request.firstNoteTick);
    }
    s.play();

    Meter meter(rate);
    const int startTick = std::max(0, request.firstNoteTick);
    const long silentFrames = std::lround(silentEndSeconds * rate);
    const long tailFrames = std::lround(longestTailSeconds * rate);
    const long fadeFrames = std::lround(fadeSeconds * rate);
    // An arrangement without a note has no music to render.
    long end = request.firstNoteTick < 0 ? 0 : run.end;
    long musicEnd = -1;
    long quiet = 0;           // frames in a row under the silence
    float silence = 0.0f;     // as a sample value, once the music is over
    std::vector<float> block(2 * blockFrames);
    long frames = 0;
    while (end < 0 || frames < end) {
        if (stopRequested) {
            error = "stopped";
            return false;
        }
        if (musicEnd < 0) {
            const int total = s.totalTicks();  // 0 until the player has loaded the file
            const int now = s.currentTick();
            if (!s.playing() || (total > 0 && now >= total)) {
                musicEnd = frames;
                // The tail hardly counts in the gated loudness.
                const double gain = run.toLoudness && std::isfinite(meter.loudness())
                                        ? decibelsToFactor(run.loudness - meter.loudness())
                                        : run.gain;
                silence = static_cast<float>(decibelsToFactor(silenceLevel - 1.0) / gain);
            } else if (total > startTick && frames % (64 * blockFrames) == 0) {
                progress(static_cast<double>(now - startTick) / (total - startTick));
            }
        } else if (end >= 0 && frames % (64 * blockFrames) == 0) {
            progress(static_cast<double>(frames) / end);
        }
        if (!s.render(block.data(), block.data() + 1, blockFrames)) {
            error = failureText(SynthesizerFailure::Synthesizer);
            return false;
        }
        long count = blockFrames;
        if (end >= 0) {
            count = std::min(count, end - frames);
        }
        for (long i = 0; i < count; ++i) {
            float& left = block[2 * i];
            float& right = block[2 * i + 1];
            if (musicEnd >= 0 && end < 0) {
                const bool silent = std::max(std::fabs(left), std::fabs(right)) < silence;
                quiet = silent ? quiet + 1 : 0;
                if (quiet >= silentFrames || frames + i + 1 >= musicEnd + tailFrames) {
                    end = frames + i + 1;
                    count = i + 1;
                }
            }
            double gain = run.gain;
            const long beforeCap = musicEnd < 0 ? fadeFrames : musicEnd + tailFrames - (frames + i);
            if (beforeCap < fadeFrames) {
                gain *= static_cast<double>(std::max(0L, beforeCap - 1)) / fadeFrames;
            }
            left = static_cast<float>(left * gain);
            right = static_cast<float>(right * gain);
        }
        meter.add(block.data(), static_cast<std::size_t>(count));
        if (!sink(block.data(), static_cast<std::size_t>(count))) {
            return false;
        }
        frames += count;
    }
    s.stop();
    found.frames = frames;
    found.loudness = meter.loudness();
    found.peak = meter.peak();
    return true;
}

}  // namespace

double renderToFile(const RenderRequest& request, const std::function<void(double)>& progress,
                    const volatile std::sig_atomic_t& stopRequested, std::string& error,
                    double* loudness) {
    const AudioFormat* format =
        request.fileType.empty()
            ? formatOfFile(request.outPath)
            : &chooseFormat(request.fileType == "oga" ? "ogg" : request.fileType, "",
                            formatWritable);
    if (format == nullptr || !formatWritable(*format)) {
        error = request.outPath + ": cannot write this format";
        return -1.0;
    }
    const double rate = format->sampleRate > 0 ? format->sampleRate : 44100.0;
    // The smaller a lossy file, the more its decoded peaks overshoot.
    const double headroom = format->headroom * (1.0 + std::max(0.0, request.compression));
    const double ceiling = decibelsToFactor(peakCeiling - headroom);
    auto makeLimiter = [&] {
        return PeakLimiter(static_cast<float>(ceiling), static_cast<int>(lookaheadSeconds * rate),
                           static_cast<int>(releaseSeconds * rate));
    };
    std::vector<float> limited;
    // The progress of each run, as a share of the whole: measuring, then
    // measuring what the limiter leaves (when it acts), then writing.
    double done = 0.0;
    double share = request.normalize ? 0.4 : 1.0;
    auto partly = [&](double fraction) { progress(done + share * fraction); };

    Run run;
    Found found;
    if (request.normalize) {
        run.toLoudness = true;
        run.loudness = request.loudness;
        auto measure = [](const float*, std::size_t) { return true; };
        if (!renderRun(request, rate, run, measure, partly, stopRequested, found, error)) {
            return -1.0;
        }
        run.toLoudness = false;
        done = share;
        // The gain in decibels; without the limiter it brings the music
        // to the loudness asked for exactly.
        double gain = std::isfinite(found.loudness) ? request.loudness - found.loudness : 0.0;
        run.gain = decibelsToFactor(gain);
        // The limiter takes loudness off the peaks, and the more the louder
        // the music is made: measured through it and made up for, each
        // step scaled by how much loudness the last one gained, until
        // within a tenth of a unit, but never by so much that the limiter
        // would crush the music.
        const double mostGain = gain + mostMakeUp;
        double lastGain = 0.0;
        double lastLoudness = 0.0;
        for (int pass = 0; pass < limitedPasses && found.peak * run.gain > ceiling; ++pass) {
            PeakLimiter limiter = makeLimiter();
            Meter meter(rate);
            auto measureLimited = [&](const float* frames, std::size_t count) {
                limited.clear();
                limiter.process(frames, count, limited);
                meter.add(limited.data(), limited.size() / 2);
                return true;
            };
            share = 0.4 * (1.0 - done);
            Found limitedRun;
            if (!renderRun(request, rate, run, measureLimited, partly, stopRequested, limitedRun,
                           error)) {
                return -1.0;
            }
            limited.clear();
            limiter.flush(limited);
            meter.add(limited.data(), limited.size() / 2);
            done += share;
            const double loudness = meter.loudness();
            if (!std::isfinite(loudness) || std::fabs(request.loudness - loudness) <= 0.1) {
                break;
            }
            const double slope =
                pass == 0 ? 1.0
                          : std::clamp((loudness - lastLoudness) / (gain - lastGain), 0.25, 1.0);
            if (gain >= mostGain) {
                break;
            }
            lastGain = gain;
            lastLoudness = loudness;
            gain = std::min(mostGain, gain + (request.loudness - loudness) / slope);
            run.gain = decibelsToFactor(gain);
        }
    }

    AudioFileWriter writer;
    if (!writer.open(request.outPath, *format, static_cast<int>(rate), request.compression,
                     error)) {
        return -1.0;
    }
    PeakLimiter limiter = makeLimiter();
    Meter written(rate);
    auto write = [&](const float* frames, std::size_t count) {
        limited.clear();
        limiter.process(frames, count, limited);
        written.add(limited.data(), limited.size() / 2);
        return writer.write(limited.data(), limited.size() / 2, error);
    };
    share = 1.0 - done;
    if (!renderRun(request, rate, run, write, partly, stopRequested, found, error)) {
        return -1.0;
    }
    limited.clear();
    limiter.flush(limited);
    written.add(limited.data(), limited.size() / 2);
    if (!writer.write(limited.data(), limited.size() / 2, error) || !writer.commit(error)) {
        return -1.0;
    }
    if (loudness != nullptr) {
        *loudness = written.loudness();
    }
    progress(1.0);
    return static_cast<double>(found.frames) / rate;
}
