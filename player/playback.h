// Synthesizer playback of the players: the FluidSynth settings,
// synthesizer, MIDI file player and audio output of one run, made through
// the one door to FluidSynth (synthesizer.h).

#ifndef KOLVO_PLAYBACK_H
#define KOLVO_PLAYBACK_H

#include "FatalError.h"
#include "synthesizer.h"

// Creates the settings (synthesizer gain 0.5), the synthesizer, the player
// and the audio output, in that order; from then on the audio output
// renders on a thread of its own.  Then loads the soundfont at `fontPath`.
// When one of the objects cannot be created, deletes those made so far,
// prints one line on standard error and ends the process with status 1.
// A soundfont that is missing or cannot be loaded gets one warning line on
// standard error, and the run goes on without sound.
Synthesizer* startSynthesizer(const char* fontPath);

// Queues the MIDI file held in the first `length` bytes of `buffer`,
// starts the player and returns when it has finished.  The player copies
// the buffer.
void playToEnd(Synthesizer* synthesizer, const unsigned char* buffer, long length);

// Deletes the audio output, the player, the synthesizer and the settings,
// in that order.
void stopSynthesizer(Synthesizer* synthesizer);

// The synthesizer of one run: started when the run reaches it and stopped
// however the run leaves it, at the end of playback or on a refusal.  While
// it runs, a fatal error of the MIDI file library stops it too before the
// process ends.  One at a time.
class SynthesizerRun {
  public:
    explicit SynthesizerRun(const char* fontPath);
    ~SynthesizerRun();
    SynthesizerRun(const SynthesizerRun&) = delete;
    SynthesizerRun& operator=(const SynthesizerRun&) = delete;

    void playToEnd(const unsigned char* buffer, long length);

  private:
    FatalHandler previousHandler;
};

#endif
