// Bells and drums as FluidSynth plays them: bars ring with the inharmonic
// partials of their kind and the higher ones die away faster; every drum the
// organs strike sounds at its pitch, with its brightness and for its time.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "hear.h"
#include "xlate150.h"
#include "xlate165.h"

namespace {

using namespace hear;

// The partials above the fundamental, as ratios to it: a free steel bar's
// modes (glockenspiel), and bells tuned near 1 : 4 : 10 (accompaniment).
struct BarKind {
    Rank rank;
    std::vector<double> partials;
};
const BarKind barKinds[] = {
    {Rank::Glockenspiel, {2.756, 5.404, 8.933}},
    {Rank::AccompBell, {3.93, 9.85}},
};

TEST(Bells, RingWithTheirInharmonicPartialsAndHigherBarsDieAwayFaster) {
    Synth synth;
    for (const Organ* organ : {&organ165, &organ150}) {
        std::set<int> drums;
        const std::map<int, std::set<int>> notes = trackNotes(*organ, &drums);
        for (const BarKind& kind : barKinds) {
            const auto row =
                std::find_if(organ->layout.begin(), organ->layout.end(),
                             [&](const TrackLayout& r) { return r.rank == kind.rank; });
            if (row == organ->layout.end()) {
                continue;
            }
            const std::set<int>& keys = notes.at(row->track);
            double before = 0.0;  // dB its fundamental falls from 0.1 to 0.5 s
            const int middle = *std::next(keys.begin(), keys.size() / 2);
            for (int key : {*keys.begin(), middle, *keys.rbegin()}) {
                SCOPED_TRACE(std::string(organ->name) + " " + row->name + " key " +
                             std::to_string(key));
                const std::vector<float> x =
                    synth.play(organ->bank, row->program, key, 65, 2.0, 0.5);
                const std::vector<double> mag = spectrum(x, 0.005);
                const Peak f0 = peakIn(mag, 0.97 * keyHz(key), 1.03 * keyHz(key));
                EXPECT_NEAR(cents(f0.hz / keyHz(key)), 0.0, 3.0);
                for (double ratio : kind.partials) {
                    if (f0.hz * ratio < 15000.0) {
                        const Peak p = peakIn(mag, 0.97 * ratio * f0.hz, 1.03 * ratio * f0.hz);
                        EXPECT_NEAR(p.hz / f0.hz, ratio, 0.002 * ratio);
                        EXPECT_GT(p.db, f0.db - 85.0) << "partial " << ratio;
                    }
                }
                for (int harmonic : {2, 3}) {  // what a bar has not
                    EXPECT_LT(peakIn(mag, 0.99 * harmonic * f0.hz, 1.01 * harmonic * f0.hz).db,
                              f0.db - 60.0)
                        << "harmonic " << harmonic;
                }
                const Track fundamental = follow(x, f0.hz, 0.1, 0.52, 0.02);
                const double falls = fundamental.levelDb.front() - fundamental.levelDb.back();
                EXPECT_GT(falls, before) << "dies away no faster than a lower bar";
                before = falls;
            }
        }
    }
}

// Each drum the organs strike, played for 0.05 s: where its lowest strong
// mode lies, searched in a band; the centroid of its hit; how long it rings
// (until 40 dB under its loudest moment); and, for a drum with a membrane,
// its first overtones at the ratios of a circular membrane's modes.
struct DrumCase {
    int note;
    double searchLow, searchHigh;  // Hz
    double pitchLow, pitchHigh;    // Hz
    double centroidLow, centroidHigh;
    double ringLow, ringHigh;  // seconds
    bool membrane;
};
const DrumCase drumCases[] = {
    {35, 30, 150, 45, 56, 0, 150, 0.5, 0.85, true},           // bass drum
    {38, 100, 400, 170, 200, 3500, 7000, 0.35, 0.6, true},    // snare drum
    {40, 100, 400, 205, 235, 4000, 8000, 0.22, 0.38, true},   // snare drum 2: higher, shorter
    {57, 0, 0, 0, 0, 3000, 7000, 0.7, 1.2, false},            // crash cymbal: no pitch
    {64, 100, 400, 175, 205, 0, 400, 0.4, 0.65, false},       // low conga
    {81, 800, 2000, 1200, 1350, 2500, 4500, 0.75, 1.25, false},  // triangle
    {85, 1000, 2500, 1700, 1900, 2000, 3500, 0.05, 0.12, false}, // castanets
};

TEST(Drums, EachSoundsAtItsPitchWithItsBrightnessForItsTime) {
    Synth synth;
    std::set<int> drums;
    for (const Organ* organ : {&organ165, &organ150}) {
        trackNotes(*organ, &drums);
    }
    std::set<int> tested;
    for (const DrumCase& d : drumCases) {
        SCOPED_TRACE("drum " + std::to_string(d.note));
        tested.insert(d.note);
        const std::vector<float> x = synth.play(drumBank, 0, d.note, 65, 0.05, 4.0);
        const std::vector<double> mag = spectrum(x, 0.0);
        if (d.searchHigh > 0) {
            const Peak f0 = peakIn(mag, d.searchLow, d.searchHigh);
            EXPECT_GE(f0.hz, d.pitchLow);
            EXPECT_LE(f0.hz, d.pitchHigh);
            for (double mode : {1.594, 2.136}) {
                if (d.membrane) {
                    const Peak p = peakIn(mag, 0.95 * mode * f0.hz, 1.05 * mode * f0.hz);
                    EXPECT_NEAR(p.hz / f0.hz, mode, 0.03) << "mode " << mode;
                    EXPECT_GT(p.db, f0.db - 35.0) << "mode " << mode;
                }
            }
        }
        const double centroid = centroidHz(mag);
        EXPECT_GE(centroid, d.centroidLow);
        EXPECT_LE(centroid, d.centroidHigh);
        const double ring = ringsFor(x);
        EXPECT_GE(ring, d.ringLow);
        EXPECT_LE(ring, d.ringHigh);
    }
    EXPECT_EQ(tested, drums) << "a drum without its case";
}

}  // namespace
