// FluidSynth at the edge of the program: start, play, stop.

#include "playback.h"

#include <fluidsynth.h>

#include <cstdlib>
#include <iostream>

#include "messages.h"

struct Synthesizer {
    fluid_settings_t* settings = nullptr;
    fluid_synth_t* synth = nullptr;
    fluid_player_t* player = nullptr;
    fluid_audio_driver_t* audio = nullptr;
};

namespace {

// Nothing can be played without the object; what has been created is left
// to the end of the process.
void giveUpUnless(const void* created, const char* message) {
    if (created == nullptr) {
        std::cerr << message << std::endl;
        std::exit(1);
    }
}

}  // namespace

Synthesizer* startSynthesizer(const char* fontPath) {
    Synthesizer* s = new Synthesizer;

    s->settings = new_fluid_settings();
    giveUpUnless(s->settings, "Cannot create the synthesizer settings");
    fluid_settings_setnum(s->settings, "synth.gain", synthesizerGain);

    s->synth = new_fluid_synth(s->settings);
    giveUpUnless(s->synth, "Cannot create the synthesizer");

    s->player = new_fluid_player(s->synth);
    giveUpUnless(s->player, "Cannot create the MIDI file player");

    // Without an audio output the player would never advance, and waiting
    // for it would never end.
    s->audio = new_fluid_audio_driver(s->settings, s->synth);
    giveUpUnless(s->audio, audioOutputMissing);

    bool loaded = false;
    if (fluid_is_soundfont(fontPath)) {
        loaded = fluid_synth_sfload(s->synth, fontPath, 1) != FLUID_FAILED;
    }
    if (!loaded) {
        std::cerr << "Warning: soundfont " << fontPath
                  << " not loaded; playing without sound" << std::endl;
    }
    return s;
}

void playToEnd(Synthesizer* s, const unsigned char* buffer, long length) {
    fluid_player_add_mem(s->player, buffer, static_cast<size_t>(length));
    fluid_player_play(s->player);
    fluid_player_join(s->player);
}

void stopSynthesizer(Synthesizer* s) {
    delete_fluid_audio_driver(s->audio);
    delete_fluid_player(s->player);
    delete_fluid_synth(s->synth);
    delete_fluid_settings(s->settings);
    delete s;
}
