// Offline rendering of an arrangement to an audio file with FluidSynth's
// file renderer: the player runs on the synthesizer's own sample clock,
// with no audio device, as fast as the machine can.

#ifndef KOLVO_TOOL_RENDERER_H
#define KOLVO_TOOL_RENDERER_H

#include <csignal>
#include <functional>
#include <string>

struct RenderRequest {
    std::string arrangement;  // the written MIDI file
    int firstNoteTick;        // where the music starts; -1 when it has no note
    std::string soundfont;
    std::string outPath;
    std::string fileType;     // FluidSynth's name: "wav", "flac", "oga"
};

// The longest the sound may ring on after the music's last note has
// ended; a voice still sounding then is faded out over the last quarter
// second.
const double longestReleaseSeconds = 2.0;

// Renders from the first note (no leading silence) to the end of the last
// release.  `progress` gets the fraction done now and then.  Returns the
// seconds of audio written; on failure -1 with the reason in `error`, and
// no file left behind.  Stops early, also with -1, when `stopRequested`
// turns nonzero.
double renderToFile(const RenderRequest& request, const std::function<void(double)>& progress,
                    const volatile std::sig_atomic_t& stopRequested, std::string& error);

#endif
