// The waveform menu's pictures against the emulated chip: one note per waveform, one period
// of what the chip puts out next to what the picture draws.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

#include "../../tools/WaveformShapes.h"
#include "audio/YMF262.h"

namespace vorpline::test {
namespace {

// F-number 512 in block 4 gives a period of exactly 2^(20-4) / 512 = 128 chip frames.
constexpr int kPeriod = 128;

// One period of the left output of a lone carrier with `wave`, sustained at full level.
std::vector<double> ChipPeriod(int wave) {
    YMF262 chip;
    EXPECT_EQ(chip.Init(1, YMF262::kClock, YMF262::kNativeRate), YMF262::kInitOk);
    auto write = [&](int reg, int value) {
        chip.Write(0, reg > 0xFF ? 2 : 0, static_cast<uint8_t>(reg & 0xFF));
        chip.Write(0, reg > 0xFF ? 3 : 1, static_cast<uint8_t>(value));
    };
    write(0x105, 0x01); // OPL3 mode: all eight waveforms
    write(0x40, 0x3F);  // channel 0's modulator silent
    write(0x23, 0x21);  // carrier: sustain, multiplier 1
    write(0x43, 0x00);
    write(0x63, 0xF0);
    write(0x83, 0x00);
    write(0xE3, wave);
    write(0xC0, 0x31); // additive: the silent modulator must not nudge the carrier's phase
    write(0xA0, 0x00);
    write(0xB0, 0x20 | 4 << 2 | 2);
    std::vector<int16_t> frames(2 * 4096);
    chip.UpdateOne(0, frames.data(), frames.size() / 2);
    std::vector<double> period;
    for (int i = 0; i < kPeriod; ++i) {
        period.push_back(frames[2 * (2048 + i)]);
    }
    return period;
}

TEST(WaveformPictures, DrawWhatTheChipPlays) {
    std::array<std::vector<double>, pictures::kWaveformCount> played;
    for (int wave = 0; wave < pictures::kWaveformCount; ++wave) {
        played[static_cast<size_t>(wave)] = ChipPeriod(wave);
    }
    // Full scale from the square, the start of the period from the sine.
    const double full = std::abs(played[6][0]);
    ASSERT_GT(full, 1000.0);
    int start = 0;
    double best = -1e300;
    for (int shift = 0; shift < kPeriod; ++shift) {
        double match = 0;
        for (int i = 0; i < kPeriod; ++i) {
            match += played[0][static_cast<size_t>((shift + i) % kPeriod)] *
                     std::sin(2.0 * 3.141592653589793 * i / kPeriod);
        }
        if (match > best) {
            best = match;
            start = shift;
        }
    }
    for (int wave = 0; wave < pictures::kWaveformCount; ++wave) {
        double worst = 0;
        for (int i = 0; i < kPeriod; ++i) {
            const double chip =
                played[static_cast<size_t>(wave)][static_cast<size_t>((start + i) % kPeriod)] /
                full;
            const double drawn = pictures::WaveformLevel(wave, static_cast<double>(i) / kPeriod);
            worst = std::max(worst, std::abs(chip - drawn));
        }
        EXPECT_LT(worst, 0.05) << "waveform " << wave;
    }
}

} // namespace
} // namespace vorpline::test
