// Rendering through libfluidsynth and measuring what it gives.

#include "hear.h"

#include <ebur128.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <sstream>

#include "driver.h"
#include "runstate.h"
#include "xlate150.h"
#include "xlate165.h"

namespace hear {

std::vector<float> Sound::mid() const {
    std::vector<float> m(left.size());
    for (std::size_t i = 0; i < m.size(); ++i) {
        m[i] = 0.5f * (left[i] + right[i]);
    }
    return m;
}

std::vector<float> Sound::side() const {
    std::vector<float> s(left.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        s[i] = 0.5f * (left[i] - right[i]);
    }
    return s;
}

double keyHz(double key) {
    return 440.0 * std::pow(2.0, (key - 69.0) / 12.0);
}

double db(double v) {
    return 20.0 * std::log10(v + 1e-12);
}

double cents(double ratio) {
    return 1200.0 * std::log2(ratio);
}

double rms(const std::vector<float>& x, double from, double to) {
    const std::size_t a = static_cast<std::size_t>(from * rate);
    const std::size_t b = std::min(x.size(), static_cast<std::size_t>(to * rate));
    double sum = 0.0;
    for (std::size_t i = a; i < b; ++i) {
        sum += static_cast<double>(x[i]) * x[i];
    }
    return b > a ? std::sqrt(sum / static_cast<double>(b - a)) : 0.0;
}

double level(const Sound& s, double from, double to) {
    return db(std::hypot(rms(s.left, from, to), rms(s.right, from, to)));
}

double loudness(const Sound& s) {
    ebur128_state* meter = ebur128_init(2, rate, EBUR128_MODE_I);
    std::vector<float> frames(2 * s.left.size());
    for (std::size_t i = 0; i < s.left.size(); ++i) {
        frames[2 * i] = s.left[i];
        frames[2 * i + 1] = s.right[i];
    }
    ebur128_add_frames_float(meter, frames.data(), s.left.size());
    double lufs = -HUGE_VAL;
    ebur128_loudness_global(meter, &lufs);
    ebur128_destroy(&meter);
    return lufs;
}

const std::size_t windowSize = 65536;
const std::size_t fftSize = 4 * windowSize;

std::vector<double> spectrum(const std::vector<float>& x, double from) {
    std::vector<std::complex<double>> v(fftSize);
    const std::size_t a = static_cast<std::size_t>(from * rate);
    for (std::size_t i = 0; i < windowSize && a + i < x.size(); ++i) {
        v[i] = x[a + i] * (0.5 - 0.5 * std::cos(2.0 * M_PI * i / windowSize));
    }
    for (std::size_t i = 1, j = 0; i < fftSize; ++i) {  // bit reversal
        std::size_t bit = fftSize >> 1;
        for (; j & bit; bit >>= 1) {
            j ^= bit;
        }
        j |= bit;
        if (i < j) {
            std::swap(v[i], v[j]);
        }
    }
    for (std::size_t len = 2; len <= fftSize; len <<= 1) {
        const std::complex<double> turn = std::polar(1.0, -2.0 * M_PI / len);
        for (std::size_t i = 0; i < fftSize; i += len) {
            std::complex<double> w = 1.0;
            for (std::size_t k = 0; k < len / 2; ++k, w *= turn) {
                const std::complex<double> u = v[i + k], t = w * v[i + k + len / 2];
                v[i + k] = u + t;
                v[i + k + len / 2] = u - t;
            }
        }
    }
    std::vector<double> mag(fftSize / 2);
    for (std::size_t i = 0; i < mag.size(); ++i) {
        mag[i] = std::abs(v[i]);
    }
    return mag;
}

Peak peakIn(const std::vector<double>& mag, double lowHz, double highHz) {
    const auto bin = [](double hz) { return static_cast<std::size_t>(hz * fftSize / rate); };
    const auto from = mag.begin() + std::max<std::size_t>(bin(lowHz), 1);
    const auto to = mag.begin() + std::min(bin(highHz) + 1, mag.size() - 1);
    const std::size_t k = std::max_element(from, to) - mag.begin();
    const double a = std::log(mag[k - 1]), b = std::log(mag[k]), c = std::log(mag[k + 1]);
    return {(k + 0.5 * (a - c) / (a - 2.0 * b + c)) * rate / fftSize, db(mag[k])};
}

double peakHz(const std::vector<double>& mag) {
    return peakIn(mag, 0.0, rate / 2.0).hz;
}

double centroidHz(const std::vector<double>& mag) {
    const std::size_t top = std::min(mag.size(), static_cast<std::size_t>(16000.0 * fftSize / rate));
    double sum = 0.0, weighted = 0.0;
    for (std::size_t i = 0; i < top; ++i) {
        sum += mag[i] * mag[i];
        weighted += mag[i] * mag[i] * i;
    }
    return weighted / sum * rate / fftSize;
}

Track follow(const std::vector<float>& x, double hz, double from, double to, double frame) {
    const std::size_t n = static_cast<std::size_t>(frame * rate);
    const std::size_t hop = n / 2;
    const double w = 2.0 * M_PI * hz / rate;
    Track t{{}, {}, frame};
    std::complex<double> last;
    for (std::size_t a = static_cast<std::size_t>(from * rate);
         a + n <= std::min(x.size(), static_cast<std::size_t>(to * rate)); a += hop) {
        std::complex<double> z;
        for (std::size_t i = 0; i < n; ++i) {
            const double hann = 0.5 - 0.5 * std::cos(2.0 * M_PI * i / n);
            z += x[a + i] * hann * std::polar(1.0, -w * static_cast<double>(a + i));
        }
        t.levelDb.push_back(db(4.0 * std::abs(z) / n));  // a sine's amplitude
        if (a > static_cast<std::size_t>(from * rate)) {
            const double turns = std::arg(z / last) / (2.0 * M_PI);
            t.centsOff.push_back(cents(1.0 + turns * rate / hop / hz));
        }
        last = z;
    }
    return t;
}

std::vector<double> envelope(const std::vector<float>& x, double from, double to, double frame) {
    std::vector<double> levels;
    for (double t = from; t + frame <= to + 1e-9; t += frame) {
        levels.push_back(db(rms(x, t, t + frame)));
    }
    return levels;
}

double movementHz(const std::vector<double>& course, double frame) {
    double mean = 0.0;
    for (double v : course) {
        mean += v / course.size();
    }
    const double seconds = course.size() * frame;
    double best = 0.0, bestHz = 0.0;
    for (double hz = 2.0 / seconds; hz < 0.5 / frame; hz += 0.25 / seconds) {
        std::complex<double> z;
        for (std::size_t i = 0; i < course.size(); ++i) {
            z += (course[i] - mean) * std::polar(1.0, -2.0 * M_PI * hz * i * frame);
        }
        if (std::abs(z) > best) {
            best = std::abs(z);
            bestHz = hz;
        }
    }
    return bestHz;
}

double speaks(const std::vector<double>& course, double held, double frame) {
    const auto at = std::find_if(course.begin(), course.end(),
                                 [held](double v) { return v >= held - 3.0; });
    return (at - course.begin()) * frame;
}

double ringsFor(const std::vector<float>& x) {
    const double frame = 0.01;
    const std::vector<double> e = envelope(x, 0.0, x.size() / double(rate), frame);
    const double loudest = *std::max_element(e.begin(), e.end());
    std::size_t last = e.size() - 1;
    while (last > 0 && e[last] < loudest - 40.0) {
        --last;
    }
    return (last + 1) * frame;
}

// Frames of 10 ms hold whole half periods of the lowest drum.
std::vector<double> strokes(const std::vector<float>& x) {
    const double frame = 0.01;
    std::vector<double> e(3, -240.0);  // silence before the note
    const std::vector<double> course = envelope(x, 0.0, x.size() / double(rate), frame);
    e.insert(e.end(), course.begin(), course.end());
    const double loudest = *std::max_element(e.begin(), e.end());
    std::vector<double> at;
    for (std::size_t i = 3; i < e.size(); ++i) {
        const double t = (i - 3) * frame;
        const bool rise = e[i] - *std::min_element(&e[i - 3], &e[i]) > 6.0;
        if (rise && e[i] > loudest - 30.0 && (at.empty() || t - at.back() >= 0.06)) {
            at.push_back(t);
        }
    }
    return at;
}

Synth::Synth(bool effects) {
    settings_ = new_fluid_settings();
    fluid_settings_setint(settings_, "synth.reverb.active", effects ? 1 : 0);
    fluid_settings_setint(settings_, "synth.chorus.active", effects ? 1 : 0);
    synth_ = new_fluid_synth(settings_);
    id_ = fluid_synth_sfload(synth_, KOLVO_BANDORGAN_SF2, 1);
}

Synth::~Synth() {
    delete_fluid_synth(synth_);
    delete_fluid_settings(settings_);
}

fluid_sfont_t* Synth::font() const {
    return fluid_synth_get_sfont_by_id(synth_, id_);
}

Sound Synth::hold(int bank, int program, const std::vector<int>& keys, int velocity, double held,
                  double after) {
    const int channel = bank == drumBank ? drumChannel : 0;
    if (channel != drumChannel) {
        fluid_synth_program_select(synth_, channel, id_, bank, program);
    }
    Sound s;
    s.left.resize(static_cast<std::size_t>((held + after) * rate));
    s.right.resize(s.left.size());
    const int on = static_cast<int>(held * rate);
    for (int key : keys) {
        fluid_synth_noteon(synth_, channel, key, velocity);
    }
    fluid_synth_write_float(synth_, on, s.left.data(), 0, 1, s.right.data(), 0, 1);
    for (int key : keys) {
        fluid_synth_noteoff(synth_, channel, key);
    }
    fluid_synth_write_float(synth_, static_cast<int>(s.left.size()) - on, s.left.data() + on, 0, 1,
                            s.right.data() + on, 0, 1);
    return s;
}

std::vector<float> Synth::play(int bank, int program, int key, int velocity, double held,
                               double after) {
    return hold(bank, program, {key}, velocity, held, after).mid();
}

std::vector<std::vector<float>> Synth::generators(int bank, int program, int key, int velocity,
                                                 const std::vector<int>& gens) {
    const int channel = bank == drumBank ? drumChannel : 0;
    if (channel != drumChannel) {
        fluid_synth_program_select(synth_, channel, id_, bank, program);
    }
    fluid_synth_noteon(synth_, channel, key, velocity);
    fluid_voice_t* voices[16] = {};
    fluid_synth_get_voicelist(synth_, voices, 16, -1);
    std::vector<std::vector<float>> values;
    for (fluid_voice_t* v : voices) {
        if (v != nullptr && fluid_voice_is_on(v)) {
            values.emplace_back();
            for (int g : gens) {
                values.back().push_back(fluid_voice_gen_get(v, g));
            }
        }
    }
    fluid_synth_all_sounds_off(synth_, channel);
    return values;
}

Performance perform(const Organ& organ, const std::string& rollPath,
                    const std::vector<std::set<int>>& parts) {
    resetRunState();
    organ.resetControls();
    MidiFile roll(rollPath.c_str());
    std::ostringstream console;
    const std::string arrangement = arrangeRoll(organ, roll, console);

    const int groups = 16, block = 512;
    fluid_settings_t* settings = new_fluid_settings();
    fluid_settings_setnum(settings, "synth.gain", 0.5);  // the players' gain
    fluid_settings_setint(settings, "synth.audio-groups", groups);
    fluid_settings_setint(settings, "synth.audio-channels", groups);
    fluid_settings_setstr(settings, "player.timing-source", "sample");
    fluid_settings_setint(settings, "synth.lock-memory", 0);
    fluid_synth_t* synth = new_fluid_synth(settings);
    fluid_synth_sfload(synth, KOLVO_BANDORGAN_SF2, 1);
    fluid_player_t* player = new_fluid_player(synth);
    fluid_player_add_mem(player, arrangement.data(), arrangement.size());
    fluid_player_play(player);

    Performance p;
    p.parts.resize(parts.size());
    std::vector<float> out(2 * groups * block), fx(2 * block);
    std::vector<float*> outs(2 * groups);
    for (int b = 0; b < 2 * groups; ++b) {
        outs[b] = &out[b * block];
    }
    float* fxs[] = {&fx[0], &fx[block], &fx[0], &fx[block]};  // reverb, chorus: left, right
    auto append = [](Sound& s, const float* left, const float* right) {
        s.left.insert(s.left.end(), left, left + block);
        s.right.insert(s.right.end(), right, right + block);
    };
    const int tail = rate;  // for the reverb, once the last voice has died
    int quiet = 0;
    for (int blocks = 0; quiet < tail && blocks < 20 * 60 * rate / block; ++blocks) {
        std::fill(out.begin(), out.end(), 0.0f);
        std::fill(fx.begin(), fx.end(), 0.0f);
        fluid_synth_process(synth, block, 4, fxs, 2 * groups, outs.data());
        for (std::size_t k = 0; k < parts.size(); ++k) {
            std::vector<float> both(2 * block, 0.0f);
            for (int c : parts[k]) {
                for (int i = 0; i < block; ++i) {
                    both[i] += outs[2 * c][i];
                    both[block + i] += outs[2 * c + 1][i];
                }
            }
            append(p.parts[k], &both[0], &both[block]);
        }
        for (int c = 0; c < groups; ++c) {  // the effects and every channel
            for (int i = 0; i < block; ++i) {
                fx[i] += outs[2 * c][i];
                fx[block + i] += outs[2 * c + 1][i];
            }
        }
        append(p.mix, &fx[0], &fx[block]);
        const bool playing = fluid_player_get_status(player) == FLUID_PLAYER_PLAYING;
        quiet = playing || fluid_synth_get_active_voice_count(synth) > 0 ? 0 : quiet + block;
    }
    delete_fluid_player(player);
    delete_fluid_synth(synth);
    delete_fluid_settings(settings);
    return p;
}

bool struck(Rank rank) {
    return rank == Rank::Glockenspiel || rank == Rank::AccompBell;
}

std::map<int, std::set<int>> trackNotes(const Organ& organ, std::set<int>* drums) {
    std::map<int, std::set<int>> notes;
    for (int hole = organ.lowestHole; hole <= organ.highestHole; ++hole) {
        const HoleInfo info = organ.describeHole(hole);
        if (info.kind == HoleKind::Percussion) {
            drums->insert(info.note);
        } else if (info.note != 0) {
            for (int track : info.tracks) {
                notes[track].insert(info.note);
            }
        }
    }
    return notes;
}

std::vector<PipePreset> pipePresets() {
    std::vector<PipePreset> presets;
    for (const Organ* organ : {&organ165, &organ150}) {
        std::set<int> drums;
        const std::map<int, std::set<int>> notes = trackNotes(*organ, &drums);
        for (const TrackLayout& layout : organ->layout) {
            if (!struck(layout.rank)) {
                presets.push_back({organ, &layout, notes.at(layout.track)});
            }
        }
    }
    return presets;
}

const TrackLayout& rowOf(const Organ& organ, Rank rank) {
    const TrackLayout* row = std::find_if(organ.layout.begin(), organ.layout.end(),
                                          [rank](const TrackLayout& r) { return r.rank == rank; });
    return *row;
}

}  // namespace hear
