// The voicing of the band organ as FluidSynth plays it: violins in chorus
// that speak slowly, reeds above flutes and divisions in balance, a swell
// shutter that muffles, pipes that live, a snare that rolls, ranks spread
// across a facade.  Each test prints what it measured.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numeric>
#include <string>

#include "hear.h"
#include "xlate150.h"
#include "xlate165.h"

namespace {

using namespace hear;

const double none = HUGE_VAL;

void tell(const std::string& what, double value, const char* unit) {
    std::printf("[ measured ] %s: %.2f %s\n", what.c_str(), value, unit);
}

// Tells what was measured and checks that it lies from `low` to `high`.
void within(const std::string& what, double value, const char* unit, double low, double high) {
    tell(what, value, unit);
    EXPECT_GE(value, low) << what;
    EXPECT_LE(value, high) << what;
}

double range(const std::vector<double>& v) {
    const auto [lo, hi] = std::minmax_element(v.begin(), v.end());
    return *hi - *lo;
}

double mean(const std::vector<double>& v) {
    return std::accumulate(v.begin(), v.end(), 0.0) / v.size();
}

// A key of a rank of the 165 held for eight seconds.
std::vector<float> held(Synth& synth, Rank rank, int key) {
    return synth.hold(organ165.bank, rowOf(organ165, rank).program, {key}, 65, 8.0, 0.2).mid();
}

// How the level of a held note moves, in frames of `frame` seconds once it
// has spoken: by `low` to `high` dB, at 0.5 to 6 Hz.
void movesWithin(const std::string& what, const std::vector<float>& x, double frame, double low,
                 double high) {
    const std::vector<double> course = envelope(x, 0.5, 8.0, frame);
    within(what + " moves by", range(course), "dB", low, high);
    within(what + " moves at", movementHz(course, frame), "Hz", 0.5, 6.0);
}

const int violinKey = 72, violinTopKey = 89;  // C5; F6, the top of the 165's melody

TEST(Voicing, ViolinsBeatGentlyAndSpeakSlowlyWithTheirHarmonicsFirst) {
    Synth synth;
    const int program = rowOf(organ165, Rank::ViolinPipe).program;
    const std::vector<float> x = held(synth, Rank::ViolinPipe, violinKey);
    movesWithin("violin C5 level (its beating)", x, 0.02, 1.0, 4.0);

    const double attackFrame = 0.005, hz = keyHz(violinKey);
    const std::vector<double> onset = envelope(x, 0.0, 0.5, attackFrame);
    const double speech = speaks(onset, db(rms(x, 0.5, 2.0)), attackFrame);
    within("violin C5 speaks in", 1000 * speech, "ms", 40, 80);
    const Track first = follow(x, hz, 0.0, 2.0, 0.01), third = follow(x, 3 * hz, 0.0, 2.0, 0.01);
    const double firstAt = speaks(first.levelDb, first.levelDb.back(), first.frame / 2);
    const double thirdAt = speaks(third.levelDb, third.levelDb.back(), third.frame / 2);
    within("violin C5 third partial ahead of the fundamental by", 1000 * (firstAt - thirdAt), "ms",
           1, none);

    const std::vector<float> top =
        synth.hold(organ165.bank, program, {violinTopKey}, 65, 2.0, 0.2).mid();
    within("violin F6 centroid", centroidHz(spectrum(top, 0.4)) / keyHz(violinTopKey),
           "x fundamental", 2.0, none);
}

// Each organ with its demo roll and the one note that both its trumpets
// and its melody flutes sound.
struct OrganCase {
    const Organ* organ;
    const char* roll;
    int sharedKey;
};
const OrganCase organCases[] = {{&organ165, "demo165.mid", 67}, {&organ150, "demo150.mid", 72}};

TEST(Voicing, TrumpetsOutsoundFlutesAndTheBaritoneIsAReed) {
    Synth synth;
    for (const OrganCase& c : organCases) {
        const Organ& organ = *c.organ;
        auto note = [&](Rank rank, int key) {
            return synth.hold(organ.bank, rowOf(organ, rank).program, {key}, 65, 2.0, 0.2);
        };
        const std::string name = organ.name;
        within(name + " trumpet over flute",
               loudness(note(Rank::TrumpetReed, c.sharedKey)) -
                   loudness(note(Rank::Flute, c.sharedKey)),
               "LU", 6.0, none);
        within(name + " baritone G4 centroid",
               centroidHz(spectrum(note(Rank::BaritoneReed, 67).mid(), 0.3)) / keyHz(67),
               "x fundamental", 3.0, none);
    }
    const int c4 = 60;
    const Sound accomp = synth.hold(organ165.bank, rowOf(organ165, Rank::AccompViola).program, {c4},
                                    65, 2.0, 0.2);
    within("165 accompaniment C4 centroid", centroidHz(spectrum(accomp.mid(), 0.3)) / keyHz(c4),
           "x fundamental", 2.0, none);
}

// The channels of each division of an organ's layout; the drums.
std::vector<std::set<int>> divisions(const Organ& organ) {
    const char* const names[] = {"Melody", "Trumpet", "Accomp"};
    std::vector<std::set<int>> parts;
    for (const char* name : names) {
        parts.emplace_back();
        for (const TrackLayout& row : organ.layout) {
            if (std::string(row.name) == name) {
                parts.back().insert(row.track - 1);
            }
        }
    }
    parts.push_back({drumChannel});
    return parts;
}

// The demo rolls as the players play them: every division heard, the
// trumpets at least as loud as the melody, the accompaniment and the drums
// not far below; the ranks spread across the facade, and the reverb.
TEST(Voicing, DemoRollsBalanceTheirDivisionsAcrossAWideFacade) {
    for (const OrganCase& c : organCases) {
        const Performance p =
            perform(*c.organ, std::string(KOLVO_SOURCE_DIR) + "/examples/" + c.roll,
                    divisions(*c.organ));
        const double melody = loudness(p.parts[0]), trumpet = loudness(p.parts[1]);
        const double accomp = loudness(p.parts[2]), drums = loudness(p.parts[3]);
        const double mix = loudness(p.mix);
        const std::string organ = c.organ->name;
        float peak = 0.0f;
        for (const std::vector<float>* x : {&p.mix.left, &p.mix.right}) {
            for (float v : *x) {
                peak = std::max(peak, std::abs(v));
            }
        }
        // Told, not checked: the players' level is not the soundfont's alone.
        tell(organ + " demo: loudness of the mix", mix, "LUFS");
        tell(organ + " demo: its sample peak", db(peak), "dBFS");
        within(organ + " demo: trumpets against the melody", trumpet - melody, "LU", -1.0, none);
        within(organ + " demo: accompaniment against the melody", accomp - melody, "LU", -6.0, 6.0);
        within(organ + " demo: drums against the mix", drums - mix, "LU", -6.0, none);
        within(organ + " demo: side against mid",
               db(rms(p.mix.side(), 0, 1e9)) - db(rms(p.mix.mid(), 0, 1e9)), "dB", -10.0, -6.0);
    }
}

// Every pipe preset, a chord across its compass, the shutter closed
// (velocity 40) against open (65).
TEST(Voicing, TheClosedShutterSoftensAndMuffles) {
    Synth synth;
    for (const PipePreset& p : pipePresets()) {
        const int low = *p.keys.begin(), high = *p.keys.rbegin();
        const std::vector<int> chord = {low, (low + high) / 2, high};
        auto hear = [&](int velocity) {
            return synth.hold(p.organ->bank, p.layout->program, chord, velocity, 2.0, 0.2).mid();
        };
        const std::vector<float> open = hear(65), closed = hear(40);
        const std::string what = std::string(p.organ->name) + " " + p.layout->name +
                                 " program " + std::to_string(p.layout->program) + " closed";
        within(what + ": softer by", db(rms(open, 0.3, 2.0)) - db(rms(closed, 0.3, 2.0)), "dB",
               6.0, 10.0);
        within(what + ": centroid lower by",
               100 * (1 - centroidHz(spectrum(closed, 0.3)) / centroidHz(spectrum(open, 0.3))),
               "%", 25, none);
    }
}

// A held pipe moves a little in level and pitch, as pipes on one wind
// do, and no two keys of a rank are voiced and tuned quite alike.
TEST(Voicing, PipesLiveOnTheirWind) {
    Synth synth;
    const int key = 72;
    const std::vector<float> x = held(synth, Rank::Flute, key);
    movesWithin("flute C5 level", x, 0.05, 0.3, 1.0);
    const Track pitch = follow(x, keyHz(key), 0.5, 8.0, 0.05);
    const double centre = mean(pitch.centsOff);
    double swing = 0.0;
    for (double c : pitch.centsOff) {
        swing = std::max(swing, std::abs(c - centre));
    }
    within("flute C5 pitch moves by up to", swing, "cents", 0.2, 2.0);

    for (Rank rank : {Rank::Flute, Rank::TrumpetReed, Rank::OpenStringBass}) {
        const TrackLayout& layout = rowOf(organ165, rank);
        std::set<int> drums;
        const std::set<int> keys = trackNotes(organ165, &drums).at(layout.track);
        std::vector<double> tuning, level;
        for (int k : keys) {
            const Sound note = synth.hold(organ165.bank, layout.program, {k}, 65, 1.8, 0.1);
            tuning.push_back(mean(follow(note.mid(), keyHz(k), 0.3, 1.8, 0.05).centsOff));
            level.push_back(hear::level(note, 0.3, 1.8));
        }
        const std::string what = std::string("165 ") + layout.name + " program " +
                                 std::to_string(layout.program);
        within(what + ": tuning spread", range(tuning), "cents", 1.0, 3.0);
        within(what + ": level spread", range(level), "dB", 1.0, 2.0);
    }
}

// Stopped pipes and clarinets, closed at one end, sound mostly their odd
// partials: the second and the fourth lie well under the partial above each.
TEST(Voicing, StoppedPipesAndClarinetsSoundTheirOddPartials) {
    Synth synth;
    int heard = 0;
    for (const PipePreset& p : pipePresets()) {
        if (p.layout->rank != Rank::StoppedBass && p.layout->rank != Rank::ClarinetReed) {
            continue;
        }
        ++heard;
        for (int key : {*p.keys.begin(), *p.keys.rbegin()}) {
            const std::vector<double> mag =
                spectrum(synth.play(p.organ->bank, p.layout->program, key, 65, 2.0, 0.2), 0.3);
            auto partial = [&](int n) {
                return peakIn(mag, 0.98 * n * keyHz(key), 1.02 * n * keyHz(key)).db;
            };
            for (int n : {2, 4}) {
                within(std::string(p.organ->name) + " " + p.layout->name + " key " +
                           std::to_string(key) + ": partial " + std::to_string(n + 1) + " over " +
                           std::to_string(n),
                       partial(n + 1) - partial(n), "dB", 10.0, none);
            }
        }
    }
    EXPECT_GE(heard, 2);
}

TEST(Voicing, TheSnareTapsForAShortHoleAndRollsForALongOne) {
    Synth synth;
    std::set<int> drums;
    for (const Organ* organ : {&organ165, &organ150}) {
        trackNotes(*organ, &drums);
    }
    for (int note : drums) {
        const bool snare = note == 38 || note == 40;
        const std::string what = "drum " + std::to_string(note);
        const std::vector<double> tap = strokes(synth.hold(drumBank, 0, {note}, 65, 0.05, 1.5).mid());
        EXPECT_EQ(tap.size(), 1u) << what << " held 0.05 s";
        const double held = 0.6;
        const std::vector<float> x = synth.hold(drumBank, 0, {note}, 65, held, 1.5).mid();
        const std::vector<double> roll = strokes(x);
        if (!snare) {
            EXPECT_EQ(roll.size(), 1u) << what << " held 0.6 s";
            continue;
        }
        ASSERT_GE(roll.size(), 6u) << what;
        std::vector<double> gaps;
        for (std::size_t i = 1; i < roll.size(); ++i) {
            gaps.push_back(roll[i] - roll[i - 1]);
        }
        std::nth_element(gaps.begin(), gaps.begin() + gaps.size() / 2, gaps.end());
        within(what + " held 0.6 s: strokes per second", 1.0 / gaps[gaps.size() / 2], "", 12, 16);
        within(what + ": last stroke after the hole closed", roll.back() - held, "s", -none, 0.1);
        within(what + ": 0.1 s after the hole closed, against the roll",
               db(rms(x, held + 0.1, held + 0.3)) - db(rms(x, 0.1, held)), "dB", -none, -20);
    }
}

}  // namespace
