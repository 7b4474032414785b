// The sounds of the band organ, synthesized: pipes (flue and reed) from
// their partials with a seamless sustain loop of whole periods, struck bars
// (bells) from decaying inharmonic partials, and the drums.

#ifndef KOLVO_SYNTHESIS_H
#define KOLVO_SYNTHESIS_H

#include <cstddef>
#include <cstdint>
#include <vector>

namespace synth {

// A synthesized sample, full scale = 1.  The loop runs from loopStart up to
// loopEnd (the first point after it); the points from loopEnd on repeat
// the loop's first points, so that an interpolating player reads the same
// data on both sides of the seam.  One-shot sounds end in silence and carry
// a short loop inside it, never played.
struct Wave {
    std::vector<double> points;
    std::size_t loopStart = 0;
    std::size_t loopEnd = 0;
    double key = 60.0;  // the MIDI key it sounds at, with cents as fractions
    bool looped = false;
};

// The partials of a pipe, by partial number n (1 = fundamental):
// a(1) = 1; a(n) = upper * (n/2)^-tilt, even partials weighed by `even`,
// and a further fall of `rolloff` dB per octave above `brightHz`.
struct Spectrum {
    double upper;
    double tilt;
    double even;
    double brightHz;
    double rolloff;
};

// How a pipe speaks and sounds while held.
struct Pipe {
    Spectrum spectrum;
    double attack;     // seconds for the fundamental to speak, at middle C
    double upperLead;  // 0..1: upper partials speak sooner (flues); < 0: later (reeds)
    double chiff;      // attack noise, against the steady tone's RMS
    double chiffAt;    // its centre, in partials of the fundamental
    double chiffTime;  // its decay time constant, seconds
    double breath;     // steady wind noise, against the steady tone's RMS
    double breathAt;   // its centre, in partials of the fundamental
};

// A partial of a struck bar: frequency ratio to the fundamental, amplitude,
// and decay time constant (seconds) at A4; higher bars ring shorter.
struct BarPartial {
    double ratio;
    double amp;
    double decay;
};

struct Bar {
    BarPartial partials[4];
    double strike;  // seconds of the mallet's contact (attack ramp)
    double click;   // strike noise, against the fundamental
    double length;  // seconds of the sample at A4
};

enum class DrumKind { BassDrum, Snare, Cymbal, Conga, Triangle, Castanets };

struct Drum {
    DrumKind kind;
    double tuneHz;  // the membrane's, shell's or bar's lowest mode
    double decay;   // main decay time constant, seconds
    double bright;  // 0..1: how much of the hit lies high up
};

// Sampling: the rate, and how far above its own pitch the sample is played,
// as a frequency ratio, so that no partial is played above `ceilingHz`.
struct Sampling {
    int rate;
    double transposeUp;
    std::uint64_t seed;
};

const double ceilingHz = 16000.0;

double keyHz(double key);
double hzKey(double hz);

Wave pipe(const Pipe& voice, double hz, const Sampling& sampling);
Wave bar(const Bar& voice, double hz, const Sampling& sampling);
Wave drum(const Drum& voice, const Sampling& sampling);

// A snare drum rolled: `strokes` lighter strokes, hands alternating, in a
// loop of `strokes / perSecond` seconds.  The loop starts with a stroke
// `firstAt` seconds in; the points before it ring with the strokes before.
Wave snareRoll(const Drum& voice, double perSecond, int strokes, double firstAt,
               const Sampling& sampling);

// The RMS of the points in [from, to).
double rms(const std::vector<double>& points, std::size_t from, std::size_t to);

}  // namespace synth

#endif
