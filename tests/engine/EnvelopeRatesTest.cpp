#include "engine/EnvelopeRates.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "audio/YMF262.h"

namespace vorpline {
namespace {

// One sine carrier on the accurate chip at block 7, F-number 0x200: exactly 16 frames a
// cycle, so the peak of each cycle is the envelope's level at that cycle. Another waveform,
// level and span than the table was measured with, so only real envelope times agree.
class SineEnvelope {
public:
    static constexpr int kCycle = 16;
    static constexpr FNumber kPitch{7 << 2, 0x00, 0x02};

    SineEnvelope(int rate, bool ksr) {
        EXPECT_EQ(chip.Init(1, YMF262::kClock, YMF262::kNativeRate), YMF262::kInitOk);
        const uint8_t patch[][2] = {
            {0x20, 0x01}, {0x40, 0x3F}, {0x23, static_cast<uint8_t>(ksr ? 0x31 : 0x21)},
            {0x43, 0x00}, {0xA0, 0x00}, {0xC0, 0x30}};
        for (const auto& [reg, value] : patch) {
            Reg(reg, value);
        }
        Reg(0x63, static_cast<uint8_t>(rate << 4));
        Reg(0x83, static_cast<uint8_t>(rate));
    }
    void Reg(uint8_t reg, uint8_t value) {
        chip.Write(0, 0, reg);
        chip.Write(0, 1, value);
    }
    void Key(bool on) {
        Reg(0xB0, static_cast<uint8_t>(kPitch.blockBits | kPitch.high | (on ? 0x20 : 0)));
    }
    int NextPeak() {
        int16_t frames[2 * kCycle];
        chip.UpdateOne(0, frames, kCycle);
        int peak = 0;
        for (int i = 0; i < kCycle; ++i) {
            peak = std::max(peak, std::abs(static_cast<int>(frames[2 * i])));
        }
        return peak;
    }
    // Cycles until `reached` holds for a cycle's peak, as ms to that cycle's end.
    template <typename Test> double MsUntil(Test reached) {
        for (int cycles = 1; cycles < 100000; ++cycles) {
            if (reached(NextPeak())) {
                return cycles * kCycleMs;
            }
        }
        return kNever;
    }
    static constexpr double kCycleMs = kCycle * 1000.0 / YMF262::kNativeRate;

private:
    YMF262 chip{EmulatorCore::kAccurate};
};

TEST(EnvelopeRatesTest, TableAgreesWithTheChip) {
    struct Case {
        int rate;
        bool ksr;
        int effective; // block 7, F-number bit 9: offset 15, or 3 without KSR
    };
    const Case cases[] = {{6, false, 27}, {7, false, 31}, {5, true, 35}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rate);
        const int effective = EffectiveRate(c.rate, KeyScaleOffset(SineEnvelope::kPitch, c.ksr));
        EXPECT_EQ(effective, c.effective);
        const EnvelopeTimes& times = EnvelopeTimesAt(effective);

        SineEnvelope envelope(c.rate, c.ksr);
        envelope.Key(true);
        // No decay: the peaks climb to the top and stay there.
        std::vector<int> peaks;
        while (peaks.size() * SineEnvelope::kCycleMs < 3 * times.attackMs) {
            peaks.push_back(envelope.NextPeak());
        }
        const int top = peaks.back();
        const auto reached = std::find(peaks.begin(), peaks.end(), top) - peaks.begin() + 1;
        EXPECT_NEAR(reached * SineEnvelope::kCycleMs, times.attackMs, 0.05 * times.attackMs);

        envelope.Key(false);
        // -36 dB, 3/8 of the way down to -96 dB.
        const double ms = envelope.MsUntil([top](int peak) { return peak * 63.1 <= top; });
        EXPECT_NEAR(ms * 96 / 36, times.decayMs, 0.05 * times.decayMs);
    }
}

} // namespace
} // namespace vorpline
