// Listening to the generated band-organ soundfont through libfluidsynth:
// notes and whole arrangements rendered offline, and what can be measured
// of them (level, loudness, spectrum, the course of one partial).

#ifndef KOLVO_TESTS_HEAR_H
#define KOLVO_TESTS_HEAR_H

#include <fluidsynth.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "organ.h"

namespace hear {

const int rate = 44100;
const int drumBank = 128;
const int drumChannel = 9;

struct Sound {
    std::vector<float> left, right;
    std::vector<float> mid() const;   // (left + right) / 2
    std::vector<float> side() const;  // (left - right) / 2
};

double keyHz(double key);
double db(double v);
double cents(double ratio);

// The RMS of the points from `from` to `to` seconds.
double rms(const std::vector<float>& x, double from, double to);

// The level of both channels together (dB of their summed power) from
// `from` to `to` seconds: the same wherever the sound is panned.
double level(const Sound& s, double from, double to);

// BS.1770 integrated loudness (gated as in EBU R128), LUFS, by libebur128.
double loudness(const Sound& s);

// Magnitudes of a Hann-windowed stretch of 65536 points from `from`
// seconds, padded fourfold with zeros so that no partial between two bins
// loses more than a tenth of a decibel.
std::vector<double> spectrum(const std::vector<float>& x, double from);
// The strongest frequency, between bins by a parabola through the peak.
double peakHz(const std::vector<double>& mag);
// The strongest partial from `lowHz` to `highHz`: its frequency and level.
struct Peak {
    double hz, db;
};
Peak peakIn(const std::vector<double>& mag, double lowHz, double highHz);
// The centre of the power spectrum (|X|^2 as weights) from 0 to 16 kHz.
double centroidHz(const std::vector<double>& mag);

// One partial followed frame by frame: its level (dB) and its frequency
// (cents against `hz`, from the phase advance between frames), by
// demodulation at `hz` through a Hann window of `frame` seconds.
struct Track {
    std::vector<double> levelDb, centsOff;
    double frame;
};
Track follow(const std::vector<float>& x, double hz, double from, double to, double frame);

// The level (dB) of every `frame` seconds of x from `from` to `to`.
std::vector<double> envelope(const std::vector<float>& x, double from, double to, double frame);

// The strongest frequency of a level course sampled every `frame` seconds
// (its mean removed), in Hz.
double movementHz(const std::vector<double>& course, double frame);

// Seconds until a course of levels (every `frame` seconds from note-on)
// first comes within 3 dB of `held`.
double speaks(const std::vector<double>& course, double held, double frame);

// Seconds until the sound has fallen 40 dB below its loudest moment, for
// good.
double ringsFor(const std::vector<float>& x);

// The strokes of a drum: rises of more than 6 dB within 30 ms, at least
// 60 ms apart, less than 30 dB under the loudest moment; their times.
std::vector<double> strokes(const std::vector<float>& x);

// A synthesizer with the soundfont loaded, rendering on demand.  Its
// settings are FluidSynth's defaults but for the effects asked for.
class Synth {
public:
    explicit Synth(bool effects = false);
    ~Synth();
    Synth(const Synth&) = delete;
    Synth& operator=(const Synth&) = delete;
    int id() const { return id_; }
    fluid_sfont_t* font() const;

    // Keys struck together, held for `held` seconds and then let go, for
    // `after` seconds.  Drums (bank 128) play on the drum channel's kit.
    Sound hold(int bank, int program, const std::vector<int>& keys, int velocity, double held,
               double after);
    // One key, the mid signal (left and right together).
    std::vector<float> play(int bank, int program, int key, int velocity, double held,
                            double after);
    // The generators (fluid_gen_type) of every voice that a key starts, as
    // the synthesizer sets them from the file, before modulators.
    std::vector<std::vector<float>> generators(int bank, int program, int key, int velocity,
                                               const std::vector<int>& gens);

private:
    fluid_settings_t* settings_;
    fluid_synth_t* synth_;
    int id_;
};

// A roll as the organ's player arranges it, played through FluidSynth
// with the players' settings until the last voice and the reverb have
// died: the whole mix, and the dry sound of each part, a set of MIDI
// channels.
struct Performance {
    Sound mix;
    std::vector<Sound> parts;
};
Performance perform(const Organ& organ, const std::string& rollPath,
                    const std::vector<std::set<int>>& parts);

// The notes that the organ's holes send to each track, and its drums.
std::map<int, std::set<int>> trackNotes(const Organ& organ, std::set<int>* drums);
const TrackLayout& rowOf(const Organ& organ, Rank rank);
bool struck(Rank rank);

// Every pipe preset of both organs (struck ranks left out), with the notes
// that its track receives.
struct PipePreset {
    const Organ* organ;
    const TrackLayout* layout;
    std::set<int> keys;
};
std::vector<PipePreset> pipePresets();

}  // namespace hear

#endif
