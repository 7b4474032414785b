// A look-ahead peak limiter for stereo sound: it holds every sample at or
// under a ceiling by lowering the gain smoothly before a peak arrives
// (never clipping), and lets it back up slowly after.  Where the sound
// stays under the ceiling it only delays it.

#ifndef KOLVO_TOOL_LIMITER_H
#define KOLVO_TOOL_LIMITER_H

#include <cstddef>
#include <deque>
#include <utility>
#include <vector>

class PeakLimiter {
  public:
    // `ceiling` as a sample value (0.891 for -1 dBFS); the gain falls over
    // `lookahead` frames, by which the sound is delayed, and recovers with
    // a time constant of `releaseFrames`.
    PeakLimiter(float ceiling, int lookahead, int releaseFrames);

    // Takes `frames` interleaved stereo frames and appends to `out` those
    // that leave the look-ahead.
    void process(const float* in, std::size_t frames, std::vector<float>& out);
    // Appends the frames still held, as if silence followed; the last
    // call.
    void flush(std::vector<float>& out);

  private:
    void push(float left, float right, std::vector<float>& out);

    float ceiling_;
    std::size_t lookahead_;
    double release_;                              // share of the way back to 1 per frame
    std::size_t taken_ = 0;                       // frames taken in
    std::size_t silenceAhead_ = 0;                // frames of silence not to send out
    std::deque<std::pair<std::size_t, float>> minima_;  // rising gains still ahead
    std::vector<float> held_;                     // the delayed frames, a ring
    std::vector<float> needed_;                   // lowest gain ahead of each, a ring
    double neededSum_ = 0.0;
    double gain_ = 1.0;
};

// Decibels as a factor of amplitude, and back.
double decibelsToFactor(double decibels);
double factorToDecibels(double factor);

#endif
