// FluidSynth at the edge of the program: start, play, stop.

#include "playback.h"

#include <cstdlib>
#include <iostream>

#include "fluidobjects.h"
#include "messages.h"

struct Synthesizer : FluidObjects {};

namespace {

// Nothing can be played without the object: what has been created so far is
// deleted and the process ends.
void giveUpUnless(Synthesizer* s, const void* created, const char* message) {
    if (created == nullptr) {
        stopSynthesizer(s);
        std::cerr << message << std::endl;
        std::exit(1);
    }
}

// The synthesizer of the SynthesizerRun in force, for the fatal handler.
Synthesizer* running = nullptr;

[[noreturn]] void stopRunningAndExit() {
    if (running != nullptr) {
        stopSynthesizer(running);
        running = nullptr;
    }
    std::exit(1);
}

}  // namespace

Synthesizer* startSynthesizer(const char* fontPath) {
    Synthesizer* s = new Synthesizer;

    s->settings = new_fluid_settings();
    giveUpUnless(s, s->settings, "Cannot create the synthesizer settings");
    fluid_settings_setnum(s->settings, "synth.gain", synthesizerGain);

    s->synth = new_fluid_synth(s->settings);
    giveUpUnless(s, s->synth, "Cannot create the synthesizer");

    s->player = new_fluid_player(s->synth);
    giveUpUnless(s, s->player, "Cannot create the MIDI file player");

    // Without an audio output the player would never advance, and waiting
    // for it would never end.
    s->audio = new_fluid_audio_driver(s->settings, s->synth);
    giveUpUnless(s, s->audio, audioOutputMissing);

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
    delete s;
}

SynthesizerRun::SynthesizerRun(const char* fontPath) {
    running = startSynthesizer(fontPath);
    previousHandler = setFatalHandler(stopRunningAndExit);
}

SynthesizerRun::~SynthesizerRun() {
    setFatalHandler(previousHandler);
    stopSynthesizer(running);
    running = nullptr;
}

void SynthesizerRun::playToEnd(const unsigned char* buffer, long length) {
    ::playToEnd(running, buffer, length);
}
