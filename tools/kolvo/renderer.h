// Offline rendering of an arrangement to an audio file: the player runs on
// the synthesizer's own sample clock, with no audio device, as fast as the
// machine can, and the sound is brought to a loudness, held under a peak
// ceiling and written with libsndfile in the format of the file's
// extension.

#ifndef KOLVO_TOOL_RENDERER_H
#define KOLVO_TOOL_RENDERER_H

#include <csignal>
#include <functional>
#include <string>

// The integrated loudness (LUFS) files are brought to, and what --loudness
// accepts.
constexpr double defaultLoudness = -16.0;
constexpr double quietestLoudness = -40.0;
constexpr double loudestLoudness = -6.0;
static_assert(quietestLoudness < defaultLoudness && defaultLoudness < loudestLoudness);

struct RenderRequest {
    std::string arrangement;  // the written MIDI file
    int firstNoteTick;        // where the music starts; -1 when it has no note
    std::string soundfont;
    std::string outPath;      // its extension names the format
    std::string fileType;     // a format's name ("wav", "ogg", ...) instead; empty: outPath's
    double compression = -1;  // 0 best quality ... 1 smallest file; negative: the format's default
    bool normalize = true;    // brought to `loudness`; else the synthesizer's own level
    double loudness = defaultLoudness;
};

// No sample of a file goes above this (dBFS).
constexpr double peakCeiling = -1.0;
// A file ends once its sound has stayed under this (dBFS) for
// `silentEndSeconds` after the music...
constexpr double silenceLevel = -70.0;
constexpr double silentEndSeconds = 0.1;
// ...or `longestTailSeconds` after it, a voice still sounding then faded
// out over the last quarter second.
constexpr double longestTailSeconds = 10.0;

// Renders from the first note (no leading silence) to the silent end.
// `progress` gets the fraction done now and then.  Returns the seconds of
// audio written; on failure -1 with the reason in `error` (naming the
// soundfont or the output file), and no file left behind.  Stops early,
// also with -1, when `stopRequested` turns nonzero.  The loudness of
// what was written goes to `loudness`, when given: a loud target may be
// more than the peak ceiling lets the music reach.
double renderToFile(const RenderRequest& request, const std::function<void(double)>& progress,
                    const volatile std::sig_atomic_t& stopRequested, std::string& error,
                    double* loudness = nullptr);

#endif
