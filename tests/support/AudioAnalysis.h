#pragma once
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace vorpline::test {

// Interleaved stereo 16-bit samples at a known rate, read by frame ranges.
struct StereoSignal {
    const std::vector<int16_t>& samples;
    uint32_t rate;

    size_t Frames() const { return samples.size() / 2; }
    size_t FrameAt(double seconds) const { return static_cast<size_t>(seconds * rate); }

    // Largest absolute sample of either channel in [from, to) seconds.
    int Peak(double from, double to) const {
        int peak = 0;
        for (size_t i = 2 * FrameAt(from); i < std::min(samples.size(), 2 * FrameAt(to)); ++i) {
            peak = std::max(peak, std::abs(static_cast<int>(samples[i])));
        }
        return peak;
    }

    // Frequency of the left channel in [from, to) seconds from its upward zero crossings,
    // interpolated between samples: exact enough to tell 440 Hz from 441 Hz on half a second.
    double Frequency(double from, double to) const {
        double first = -1;
        double last = -1;
        int crossings = 0;
        for (size_t f = FrameAt(from) + 1; f < std::min(Frames(), FrameAt(to)); ++f) {
            double a = samples[2 * (f - 1)];
            double b = samples[2 * f];
            if (a < 0 && b >= 0) {
                double at = static_cast<double>(f - 1) + (-a / (b - a));
                if (first < 0) {
                    first = at;
                } else {
                    ++crossings;
                }
                last = at;
            }
        }
        return crossings > 0 ? crossings * rate / (last - first) : 0.0;
    }

    // The first note to start in [from, to) seconds after 0.35 s of silence, to 10 ms, or -1.
    double Onset(double from, double to) const {
        constexpr double kStep = 0.01;
        for (double t = from; t < to; t += kStep) {
            if (Peak(t - 0.35, t) <= 8 && Peak(t, t + kStep) > 1000) {
                return t;
            }
        }
        return -1;
    }
};

} // namespace vorpline::test
