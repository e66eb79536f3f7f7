#include "audio/Resampler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>
#include <vector>

namespace vorpline {
namespace {

std::vector<int16_t> StereoSine(double hz, double rate, size_t frames) {
    std::vector<int16_t> out(2 * frames);
    for (size_t i = 0; i < frames; ++i) {
        const double phase = 2.0 * std::numbers::pi * hz * double(i) / rate;
        out[2 * i] = int16_t(std::lround(12000.0 * std::sin(phase)));
        out[2 * i + 1] = int16_t(std::lround(-8000.0 * std::sin(phase)));
    }
    return out;
}

// Runs the whole signal through in blocks of `block` frames, then drains the tail.
std::vector<int16_t> Convert(Resampler& resampler, const std::vector<int16_t>& in, size_t block) {
    std::vector<int16_t> out;
    std::vector<int16_t> buffer(2 * resampler.MaxOutputFrames(block));
    for (size_t at = 0; at < in.size() / 2; at += block) {
        const size_t frames = std::min(block, in.size() / 2 - at);
        const size_t got = resampler.Process(in.data() + 2 * at, frames, buffer.data(),
                                             resampler.MaxOutputFrames(frames));
        out.insert(out.end(), buffer.begin(), buffer.begin() + long(2 * got));
    }
    while (const size_t got = resampler.Flush(buffer.data(), buffer.size() / 2)) {
        out.insert(out.end(), buffer.begin(), buffer.begin() + long(2 * got));
    }
    return out;
}

// Frequency from rising zero crossings of one channel, ignoring `skip` frames at each end.
double MeasureHz(const std::vector<int16_t>& stereo, int channel, double rate, size_t skip) {
    double first = -1.0;
    double last = -1.0;
    int crossings = 0;
    for (size_t i = skip + 1; i + skip < stereo.size() / 2; ++i) {
        const double a = stereo[2 * (i - 1) + channel];
        const double b = stereo[2 * i + channel];
        if (a < 0 && b >= 0) {
            last = double(i - 1) + (-a) / (b - a);
            if (first < 0) {
                first = last;
            }
            ++crossings;
        }
    }
    return crossings < 2 ? 0.0 : (crossings - 1) * rate / (last - first);
}

class ResamplerPace : public ::testing::TestWithParam<Resampler::Pace> {};

TEST_P(ResamplerPace, ChipRateSineComesOutAtTheSamePitchAndLength) {
    const size_t inFrames = 2 * 49716;
    const std::vector<int16_t> in = StereoSine(1000.0, 49716, inFrames);
    Resampler resampler(49716, 44100, GetParam());
    EXPECT_FALSE(resampler.IsPassThrough());
    const std::vector<int16_t> out = Convert(resampler, in, 512);

    const double expectedFrames = double(inFrames) * 44100 / 49716;
    EXPECT_NEAR(double(out.size() / 2), expectedFrames, 4.0);
    EXPECT_NEAR(MeasureHz(out, 0, 44100, 200), 1000.0, 0.05);
    // The right channel is the left inverted and scaled: checks the channels stay apart.
    EXPECT_NEAR(MeasureHz(out, 1, 44100, 200), 1000.0, 0.05);
    const size_t mid = out.size() / 4;
    EXPECT_NEAR(double(out[2 * mid + 1]), -double(out[2 * mid]) * 8000.0 / 12000.0, 40.0);

    // Same input, different block sizes: the same samples.
    Resampler again(49716, 44100, GetParam());
    EXPECT_EQ(Convert(again, in, 3000), out);
}

INSTANTIATE_TEST_SUITE_P(BothPaces, ResamplerPace,
                         ::testing::Values(Resampler::Pace::kOffline, Resampler::Pace::kLive));

TEST(ResamplerTest, EqualRatesPassThroughUnchanged) {
    const std::vector<int16_t> in = StereoSine(440.0, 44100, 5000);
    Resampler resampler(44100, 44100);
    EXPECT_TRUE(resampler.IsPassThrough());
    EXPECT_EQ(Convert(resampler, in, 700), in);
}

TEST(ResamplerTest, MisuseIsReported) {
    EXPECT_THROW(Resampler(0, 44100), std::invalid_argument);
    Resampler resampler(49716, 44100);
    std::vector<int16_t> in(2 * 100);
    std::vector<int16_t> out(2 * 200);
    EXPECT_THROW(resampler.Process(in.data(), 100, out.data(), 50), std::invalid_argument);
    resampler.Process(in.data(), 100, out.data(), 200);
    resampler.Flush(out.data(), 200);
    EXPECT_THROW(resampler.Process(in.data(), 100, out.data(), 200), std::logic_error);
}

} // namespace
} // namespace vorpline
