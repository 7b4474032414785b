// The peak limiter: nothing above the ceiling, ever; sound under it passes
// unchanged, only delayed; the gain moves smoothly and comes back.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

#include "limiter.h"

namespace {

const int lookahead = 32;
const float ceiling = 0.5f;

// Interleaved stereo of `frames` frames, the left channel from `wave`.
std::vector<float> stereo(int frames, const std::function<float(int)>& wave) {
    std::vector<float> samples;
    for (int i = 0; i < frames; ++i) {
        samples.insert(samples.end(), {wave(i), -0.5f * wave(i)});
    }
    return samples;
}

std::vector<float> limited(const std::vector<float>& in) {
    PeakLimiter limiter(ceiling, lookahead, 200);
    std::vector<float> out;
    // In uneven pieces, as blocks come.
    for (size_t at = 0; at < in.size(); at += 2 * 37) {
        const size_t frames = std::min<size_t>(37, (in.size() - at) / 2);
        limiter.process(in.data() + at, frames, out);
    }
    limiter.flush(out);
    return out;
}

}  // namespace

TEST(PeakLimiter, HoldsEveryPeakUnderTheCeilingSmoothly) {
    const struct {
        const char* what;
        std::function<float(int)> wave;
    } cases[] = {
        {"a single spike", [](int i) { return i == 100 ? 3.0f : 0.1f; }},
        {"a spike at the start", [](int i) { return i == 0 ? 2.0f : 0.0f; }},
        {"a loud sine", [](int i) { return 4.0f * std::sin(i * 0.05f); }},
        {"a step up", [](int i) { return i < 300 ? 0.2f : 0.9f; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<float> in = stereo(1000, c.wave);
        const std::vector<float> out = limited(in);
        ASSERT_EQ(out.size(), in.size());
        double lastGain = NAN;  // none before the first frame
        for (size_t i = 0; i < out.size(); i += 2) {
            ASSERT_LE(std::fabs(out[i]), ceiling) << i / 2;
            ASSERT_LE(std::fabs(out[i + 1]), ceiling) << i / 2;
            if (std::fabs(in[i]) > 0.01f) {
                const double gain = out[i] / in[i];
                // Down over the look-ahead at the fastest, never in one jump.
                ASSERT_FALSE(std::fabs(gain - lastGain) >= 1.0 / lookahead) << i / 2;
                lastGain = gain;
            }
        }
    }
}

TEST(PeakLimiter, PassesSoundUnderTheCeilingAndRecovers) {
    // Under the ceiling: the very samples.
    const std::vector<float> quiet = stereo(500, [](int i) { return 0.49f * std::sin(i * 0.3f); });
    EXPECT_EQ(limited(quiet), quiet);
    // After a spike the gain comes back slowly, and to unity within a few
    // release times.
    const std::vector<float> spiked = stereo(3000, [](int i) { return i == 10 ? 2.0f : 0.2f; });
    const std::vector<float> out = limited(spiked);
    EXPECT_LT(out[2 * 10], 0.5f + 1e-6f);
    EXPECT_LT(out[2 * (10 + 2 * lookahead)], 0.9f * 0.2f);
    EXPECT_NEAR(out[2 * 2999], 0.2f, 1e-4f);
    // From 0.25 at the spike, a release time (200 frames) later it has come
    // back all but 1/e of the way.
    EXPECT_NEAR(out[2 * 210] / 0.2, 1.0 - 0.75 * std::exp(-1.0), 0.005);
}
