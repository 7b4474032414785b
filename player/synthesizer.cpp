// The one door to FluidSynth.

#include "synthesizer.h"

#include <fcntl.h>
#include <fluidsynth.h>
#include <unistd.h>

#include <cstdio>

#include "messages.h"

// The FluidSynth objects of one synthesizer, deleted in the reverse order
// of their creation, whichever of them were made (FluidSynth's delete
// functions pass over a null object).
struct Synthesizer::Objects {
    fluid_settings_t* settings = nullptr;
    fluid_synth_t* synth = nullptr;
    fluid_player_t* player = nullptr;
    fluid_audio_driver_t* audio = nullptr;

    ~Objects() {
        delete_fluid_audio_driver(audio);
        delete_fluid_player(player);
        delete_fluid_synth(synth);
        delete_fluid_settings(settings);
    }
};

namespace {

// Standard error sent to /dev/null while it lives.
class QuietStandardError {
  public:
    QuietStandardError() {
        std::fflush(stderr);
        saved_ = dup(STDERR_FILENO);
        nowhere_ = open("/dev/null", O_WRONLY);
        if (saved_ >= 0 && nowhere_ >= 0) {
            dup2(nowhere_, STDERR_FILENO);
        }
    }
    ~QuietStandardError() {
        if (saved_ >= 0 && nowhere_ >= 0) {
            std::fflush(stderr);
            dup2(saved_, STDERR_FILENO);
        }
        for (int fd : {saved_, nowhere_}) {
            if (fd >= 0) {
                close(fd);
            }
        }
    }
    QuietStandardError(const QuietStandardError&) = delete;
    QuietStandardError& operator=(const QuietStandardError&) = delete;

  private:
    int saved_ = -1;
    int nowhere_ = -1;
};

fluid_audio_driver_t* openAudioDriver(fluid_settings_t* settings, fluid_synth_t* synth,
                                      bool quiet) {
    if (!quiet) {
        return new_fluid_audio_driver(settings, synth);
    }
    QuietStandardError quietly;
    return new_fluid_audio_driver(settings, synth);
}

void applySetup(fluid_settings_t* settings, const SynthesizerSetup& setup) {
    if (setup.output == SoundOutput::Offline || setup.playerFollowsSamples) {
        fluid_settings_setstr(settings, "player.timing-source", "sample");
    }
    if (setup.output == SoundOutput::Offline) {
        fluid_settings_setint(settings, "synth.lock-memory", 0);
    }
    fluid_settings_setnum(settings, "synth.gain", setup.gain);
    if (setup.sampleRate > 0.0) {
        fluid_settings_setnum(settings, "synth.sample-rate", setup.sampleRate);
    }
    if (!setup.audioDriver.empty()) {
        fluid_settings_setstr(settings, "audio.driver", setup.audioDriver.c_str());
    }
    if (!setup.device.empty()) {
        // The device of the driver given, else of FluidSynth's default one.
        char* driver = nullptr;
        fluid_settings_dupstr(settings, "audio.driver", &driver);
        const std::string device = std::string("audio.") + (driver != nullptr ? driver : "") +
                                   ".device";
        fluid_free(driver);
        fluid_settings_setstr(settings, device.c_str(), setup.device.c_str());
    }
    if (!setup.fileName.empty()) {
        fluid_settings_setstr(settings, "audio.file.name", setup.fileName.c_str());
    }
    if (!setup.fileType.empty()) {
        fluid_settings_setstr(settings, "audio.file.type", setup.fileType.c_str());
    }
}

void collectChoice(void* data, const char* /*name*/, const char* option) {
    static_cast<std::vector<std::string>*>(data)->push_back(option);
}

}  // namespace

const char* failureMessage(SynthesizerFailure failure) {
    switch (failure) {
        case SynthesizerFailure::None: return "";
        case SynthesizerFailure::Settings: return "Cannot create the synthesizer settings";
        case SynthesizerFailure::Synthesizer: return "Cannot create the synthesizer";
        case SynthesizerFailure::Player: return "Cannot create the MIDI file player";
        case SynthesizerFailure::AudioOutput: return audioOutputMissing;
        case SynthesizerFailure::Soundfont: return "Cannot load the soundfont";
        case SynthesizerFailure::Arrangement:
            return "Cannot hand the arrangement to the synthesizer's player";
    }
    return "";
}

Synthesizer::Synthesizer(const SynthesizerSetup& setup) : objects_(new Objects) {
    Objects& o = *objects_;
    o.settings = new_fluid_settings();
    if (o.settings == nullptr) {
        failure_ = SynthesizerFailure::Settings;
        return;
    }
    applySetup(o.settings, setup);
    o.synth = new_fluid_synth(o.settings);
    if (o.synth == nullptr) {
        failure_ = SynthesizerFailure::Synthesizer;
        return;
    }
    o.player = new_fluid_player(o.synth);
    if (o.player == nullptr) {
        failure_ = SynthesizerFailure::Player;
        return;
    }
    if (setup.output == SoundOutput::AudioDriver) {
        // Without an audio output the player would never advance, and
        // waiting for it would never end.
        o.audio = openAudioDriver(o.settings, o.synth, setup.quietAudioDriver);
        if (o.audio == nullptr) {
            failure_ = SynthesizerFailure::AudioOutput;
        }
    }
}

Synthesizer::~Synthesizer() = default;

bool Synthesizer::loadSoundfont(const char* path) {
    return fluid_is_soundfont(path) && fluid_synth_sfload(objects_->synth, path, 1) != FLUID_FAILED;
}

bool Synthesizer::queue(const void* midiFile, std::size_t length) {
    return fluid_player_add_mem(objects_->player, midiFile, length) == FLUID_OK;
}

void Synthesizer::seek(int tick) {
    fluid_player_seek(objects_->player, tick);
}

void Synthesizer::play() {
    fluid_player_play(objects_->player);
}

void Synthesizer::join() {
    fluid_player_join(objects_->player);
}

void Synthesizer::stop() {
    fluid_player_stop(objects_->player);
}

bool Synthesizer::playing() const {
    return fluid_player_get_status(objects_->player) == FLUID_PLAYER_PLAYING;
}

int Synthesizer::currentTick() const {
    return fluid_player_get_current_tick(objects_->player);
}

int Synthesizer::totalTicks() const {
    return fluid_player_get_total_ticks(objects_->player);
}

void Synthesizer::allNotesOff() {
    fluid_synth_all_notes_off(objects_->synth, -1);
}

int Synthesizer::activeVoices() const {
    return fluid_synth_get_active_voice_count(objects_->synth);
}

double Synthesizer::sampleRate() const {
    double rate = 44100.0;
    fluid_settings_getnum(objects_->settings, "synth.sample-rate", &rate);
    return rate;
}

bool Synthesizer::render(float* left, float* right, int frames) {
    return fluid_synth_write_float(objects_->synth, frames, left, 0, 1, right, 0, 1) == FLUID_OK;
}

void showSynthesizerMessages(bool show) {
    for (int level : {FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG}) {
        if (!show || level == FLUID_INFO || level == FLUID_DBG) {
            fluid_set_log_function(level, nullptr, nullptr);
        }
    }
}

std::vector<std::string> settingChoices(const char* setting) {
    std::vector<std::string> choices;
    fluid_settings_t* settings = new_fluid_settings();
    if (settings != nullptr) {
        fluid_settings_foreach_option(settings, setting, &choices, collectChoice);
        delete_fluid_settings(settings);
    }
    return choices;
}
