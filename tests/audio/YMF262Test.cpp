#include "audio/YMF262.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <thread>
#include <vector>

namespace vorpline {
namespace {

// Every test runs on both cores: they promise the same interface and the same sound.
class YMF262Test : public ::testing::TestWithParam<EmulatorCore> {
protected:
    void SetUp() override {
        ASSERT_EQ(chip.Init(1, YMF262::kClock, YMF262::kNativeRate), YMF262::kInitOk);
    }

    void Reg(int bank, uint8_t reg, uint8_t value) {
        chip.Write(0, bank * 2, reg);
        chip.Write(0, bank * 2 + 1, value);
    }

    // The first channel of `bank` (channel 0 or 9) as a plain sine: the modulator fully
    // attenuated, the carrier at full level with instant attack and no decay, F-number 580 at
    // block 4. `outputs` is 0xC0's left (0x10) and right (0x20) bits.
    void ProgramSine(int bank, uint8_t outputs) {
        Reg(1, 0x05, 0x01); // OPL3 mode, so the output bits count
        const uint8_t patch[][2] = {{0x20, 0x01}, {0x23, 0x01}, {0x40, 0x3F},
                                    {0x43, 0x00}, {0x60, 0xF0}, {0x63, 0xF0},
                                    {0x80, 0x00}, {0x83, 0x00}, {0xA0, kFNumber & 0xFF}};
        for (const auto& [reg, value] : patch) {
            Reg(bank, reg, value);
        }
        Reg(bank, 0xC0, outputs);
    }

    void KeyOn(int bank) { Reg(bank, 0xB0, 0x20 | (kBlock << 2) | (kFNumber >> 8)); }

    // Whether side 0 (left) or 1 (right) carries any sound.
    static bool Sounds(const std::vector<int16_t>& stereo, int side) {
        for (size_t i = side; i < stereo.size(); i += 2) {
            if (stereo[i] != 0) {
                return true;
            }
        }
        return false;
    }

    std::vector<int16_t> Render(size_t frames) {
        std::vector<int16_t> out(2 * frames);
        chip.UpdateOne(0, out.data(), frames);
        return out;
    }

    // Frequency from the first to the last rising zero crossing of one channel, with the
    // crossing points interpolated between samples.
    static double MeasureHz(const std::vector<int16_t>& stereo, int channel, double rate) {
        double first = -1.0;
        double last = -1.0;
        int crossings = 0;
        for (size_t i = 1; 2 * i + 1 < stereo.size(); ++i) {
            const double a = stereo[2 * (i - 1) + channel];
            const double b = stereo[2 * i + channel];
            if (a < 0 && b >= 0) {
                const double at = double(i - 1) + (-a) / (b - a);
                if (first < 0) {
                    first = at;
                }
                last = at;
                ++crossings;
            }
        }
        if (crossings < 2) {
            return 0.0;
        }
        return (crossings - 1) * rate / (last - first);
    }

    static constexpr unsigned kFNumber = 580;
    static constexpr unsigned kBlock = 4;
    YMF262 chip{GetParam()};
};

TEST_P(YMF262Test, SinePatchSoundsAtTheProgrammedPitchOnBothSides) {
    ProgramSine(0, 0x30);
    EXPECT_EQ(Render(4096), std::vector<int16_t>(2 * 4096, 0)) << "sound before key-on";

    KeyOn(0);
    const std::vector<int16_t> out = Render(YMF262::kNativeRate);
    int peak = 0;
    for (int16_t s : out) {
        peak = std::max(peak, std::abs(int(s)));
    }
    EXPECT_GT(peak, 2000);

    // One phase step per sample is F-number * 2^block / 2 out of a 2^19 cycle.
    const double expected = kFNumber * double(1 << kBlock) / 2.0 * YMF262::kNativeRate / (1 << 19);
    EXPECT_NEAR(MeasureHz(out, 0, YMF262::kNativeRate), expected, 1.0);
    EXPECT_NEAR(MeasureHz(out, 1, YMF262::kNativeRate), expected, 1.0);
}

TEST_P(YMF262Test, OutputBitsAndBankOneAddressingRouteTheSound) {
    ProgramSine(0, 0x10);
    KeyOn(0);
    std::vector<int16_t> out = Render(8192);
    EXPECT_TRUE(Sounds(out, 0));
    EXPECT_FALSE(Sounds(out, 1));

    // Channel 9 through the bank-1 ports, right only: channel 0 must keep its left output.
    ProgramSine(1, 0x20);
    KeyOn(1);
    out = Render(8192);
    EXPECT_TRUE(Sounds(out, 0));
    EXPECT_TRUE(Sounds(out, 1));

    chip.ResetChip(0);
    EXPECT_EQ(Render(1024), std::vector<int16_t>(2 * 1024, 0));
}

INSTANTIATE_TEST_SUITE_P(Cores, YMF262Test,
                         ::testing::Values(EmulatorCore::kAccurate, EmulatorCore::kFast),
                         [](const auto& info) { return EmulatorCoreName(info.param); });

// The fast core's library shares its scratch buffers between chips: two chips rendering at once
// on two threads must each sound exactly as when rendering alone. Vibrato on both, at
// different blocks, so their scratch contents differ.
TEST(YMF262FastCoreTest, ChipsOnTwoThreadsSoundAsEachDoesAlone) {
    auto render = [](uint8_t block) {
        YMF262 chip(EmulatorCore::kFast);
        EXPECT_EQ(chip.Init(1, YMF262::kClock, YMF262::kNativeRate), YMF262::kInitOk);
        const uint8_t writes[][2] = {{0x20, 0x41}, {0x23, 0x41},
                                     {0x40, 0x10}, {0x43, 0x00},
                                     {0x60, 0xF0}, {0x63, 0xF0},
                                     {0xA0, 0x44}, {0xBD, 0xC0},
                                     {0xC0, 0x30}, {0xB0, uint8_t(0x22 | block << 2)}};
        for (const auto& [reg, value] : writes) {
            chip.Write(0, 0, reg);
            chip.Write(0, 1, value);
        }
        std::vector<int16_t> out(2 * 64 * 512);
        for (size_t at = 0; at < out.size(); at += 2 * 512) {
            chip.UpdateOne(0, out.data() + at, 512);
        }
        return out;
    };
    const std::vector<int16_t> low = render(2);
    const std::vector<int16_t> high = render(6);
    ASSERT_NE(low, high);
    for (int round = 0; round < 8; ++round) {
        std::vector<int16_t> other;
        std::thread thread([&] { other = render(6); });
        EXPECT_EQ(render(2), low);
        thread.join();
        EXPECT_EQ(other, high);
    }
}

TEST(YMF262InitTest, AcceptsOnlyOneChipAtTheNativeClockAndRate) {
    YMF262 chip;
    EXPECT_EQ(chip.Init(2, YMF262::kClock, YMF262::kNativeRate), YMF262::kInitBadChipCount);
    EXPECT_EQ(chip.Init(1, 3579545, YMF262::kNativeRate), YMF262::kInitBadClock);
    EXPECT_EQ(chip.Init(1, YMF262::kClock, 44100), YMF262::kInitBadRate);
    EXPECT_EQ(YMF262::kNativeRate, 49716u);

    // Uninitialised, after Shutdown, or naming another chip: silence and no effect.
    std::vector<int16_t> out(64, 123);
    chip.Write(0, 0, 0x20);
    chip.UpdateOne(0, out.data(), 32);
    EXPECT_EQ(out, std::vector<int16_t>(64, 0));
    ASSERT_EQ(chip.Init(1, YMF262::kClock, YMF262::kNativeRate), YMF262::kInitOk);
    std::fill(out.begin(), out.end(), 123);
    chip.UpdateOne(1, out.data(), 32);
    EXPECT_EQ(out, std::vector<int16_t>(64, 0));
    EXPECT_EQ(chip.Read(0, 0), 0);
    chip.Shutdown();
    chip.UpdateOne(0, out.data(), 32);
    EXPECT_EQ(out, std::vector<int16_t>(64, 0));
}

} // namespace
} // namespace vorpline
