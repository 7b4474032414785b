// The look-ahead peak limiter.
//
// Each frame needs a gain no higher than ceiling / its peak.  The lowest
// such gain over the next `lookahead` frames, averaged over the last
// `lookahead` + 1 of those minima, is a gain that ramps down in time for
// every peak and never exceeds what any frame needs; the release only
// ever raises it slower.

#include "limiter.h"

#include <algorithm>
#include <cmath>

PeakLimiter::PeakLimiter(float ceiling, int lookahead, int releaseFrames)
    : ceiling_(ceiling),
      lookahead_(static_cast<std::size_t>(std::max(1, lookahead))),
      release_(1.0 - std::exp(-1.0 / std::max(1, releaseFrames))),
      held_(2 * (lookahead_ + 1), 0.0f),
      needed_(lookahead_ + 1, 1.0f),
      neededSum_(static_cast<double>(lookahead_ + 1)) {
    // Silence before the first frame, not sent out, so that a peak at the
    // very start is held under the ceiling too.
    std::vector<float> none;
    for (std::size_t i = 0; i < lookahead_; ++i) {
        push(0.0f, 0.0f, none);
    }
    none.clear();
    silenceAhead_ = lookahead_;
}

void PeakLimiter::process(const float* in, std::size_t frames, std::vector<float>& out) {
    for (std::size_t i = 0; i < frames; ++i) {
        push(in[2 * i], in[2 * i + 1], out);
    }
}

void PeakLimiter::flush(std::vector<float>& out) {
    for (std::size_t i = 0; i < lookahead_; ++i) {
        push(0.0f, 0.0f, out);
    }
}

void PeakLimiter::push(float left, float right, std::vector<float>& out) {
    const std::size_t n = taken_++;
    const std::size_t slots = lookahead_ + 1;
    held_[2 * (n % slots)] = left;
    held_[2 * (n % slots) + 1] = right;
    const float peak = std::max(std::fabs(left), std::fabs(right));
    const float allowed = peak > ceiling_ ? ceiling_ / peak : 1.0f;
    while (!minima_.empty() && minima_.back().second >= allowed) {
        minima_.pop_back();
    }
    minima_.emplace_back(n, allowed);
    if (n < lookahead_) {
        return;
    }
    // The frame leaving now, and the lowest gain over it and the frames
    // after it up to the newest.
    const std::size_t leaving = n - lookahead_;
    while (minima_.front().first < leaving) {
        minima_.pop_front();
    }
    float& slot = needed_[leaving % slots];
    neededSum_ += minima_.front().second - slot;
    slot = minima_.front().second;
    const double ramp = neededSum_ / static_cast<double>(slots);
    gain_ = std::min(ramp, gain_ + (1.0 - gain_) * release_);
    if (silenceAhead_ > 0) {
        --silenceAhead_;
        return;
    }
    for (int channel = 0; channel < 2; ++channel) {
        const float sample = held_[2 * (leaving % slots) + channel] * static_cast<float>(gain_);
        out.push_back(std::clamp(sample, -ceiling_, ceiling_));
    }
}

double decibelsToFactor(double decibels) {
    return std::pow(10.0, decibels / 20.0);
}

double factorToDecibels(double factor) {
    return 20.0 * std::log10(factor);
}
