// The FluidSynth file renderer, driven block by block.

#include "renderer.h"

#include "fluidobjects.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "playback.h"


double renderToFile(const RenderRequest& request, const std::function<void(double)>& progress,
                    const volatile std::sig_atomic_t& stopRequested, std::string& error) {
    FluidObjects s;
    s.settings = new_fluid_settings();
    if (s.settings == nullptr) {
        error = "cannot create the synthesizer settings";
        return -1.0;
    }
    fluid_settings_setstr(s.settings, "player.timing-source", "sample");
    fluid_settings_setint(s.settings, "synth.lock-memory", 0);
    fluid_settings_setnum(s.settings, "synth.gain", synthesizerGain);
    fluid_settings_setstr(s.settings, "audio.file.name", request.outPath.c_str());
    fluid_settings_setstr(s.settings, "audio.file.type", request.fileType.c_str());
    double sampleRate = 44100.0;
    fluid_settings_getnum(s.settings, "synth.sample-rate", &sampleRate);
    int blockSize = 64;
    fluid_settings_getint(s.settings, "audio.period-size", &blockSize);

    s.synth = new_fluid_synth(s.settings);
    if (s.synth == nullptr) {
        error = "cannot create the synthesizer";
        return -1.0;
    }
    // The soundfont loads before the first sample is rendered.
    if (!fluid_is_soundfont(request.soundfont.c_str()) ||
        fluid_synth_sfload(s.synth, request.soundfont.c_str(), 1) == FLUID_FAILED) {
        error = "cannot load the soundfont " + request.soundfont;
        return -1.0;
    }
    s.player = new_fluid_player(s.synth);
    if (s.player == nullptr ||
        fluid_player_add_mem(s.player, request.arrangement.data(), request.arrangement.size()) !=
            FLUID_OK) {
        error = "cannot hand the arrangement to the synthesizer's player";
        return -1.0;
    }
    // Starting at the first note leaves out the silence before it; what
    // lies before (banks, programs, tempo) is still sent.
    if (request.firstNoteTick > 0) {
        fluid_player_seek(s.player, request.firstNoteTick);
    }
    fluid_player_play(s.player);

    errno = 0;
    s.renderer = new_fluid_file_renderer(s.synth);
    if (s.renderer == nullptr) {
        error = std::string("cannot write the audio file") +
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
    while (music && fluid_player_get_status(s.player) == FLUID_PLAYER_PLAYING) {
        if (stopRequested) {
            error = "stopped";
            break;
        }
        if (total == 0) {
            // The player counts them anew on every call, event by event.
            total = fluid_player_get_total_ticks(s.player);
        }
        const int now = fluid_player_get_current_tick(s.player);
        if (releasing < 0 && total > 0 && now >= total) {
            releasing = 0;  // every note has ended; the voices release
        }
        if (releasing >= 0) {
            if (fluid_synth_get_active_voice_count(s.synth) == 0 || releasing >= releaseBlocks) {
                break;
            }
            if (releasing >= releaseBlocks - fadeBlocks) {
                gain -= synthesizerGain / fadeBlocks;
                fluid_synth_set_gain(s.synth, static_cast<float>(gain > 0.0 ? gain : 0.0));
            }
            releasing++;
        } else if (total > startTick && blocks % 256 == 0) {
            progress(static_cast<double>(now - startTick) / (total - startTick));
        }
        if (fluid_file_renderer_process_block(s.renderer) != FLUID_OK) {
            error = "cannot write the audio file";
            break;
        }
        blocks++;
    }
    fluid_player_stop(s.player);
    delete_fluid_file_renderer(s.renderer);  // closes the file
    s.renderer = nullptr;
    if (!error.empty()) {
        std::remove(request.outPath.c_str());
        return -1.0;
    }
    progress(1.0);
    return static_cast<double>(blocks) * blockSize / sampleRate;
}
