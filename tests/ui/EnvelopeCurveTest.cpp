#include "ui/EnvelopeCurve.h"

#include <gtest/gtest.h>

#include "engine/EnvelopeRates.h"

namespace vorpline {
namespace {

void ExpectTime(double actual, double expected, const char* what) {
    if (expected == kNever) {
        EXPECT_EQ(actual, kNever) << what;
    } else {
        EXPECT_NEAR(actual, expected, 0.001 * expected + 0.001) << what;
    }
}

TEST(EnvelopeCurveTest, KeyTimes) {
    struct Case {
        EnvelopeSettings settings;
        double attack, sustain, release, silent;
        bool endless;
    };
    // Middle C is block 4, F-number bit 9 clear: key-scaling offset 8, or 2 without KSR.
    const Case cases[] = {
        // Everything at its fastest (effective 62 acts as 60); no hold: on down at the release
        // rate from -93 dB.
        {{15, 15, 15, 15, false, false, 60}, 0.0603, 2.5935, 2.5935, 2.6752, false},
        // Effective 42, 22, 30; held for as long as it took to get to -18 dB.
        {{10, 5, 6, 7, false, true, 60}, 3.7413, 329.124, 658.249, 1011.843, false},
        // Sustain 0 dB is reached at once; without hold the release (effective 24) follows.
        {{15, 3, 0, 4, true, false, 60}, 0.0603, 0.0603, 0.0603, 1305.475, false},
        // Decay 0 never leaves the top: a sustain even without hold; release 0 never ends.
        {{15, 0, 6, 0, false, false, 60}, 0.0603, kNever, 250.0603, kNever, true},
        // Attack 0 never sounds.
        {{0, 15, 15, 15, false, true, 60}, kNever, kNever, kNever, kNever, true},
    };
    for (const Case& c : cases) {
        const EnvelopeCurve curve = MakeEnvelopeCurve(c.settings);
        ExpectTime(curve.attackMs, c.attack, "attack");
        ExpectTime(curve.sustainMs, c.sustain, "sustain");
        ExpectTime(curve.releaseMs, c.release, "release");
        ExpectTime(curve.silentMs, c.silent, "silent");
        EXPECT_EQ(curve.endless, c.endless);
        ASSERT_FALSE(curve.points.empty());
        for (size_t i = 1; i < curve.points.size(); ++i) {
            EXPECT_GE(curve.points[i].ms, curve.points[i - 1].ms);
            EXPECT_LE(curve.points[i].db, 0);
            EXPECT_GE(curve.points[i].db, -96);
        }
    }
}

TEST(EnvelopeCurveTest, RateScalingMattersOnlyWhereTheKeyScalingOffsetDoes) {
    // Note 12 is block 0 below F-number 0x200: offset 0 with or without KSR. Note 96 is block
    // 7: offset 14, or 3 without KSR.
    const struct {
        int note;
        bool changes;
    } cases[] = {{12, false}, {96, true}};
    for (const auto& c : cases) {
        EnvelopeSettings settings{8, 8, 8, 8, false, true, c.note};
        const double without = MakeEnvelopeCurve(settings).sustainMs;
        settings.rateScaling = true;
        const double with = MakeEnvelopeCurve(settings).sustainMs;
        if (c.changes) {
            EXPECT_LT(with * 4, without) << c.note;
        } else {
            EXPECT_EQ(with, without) << c.note;
        }
    }
}

} // namespace
} // namespace vorpline
