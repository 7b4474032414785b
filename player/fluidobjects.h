// The FluidSynth objects that sound one roll: settings, synthesizer, MIDI
// file player and one output, the audio driver or the file renderer.  They
// are deleted in the reverse order of their creation, whichever of them
// were made (FluidSynth's delete functions pass over a null object).  Only
// the programs' edges to FluidSynth include this.

#ifndef KOLVO_FLUIDOBJECTS_H
#define KOLVO_FLUIDOBJECTS_H

#include <fluidsynth.h>

struct FluidObjects {
    fluid_settings_t* settings = nullptr;
    fluid_synth_t* synth = nullptr;
    fluid_player_t* player = nullptr;
    fluid_audio_driver_t* audio = nullptr;
    fluid_file_renderer_t* renderer = nullptr;

    FluidObjects() = default;
    FluidObjects(const FluidObjects&) = delete;
    FluidObjects& operator=(const FluidObjects&) = delete;
    ~FluidObjects() {
        delete_fluid_audio_driver(audio);
        delete_fluid_file_renderer(renderer);
        delete_fluid_player(player);
        delete_fluid_synth(synth);
        delete_fluid_settings(settings);
    }
};

#endif
