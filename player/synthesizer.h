// FluidSynth behind one door: the settings, synthesizer, MIDI file player
// and sound output of one roll, made alike for the players, kolvo play and
// kolvo render, each asking only for what differs (an audio driver or
// rendering by itself, the gain, the sample rate).  The door holds the
// FluidSynth objects and names what went wrong in our words.  No other
// part of the programs talks to FluidSynth.

#ifndef KOLVO_SYNTHESIZER_H
#define KOLVO_SYNTHESIZER_H

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

// The synthesizer's output gain in every program that sounds a roll.
const double synthesizerGain = 0.5;

// Where the sound goes.
enum class SoundOutput {
    AudioDriver,  // an audio driver, rendering on a thread of its own from its creation
    Offline,      // nowhere until the caller renders: the player follows the
                  // synthesizer's own sample clock, as fast as it is rendered
};

// What differs between the programs that sound a roll.  Empty texts and a
// zero sample rate leave FluidSynth's defaults.
struct SynthesizerSetup {
    SoundOutput output = SoundOutput::AudioDriver;
    double gain = synthesizerGain;
    double sampleRate = 0.0;   // synth.sample-rate
    std::string audioDriver;   // audio.driver: "alsa", "pulseaudio", "file", ...
    std::string device;        // audio.<driver>.device, of the default driver
                               // when no driver is given
    // The sound libraries below the audio driver print their own lines when
    // there is no audio output; kept off standard error when quiet.
    bool quietAudioDriver = false;
    // The MIDI file player follows the samples rendered rather than the
    // system clock, so that it stands still while the sound does.
    bool playerFollowsSamples = false;
    std::string fileName;      // audio.file.name: where the "file" driver writes
    std::string fileType;      // audio.file.type: "wav", "flac", "oga"
};

// What of FluidSynth could not be made or done.
enum class SynthesizerFailure {
    None,
    Settings,     // "Cannot create the synthesizer settings"
    Synthesizer,  // "Cannot create the synthesizer"
    Player,       // "Cannot create the MIDI file player"
    AudioOutput,  // "Cannot open the audio output"
    Soundfont,    // "Cannot load the soundfont"
    Arrangement,  // "Cannot hand the arrangement to the synthesizer's player"
};

// The failure in our words, as the players print it.
const char* failureMessage(SynthesizerFailure failure);

class Synthesizer {
  public:
    // Creates the settings (with the setup's), the synthesizer, the MIDI
    // file player and, for an audio driver, the audio output, in that
    // order, and stops at the first that cannot be made: failure() names
    // it.
    explicit Synthesizer(const SynthesizerSetup& setup);
    // Deletes what was made, in the reverse order of its making.
    ~Synthesizer();
    Synthesizer(const Synthesizer&) = delete;
    Synthesizer& operator=(const Synthesizer&) = delete;

    SynthesizerFailure failure() const { return failure_; }

    // Loads the soundfont at `path` when it is one, resetting the presets
    // of all channels.  False when it is none or cannot be loaded.
    bool loadSoundfont(const char* path);

    // The MIDI file player.  queue() hands it a MIDI file in memory (the
    // player copies it); false when it does not take it.
    bool queue(const void* midiFile, std::size_t length);
    void seek(int tick);
    void play();
    void join();  // returns when the player has finished
    void stop();
    bool playing() const;
    int currentTick() const;
    int totalTicks() const;  // 0 until the player has loaded the file

    // The synthesizer.
    void allNotesOff();
    int activeVoices() const;
    double sampleRate() const;

    // Offline: renders the next `frames` stereo frames into `left` and
    // `right`, advancing the player by as much.  False when FluidSynth
    // cannot.
    bool render(float* left, float* right, int frames);

  private:
    struct Objects;
    std::unique_ptr<Objects> objects_;
    SynthesizerFailure failure_ = SynthesizerFailure::None;
};

// FluidSynth's own errors and warnings (a bank missing from the soundfont,
// for one) go to standard error only when `show`; otherwise the programs
// say in their own words what failed.
void showSynthesizerMessages(bool show);

// The values FluidSynth offers for a setting of its own: the audio file
// types of "audio.file.type" ("wav", "flac", "oga", ...) or the audio
// drivers of "audio.driver".
std::vector<std::string> settingChoices(const char* setting);

#endif
