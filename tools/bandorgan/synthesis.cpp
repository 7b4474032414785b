// Synthesis of pipes, bars and drums.  Every sound is a sum of sinusoids
// (each run as a rotating phasor, decaying where the sound decays) and of
// filtered noise from a seeded generator, so that the same seed gives the
// same points on every run.

#include "synthesis.h"

#include <algorithm>
#include <cmath>
#include <complex>

namespace synth {

namespace {

const double pi = 3.141592653589793;
const double twoPi = 2.0 * pi;

// splitmix64: small, fast, and the same sequence everywhere.
struct Rng {
    std::uint64_t state;
    std::uint64_t next() {
        std::uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    double uniform() { return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0); }
    double noise() { return 2.0 * uniform() - 1.0; }
};

// Raised cosine from 0 (u <= 0) to 1 (u >= 1): fades without a click.
double ramp(double u) {
    if (u <= 0.0) {
        return 0.0;
    }
    if (u >= 1.0) {
        return 1.0;
    }
    return 0.5 - 0.5 * std::cos(pi * u);
}

// A second-order section (the audio cookbook's band-pass of 0 dB peak,
// low-pass and high-pass).
struct Biquad {
    double b0, b1, b2, a1, a2;
    double z1 = 0.0, z2 = 0.0;
    double step(double x) {
        const double y = b0 * x + z1;
        z1 = b1 * x - a1 * y + z2;
        z2 = b2 * x - a2 * y;
        return y;
    }
};

enum class Pass { Low, High, Band };

Biquad filter(Pass pass, double hz, double q, double rate) {
    const double w = twoPi * std::min(hz, 0.45 * rate) / rate;
    const double alpha = std::sin(w) / (2.0 * q);
    const double c = std::cos(w);
    const double a0 = 1.0 + alpha;
    double b0 = 0.0, b1 = 0.0, b2 = 0.0;
    switch (pass) {
        case Pass::Low:
            b0 = (1.0 - c) / 2.0;
            b1 = 1.0 - c;
            b2 = b0;
            break;
        case Pass::High:
            b0 = (1.0 + c) / 2.0;
            b1 = -(1.0 + c);
            b2 = b0;
            break;
        case Pass::Band:
            b0 = alpha;
            b2 = -alpha;
            break;
    }
    return {b0 / a0, b1 / a0, b2 / a0, -2.0 * c / a0, (1.0 - alpha) / a0};
}

// Adds amp * cos(phase + i * step) * decay^i to x[i] for i in [0, count),
// faded in over the first fadeIn points.
void addPartial(std::vector<double>& x, std::size_t count, double step, double phase, double amp,
                double decay, std::size_t fadeIn) {
    const std::complex<double> turn = std::polar(decay, step);
    std::complex<double> z = std::polar(amp, phase);
    const std::size_t faded = std::min(fadeIn, count);
    for (std::size_t i = 0; i < faded; ++i) {
        x[i] += z.real() * ramp(static_cast<double>(i) / static_cast<double>(fadeIn));
        z *= turn;
    }
    for (std::size_t i = faded; i < count; ++i) {
        x[i] += z.real();
        z *= turn;
    }
}

// White noise through a filter chain, scaled to an RMS of 1.
std::vector<double> coloredNoise(std::size_t count, Rng& rng, std::vector<Biquad> chain) {
    std::vector<double> out(count);
    for (double& v : out) {
        v = rng.noise();
        for (Biquad& f : chain) {
            v = f.step(v);
        }
    }
    const double level = rms(out, 0, count);
    if (level > 0.0) {
        for (double& v : out) {
            v /= level;
        }
    }
    return out;
}

// Noise that repeats exactly every `period` points: white noise filtered
// round and round the period until the filter has forgotten its start.
std::vector<double> periodicNoise(std::size_t period, Rng& rng, Biquad f) {
    std::vector<double> white(period);
    for (double& v : white) {
        v = rng.noise();
    }
    std::vector<double> out(period);
    for (int pass = 0; pass < 3; ++pass) {
        for (std::size_t i = 0; i < period; ++i) {
            out[i] = f.step(white[i]);
        }
    }
    const double level = rms(out, 0, period);
    for (double& v : out) {
        v /= level;
    }
    return out;
}

// Fades the last `share` of the points out, then appends silence holding a
// short loop (a one-shot's loop points must lie somewhere valid).
void endOneShot(Wave& w, double share) {
    const std::size_t n = w.points.size();
    const std::size_t fade = static_cast<std::size_t>(share * static_cast<double>(n));
    for (std::size_t i = n - fade; i < n; ++i) {
        w.points[i] *= ramp(static_cast<double>(n - i) / static_cast<double>(fade));
    }
    w.points.resize(n + 24, 0.0);
    w.loopStart = n + 4;
    w.loopEnd = n + 12;
    w.looped = false;
}

double amplitude(const Spectrum& s, int n, double hz) {
    if (n == 1) {
        return 1.0;
    }
    double a = s.upper * std::pow(n / 2.0, -s.tilt);
    if (n % 2 == 0) {
        a *= s.even;
    }
    if (hz > s.brightHz) {
        a *= std::pow(2.0, -s.rolloff / 6.0206 * std::log2(hz / s.brightHz));
    }
    return a;
}

// Partials fade out towards the ceiling instead of stopping at an edge.
double ceilingTaper(double hz) {
    return 1.0 - ramp((hz - 0.7 * ceilingHz) / (0.3 * ceilingHz));
}

std::size_t points(double seconds, double rate) {
    return static_cast<std::size_t>(std::lround(seconds * rate));
}

// ---------------------------------------------------------------------------
// Drums

// A membrane: modes above its lowest, each decaying, the pitch falling from
// `glide` times its rest a moment after the hit.
struct Mode {
    double ratio, amp, decay;
};

void membrane(std::vector<double>& x, double rate, double hz, double glide, double decay,
              const std::vector<Mode>& modes) {
    for (const Mode& m : modes) {
        double phase = 0.0;
        const double fall = std::exp(-1.0 / (m.decay * decay * rate));
        const double settle = std::exp(-1.0 / (0.03 * rate));
        double bend = glide - 1.0;
        double env = m.amp;
        for (std::size_t i = 0; i < x.size(); ++i) {
            x[i] += env * std::sin(phase) * ramp(static_cast<double>(i) / (0.0008 * rate));
            phase += twoPi * hz * m.ratio * (1.0 + bend) / rate;
            bend *= settle;
            env *= fall;
        }
    }
}

// A burst of filtered noise from `at` seconds: a fast rise, then an
// exponential decay.
void burst(std::vector<double>& x, double rate, double at, double level, double decay,
           std::vector<Biquad> chain, Rng& rng) {
    const std::size_t from = points(at, rate);
    if (from >= x.size()) {
        return;
    }
    const std::size_t count = x.size() - from;
    const std::vector<double> noise = coloredNoise(count, rng, std::move(chain));
    const double fall = std::exp(-1.0 / (decay * rate));
    double env = level;
    for (std::size_t i = 0; i < count; ++i) {
        x[from + i] += noise[i] * env * ramp(static_cast<double>(i) / (0.0005 * rate));
        env *= fall;
    }
}

void bassDrum(std::vector<double>& x, const Drum& d, double rate, Rng& rng) {
    membrane(x, rate, d.tuneHz, 1.4, d.decay,
             {{1.0, 1.0, 1.0}, {1.59, 0.4, 0.45}, {2.14, 0.25, 0.3}, {2.30, 0.18, 0.25},
              {2.65, 0.12, 0.2}});
    // The felt beater: a soft thump and a little slap.
    burst(x, rate, 0.0, 0.9, 0.012, {filter(Pass::Low, 300.0, 0.7, rate)}, rng);
    burst(x, rate, 0.0, 0.25 * d.bright, 0.004,
          {filter(Pass::Band, 2500.0, 0.8, rate)}, rng);
}

void snare(std::vector<double>& x, const Drum& d, double rate, Rng& rng) {
    membrane(x, rate, d.tuneHz, 1.05, 0.05, {{1.0, 0.7, 1.0}, {1.59, 0.4, 0.7}, {2.14, 0.2, 0.5}});
    // The snares against the lower head, and the stick.
    burst(x, rate, 0.0, 0.9, d.decay,
          {filter(Pass::High, 1200.0, 0.7, rate),
           filter(Pass::Low, 5000.0 + 6000.0 * d.bright, 0.7, rate)},
          rng);
    burst(x, rate, 0.0, 0.6, 0.0015, {filter(Pass::Band, 3500.0, 1.0, rate)}, rng);
}

void cymbal(std::vector<double>& x, const Drum& d, double rate, Rng& rng) {
    // Many inharmonic modes, the high ones dying sooner, and a hiss.
    for (int k = 0; k < 160; ++k) {
        const double hz = d.tuneHz * std::pow(12000.0 / d.tuneHz, rng.uniform());
        const double amp = (0.5 + 0.5 * rng.uniform()) * std::pow(hz / 1000.0, 0.3) / 12.0;
        const double decay = d.decay * std::pow(1000.0 / hz, 0.3);
        addPartial(x, x.size(), twoPi * hz / rate, twoPi * rng.uniform(), amp,
                   std::exp(-1.0 / (decay * rate)), points(0.002, rate));
    }
    burst(x, rate, 0.0, 0.35, 0.35 * d.decay, {filter(Pass::High, 4000.0, 0.7, rate)}, rng);
    burst(x, rate, 0.0, 0.5 * d.bright, 0.01, {filter(Pass::High, 2000.0, 0.7, rate)}, rng);
}

void conga(std::vector<double>& x, const Drum& d, double rate, Rng& rng) {
    membrane(x, rate, d.tuneHz, 1.06, d.decay,
             {{1.0, 1.0, 1.0}, {1.5, 0.35, 0.5}, {1.98, 0.25, 0.4}, {2.44, 0.1, 0.3}});
    burst(x, rate, 0.0, 0.45 * d.bright, 0.005, {filter(Pass::Band, 1800.0, 1.2, rate)}, rng);
}

void triangle(std::vector<double>& x, const Drum& d, double rate, Rng& rng) {
    // A bent steel rod: a dense, stretched and uneven series of partials.
    for (int k = 1; k <= 24; ++k) {
        const double hz = d.tuneHz * (1.0 + 0.93 * (k - 1)) * (1.0 + 0.008 * k * k) *
                          (1.0 + 0.04 * rng.noise());
        if (hz >= 0.95 * ceilingHz) {
            break;
        }
        const double amp = std::pow(k, -0.5) / 3.0 * ceilingTaper(hz);
        const double decay = d.decay * std::pow(k, -0.3);
        addPartial(x, x.size(), twoPi * hz / rate, twoPi * rng.uniform(), amp,
                   std::exp(-1.0 / (decay * rate)), points(0.0005, rate));
    }
    burst(x, rate, 0.0, 0.3 * d.bright, 0.002, {filter(Pass::High, 5000.0, 0.7, rate)}, rng);
}

void castanets(std::vector<double>& x, const Drum& d, double rate, Rng& rng) {
    // A short rattle of three clicks of hollow wood.
    const double at[] = {0.0, 0.027, 0.049};
    const double level[] = {1.0, 0.7, 0.5};
    for (int k = 0; k < 3; ++k) {
        burst(x, rate, at[k], level[k], d.decay, {filter(Pass::Band, 2400.0, 2.0, rate)}, rng);
        std::vector<double> tock(x.size() - points(at[k], rate), 0.0);
        addPartial(tock, tock.size(), twoPi * d.tuneHz / rate, -pi / 2, 0.6 * level[k],
                   std::exp(-1.0 / (1.5 * d.decay * rate)), points(0.0003, rate));
        for (std::size_t i = 0; i < tock.size(); ++i) {
            x[points(at[k], rate) + i] += tock[i];
        }
    }
}

}  // namespace

double keyHz(double key) {
    return 440.0 * std::pow(2.0, (key - 69.0) / 12.0);
}

double hzKey(double hz) {
    return 69.0 + 12.0 * std::log2(hz / 440.0);
}

double rms(const std::vector<double>& points, std::size_t from, std::size_t to) {
    double sum = 0.0;
    for (std::size_t i = from; i < to; ++i) {
        sum += points[i] * points[i];
    }
    return to > from ? std::sqrt(sum / static_cast<double>(to - from)) : 0.0;
}

Wave pipe(const Pipe& voice, double hz, const Sampling& sampling) {
    const double rate = sampling.rate;
    Rng rng{sampling.seed};

    // The loop holds a whole number of periods; its exact pitch is the
    // sample's pitch.  Wind noise repeats with the loop, so a breathy pipe
    // gets a longer one, lest the repetition be heard.
    const double loopSeconds = voice.breath >= 0.02 ? 0.7 : 0.35;
    const long periods = std::max(1L, std::lround(loopSeconds * hz));
    const std::size_t loop = points(periods / hz, rate);
    const double f = static_cast<double>(periods) * rate / static_cast<double>(loop);

    // Low pipes speak slower than high ones.
    const double attack = voice.attack * std::clamp(std::pow(261.6 / hz, 0.4), 0.6, 2.0);
    const double chiffLength = voice.chiff > 0.0 ? 6.0 * voice.chiffTime : 0.0;
    const std::size_t loopStart = points(std::max(attack * 1.3, chiffLength) + 0.02, rate);
    const std::size_t count = loopStart + loop;
    const std::size_t tail = 16;

    std::vector<double> amps;
    double power = 0.0;
    for (int n = 1; n * f * sampling.transposeUp < ceilingHz; ++n) {
        const double hzN = n * f;
        amps.push_back(amplitude(voice.spectrum, n, hzN) *
                       ceilingTaper(hzN * sampling.transposeUp));
        power += amps.back() * amps.back() / 2.0;
    }
    const double steady = std::sqrt(power);

    // Schroeder's phases spread each period's energy evenly in time: the
    // lowest peak for the partials' power, so the pipe can be sampled loud.
    Wave w;
    w.points.assign(count + tail, 0.0);
    double phase = 0.0;
    double below = 0.0;  // share of the power in the partials below n
    for (int n = 1; n <= static_cast<int>(amps.size()); ++n) {
        const double amp = amps[n - 1];
        phase -= twoPi * below;
        below += amp * amp / 2.0 / power;
        if (amp < 1e-4) {
            continue;
        }
        const double onset = attack * (1.0 - voice.upperLead * (1.0 - 1.0 / n));
        // Exactly n * periods turns over the loop, so the loop joins.
        const double step = twoPi * static_cast<double>((n * periods) % static_cast<long>(loop)) /
                            static_cast<double>(loop);
        addPartial(w.points, count, step, std::fmod(phase, twoPi), amp, 1.0,
                   std::max<std::size_t>(points(onset, rate), 1));
    }

    if (voice.chiff > 0.0) {
        const std::size_t length = points(chiffLength, rate);
        const double centre = std::clamp(voice.chiffAt * f, 400.0, 9000.0);
        const std::vector<double> noise =
            coloredNoise(length, rng, {filter(Pass::Band, centre, 1.5, rate)});
        const double fall = std::exp(-1.0 / (voice.chiffTime * rate));
        double env = voice.chiff * steady;
        for (std::size_t i = 0; i < length; ++i) {
            const double rise = ramp(static_cast<double>(i) / (0.0015 * rate));
            const double end =
                ramp(static_cast<double>(length - i) / (0.3 * static_cast<double>(length)));
            w.points[i] += noise[i] * env * rise * end;
            env *= fall;
        }
    }

    if (voice.breath > 0.0) {
        const double centre = std::clamp(voice.breathAt * f, 300.0, 9000.0);
        const std::vector<double> wind =
            periodicNoise(loop, rng, filter(Pass::Band, centre, 0.7, rate));
        const std::size_t shift = loop - loopStart % loop;
        const double fadeIn = attack * rate;
        for (std::size_t i = 0; i < count; ++i) {
            w.points[i] += voice.breath * steady * wind[(i + shift) % loop] *
                           ramp(static_cast<double>(i) / fadeIn);
        }
    }

    for (std::size_t j = 0; j < tail; ++j) {
        w.points[count + j] = w.points[loopStart + j];
    }
    w.loopStart = loopStart;
    w.loopEnd = count;
    w.key = hzKey(f);
    w.looped = true;
    return w;
}

Wave bar(const Bar& voice, double hz, const Sampling& sampling) {
    const double rate = sampling.rate;
    Rng rng{sampling.seed};
    const double shorter = std::pow(440.0 / hz, 0.5);
    Wave w;
    w.points.assign(points(voice.length * std::pow(440.0 / hz, 0.3), rate), 0.0);
    for (const BarPartial& p : voice.partials) {
        const double hzP = hz * p.ratio;
        if (p.amp <= 0.0 || hzP * sampling.transposeUp >= ceilingHz) {
            continue;
        }
        const double decay = p.decay * shorter;
        addPartial(w.points, w.points.size(), twoPi * hzP / rate, -pi / 2, p.amp,
                   std::exp(-1.0 / (decay * rate)),
                   std::max<std::size_t>(points(voice.strike, rate), 1));
    }
    burst(w.points, rate, 0.0, voice.click, 0.0015, {filter(Pass::High, 2000.0, 0.7, rate)}, rng);
    endOneShot(w, 0.25);
    w.key = hzKey(hz);
    return w;
}

Wave drum(const Drum& voice, const Sampling& sampling) {
    const double rate = sampling.rate;
    Rng rng{sampling.seed};
    Wave w;
    double seconds = 0.0;
    void (*hit)(std::vector<double>&, const Drum&, double, Rng&) = nullptr;
    switch (voice.kind) {
        case DrumKind::BassDrum: hit = bassDrum; seconds = 5.0 * voice.decay; break;
        case DrumKind::Snare: hit = snare; seconds = 6.0 * voice.decay; break;
        case DrumKind::Cymbal: hit = cymbal; seconds = 2.5 * voice.decay; break;
        case DrumKind::Conga: hit = conga; seconds = 5.0 * voice.decay; break;
        case DrumKind::Triangle: hit = triangle; seconds = 2.2 * voice.decay; break;
        case DrumKind::Castanets: hit = castanets; seconds = 0.08 + 8.0 * voice.decay; break;
    }
    w.points.assign(points(seconds, rate), 0.0);
    hit(w.points, voice, rate, rng);
    endOneShot(w, 0.3);
    return w;
}

Wave snareRoll(const Drum& voice, double perSecond, int strokes, double firstAt,
               const Sampling& sampling) {
    const double rate = sampling.rate;
    Rng rng{sampling.seed};
    const std::size_t loop = points(strokes / perSecond, rate);
    const std::size_t lead = points(firstAt, rate);
    // Rolled strokes are light: their snares buzz briefly, so that each
    // stroke stands out from the ring of the one before.
    Drum light = voice;
    light.decay = 0.3 * voice.decay;
    std::vector<double> round(loop, 0.0);
    for (int k = 0; k < strokes; ++k) {
        std::vector<double> stroke(points(0.3, rate), 0.0);
        snare(stroke, light, rate, rng);
        const double hand = (k % 2 == 0 ? 1.0 : 0.8) * (1.0 + 0.1 * rng.noise());
        const std::size_t at = k * loop / strokes + points(0.001 * rng.noise() + 0.001, rate);
        for (std::size_t i = 0; i < stroke.size(); ++i) {
            round[(at + i) % loop] += hand * stroke[i];
        }
    }
    Wave w;
    const std::size_t tail = 16;
    w.points.resize(lead + loop + tail);
    for (std::size_t i = 0; i < w.points.size(); ++i) {
        w.points[i] = round[(i + loop - lead % loop) % loop];
    }
    w.loopStart = lead;
    w.loopEnd = lead + loop;
    w.looped = true;
    return w;
}

}  // namespace synth
