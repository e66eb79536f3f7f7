#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <numeric>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "dsp/TFormDSP.h"
#include "platform/IniFile.h"
#include "support/AllocationCounter.h"
#include "support/TempDir.h"

namespace vorpline {
namespace {

constexpr const char* kSection = "Speakers";

// Stereo frames with both channels over the corners of the 16-bit range and small values whose
// low bits matter.
std::vector<int16_t> Assorted() {
    return {0,      -1,    1,      255, 256, -256, -257, 32767,
            -32768, 12345, -12345, 7,   100, -100, 4095, -4096};
}

std::vector<int16_t> Constant(int16_t value, size_t frames) {
    return std::vector<int16_t>(frames * 2, value);
}

std::vector<int16_t> Processed(TFormDSP& dsp, std::vector<int16_t> frames) {
    dsp.Process(frames.data(), frames.size() / 2);
    return frames;
}

class FormDSPTest : public ::testing::Test {
protected:
    FormDSPTest() { dsp.CheckBoxEnable.SetChecked(true); }

    void Filter(int mode, int frequency, int resonance = 64) {
        dsp.ComboBoxFilter.UserSelect(mode);
        dsp.SetFrequency(frequency);
        dsp.SetResonance(resonance);
    }

    TFormDSP dsp{44100};
};

TEST_F(FormDSPTest, DisabledOrDefaultLeavesTheSoundAlone) {
    EXPECT_EQ(Processed(dsp, Assorted()), Assorted()) << "enabled with the defaults";

    dsp.TrackBarCrush.SetPosition(8);
    dsp.SetInputGain(127);
    Filter(3, 100, 127);
    dsp.CheckBoxEnable.SetChecked(false);
    const auto loud = Constant(32767, 64);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(Processed(dsp, loud), loud) << "disabled, whatever the settings";
    }
}

TEST_F(FormDSPTest, GainFollowsTheFourthPowerAndClips) {
    EXPECT_EQ(TFormDSP::GainFactor(0), 0.0);
    EXPECT_EQ(TFormDSP::GainFactor(64), 1.0);
    EXPECT_EQ(TFormDSP::GainFactor(32), 1.0 / 16);
    EXPECT_NEAR(TFormDSP::GainFactor(127), 15.5, 0.01);

    const struct {
        uint8_t in, out;
        std::vector<int16_t> frames, want;
    } cases[] = {
        {127, 64, {32767, -32768, 1000, -1000}, {32767, -32768, 15505, -15505}},
        {64, 32, {1600, -1615}, {100, -100}}, // truncated towards zero
        {64, 0, {32767, -32768}, {0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.in) + " " + std::to_string(c.out));
        dsp.SetInputGain(c.in);
        dsp.SetOutputGain(c.out);
        EXPECT_EQ(Processed(dsp, c.frames), c.want);
    }
}

TEST_F(FormDSPTest, CrushClearsLowBitsOfTheMagnitudeAndNoiseFillsOnlyThem) {
    dsp.TrackBarCrush.SetPosition(8);
    const auto in = Assorted();
    const auto out = Processed(dsp, in);
    for (size_t i = 0; i < in.size(); ++i) {
        const int magnitude = std::abs(static_cast<int>(in[i])) & ~0xFF;
        EXPECT_EQ(out[i], in[i] < 0 ? -magnitude : magnitude) << in[i];
    }

    dsp.ComboBoxNoise.UserSelect(1);
    const auto mono = Processed(dsp, Constant(-4096, 256));
    bool noisy = false;
    for (size_t i = 0; i < mono.size(); i += 2) {
        EXPECT_EQ(mono[i], mono[i + 1]) << "the same noise on both sides";
        EXPECT_EQ(-mono[i] & ~0xFF, 4096) << "noise stays in the cleared bits";
        noisy = noisy || mono[i] != -4096;
    }
    EXPECT_TRUE(noisy);

    dsp.ComboBoxNoise.UserSelect(2);
    const auto stereo = Processed(dsp, Constant(0, 256));
    int differing = 0;
    for (size_t i = 0; i < stereo.size(); i += 2) {
        differing += stereo[i] != stereo[i + 1] ? 1 : 0;
        EXPECT_LE(std::abs(stereo[i]), 255);
    }
    EXPECT_GT(differing, 128) << "each side its own noise";
    const auto [lowest, highest] = std::minmax_element(stereo.begin(), stereo.end());
    EXPECT_TRUE(*lowest < 0 && *highest > 0) << "noise of both signs";

    // Beyond 15 bits the noise is 15 bits wide, like the C library's rand: it never reaches
    // the clipping level (16-bit noise would in half the samples).
    dsp.TrackBarCrush.SetPosition(16);
    const auto wide = Processed(dsp, Constant(0, 256));
    EXPECT_LE(std::count_if(wide.begin(), wide.end(),
                            [](int16_t v) { return v == 32767 || v == -32768; }),
              2);
    EXPECT_GT(*std::max_element(wide.begin(), wide.end()), 16384);
}

TEST_F(FormDSPTest, OnePoleFilters) {
    for (int frequency : {127, 126}) {
        Filter(1, frequency);
        EXPECT_EQ(dsp.Parameters().a, 1.0);
        EXPECT_EQ(dsp.Parameters().b, 0.0);
        EXPECT_EQ(Processed(dsp, Assorted()), Assorted()) << "low pass at " << frequency;
    }
    Filter(2, 127);
    EXPECT_EQ(Processed(dsp, Assorted()), Constant(0, Assorted().size() / 2))
        << "high pass at the top";

    // A step through the low pass rises steadily towards the input; through the high pass it
    // jumps and then decays: the two outputs add up to the input.
    Filter(1, 64);
    Processed(dsp, Constant(0, 256));
    const auto low = Processed(dsp, Constant(10000, 64));
    EXPECT_TRUE(low[0] > 0 && low[0] < 10000) << low[0];
    EXPECT_TRUE(std::is_sorted(low.begin(), low.end()));
    EXPECT_GT(low.back(), 9900);
    Filter(2, 64);
    Processed(dsp, Constant(0, 256));
    const auto high = Processed(dsp, Constant(10000, 64));
    EXPECT_GT(high[0], 0);
    EXPECT_LT(high.back(), 100);
}

TEST_F(FormDSPTest, ResonantFiltersStayBoundedWhenUnstable) {
    std::vector<int16_t> square(128);
    for (size_t i = 0; i < square.size(); ++i) {
        square[i] = (i / 16) % 2 == 0 ? 32767 : -32768;
    }
    for (int mode : {3, 4, 5}) {
        dsp.SetInputGain(127);
        dsp.SetOutputGain(127);
        Filter(mode, 127, 127);
        bool railed = false;
        for (int buffer = 0; buffer < 200; ++buffer) {
            for (int16_t sample : Processed(dsp, square)) {
                railed = railed || sample == 32767 || sample == -32768;
            }
        }
        EXPECT_TRUE(railed) << "mode " << mode;

        // Tamed again, the state left by the blow-up dies away in silence.
        dsp.SetInputGain(64);
        dsp.SetOutputGain(64);
        Filter(mode, 64, 0);
        std::vector<int16_t> out;
        for (int buffer = 0; buffer < 200; ++buffer) {
            out = Processed(dsp, Constant(0, 64));
        }
        for (int16_t sample : out) {
            EXPECT_LE(std::abs(sample), 1) << "mode " << mode;
        }
    }
}

// With no note playing the emulator gives zeros, or ±1 around them after the rate converter;
// whatever the crush depth, filter and order, that must stay silence, a tone must not leave
// a residue once it stops, and no setting may shift a symmetric signal off zero.
TEST(DspSilenceTest, SilenceStaysSilentAndNothingAddsAnOffset) {
    std::vector<int16_t> tone(2 * 2400);
    std::vector<int16_t> whisper(2 * 2400);
    for (size_t i = 0; i < tone.size(); ++i) {
        // 100 frames a period, both halves mirror images: the mean is exactly zero.
        const double phase = 2 * 3.14159265358979 * static_cast<double>(i / 2) / 100;
        tone[i] = static_cast<int16_t>(std::lround(3000 * std::sin(phase)));
        whisper[i] = static_cast<int16_t>((i / 2) % 2 == 0 ? 1 : -1);
    }
    const auto mean = [](const std::vector<int16_t>& samples) {
        return std::accumulate(samples.begin(), samples.end(), 0.0) /
               static_cast<double>(samples.size());
    };
    for (int patch : {0, 1}) {
        for (int filter = 0; filter <= 5; ++filter) {
            for (int frequency : {8, 90}) {
                for (int bits : {0, 1, 8, 11, 23}) {
                    TFormDSP dsp{44100};
                    dsp.CheckBoxEnable.SetChecked(true);
                    dsp.ComboBoxPatch.UserSelect(patch);
                    dsp.ComboBoxFilter.UserSelect(filter);
                    dsp.SetFrequency(frequency);
                    dsp.TrackBarCrush.SetPosition(bits);
                    SCOPED_TRACE("patch " + std::to_string(patch) + " filter " +
                                 std::to_string(filter) + " frequency " +
                                 std::to_string(frequency) + " bits " + std::to_string(bits));
                    const auto zeros = Constant(0, 512);
                    EXPECT_EQ(Processed(dsp, zeros), zeros);
                    const auto quiet = Processed(dsp, whisper);
                    const auto [low, high] = std::minmax_element(quiet.begin(), quiet.end());
                    EXPECT_TRUE(*low >= -1 && *high <= 1);
                    // The second pass: a filter's start-up transient has its own offset.
                    Processed(dsp, tone);
                    EXPECT_NEAR(mean(Processed(dsp, tone)), 0.0, 4.0);
                    std::vector<int16_t> after;
                    for (int buffer = 0; buffer < 20; ++buffer) {
                        after = Processed(dsp, zeros);
                    }
                    EXPECT_EQ(after, zeros) << "after a tone";
                }
            }
        }
    }
}

TEST_F(FormDSPTest, PatchOrdersTheCrushAndTheFilter) {
    dsp.TrackBarCrush.SetPosition(8);
    Filter(2, 64);
    std::vector<int16_t> ramp(256);
    for (size_t i = 0; i < ramp.size(); ++i) {
        ramp[i] = static_cast<int16_t>(i * 100);
    }
    const auto lowBits = [](const std::vector<int16_t>& samples) {
        return std::any_of(samples.begin(), samples.end(),
                           [](int16_t s) { return (s & 0xFF) != 0; });
    };
    EXPECT_TRUE(lowBits(Processed(dsp, ramp))) << "crushed, then filtered";
    dsp.ComboBoxPatch.UserSelect(1);
    EXPECT_FALSE(lowBits(Processed(dsp, ramp))) << "filtered, then crushed";

    // A stored patch index that is no item selects nothing, and nothing runs.
    ASSERT_TRUE(dsp.ApplySettings("7,1,64,64,8,0,2,64,64"));
    EXPECT_EQ(dsp.ComboBoxPatch.ItemIndex(), ComboBox::kNone);
    EXPECT_EQ(Processed(dsp, Assorted()), Assorted());
}

TEST_F(FormDSPTest, FilterModeEnablesItsSliders) {
    const auto sliders = [this] {
        return std::pair(dsp.TrackBarFrequency.Enabled(), dsp.TrackBarResonance.Enabled());
    };
    EXPECT_EQ(sliders(), std::pair(false, false));
    EXPECT_FALSE(dsp.ComboBoxNoise.Enabled()) << "no noise without crushing";
    // Off, low pass, high pass, then the three resonant ones.
    const std::pair<bool, bool> uses[] = {{false, false}, {true, false}, {true, false},
                                          {true, true},   {true, true},  {true, true}};
    for (int mode = 0; mode < 6; ++mode) {
        dsp.ComboBoxFilter.UserSelect(mode);
        EXPECT_EQ(sliders(), uses[mode]) << mode;
    }
    dsp.ComboBoxFilter.UserSelect(4);
    EXPECT_EQ(dsp.Parameters().a, 0.5);
    EXPECT_EQ(dsp.Parameters().b, 1.5) << "q + q / (1 - f) at 64, 64";
    dsp.SetResonance(0);
    EXPECT_EQ(dsp.Parameters().b, 0.0);
}

// Each label resets its own control; Default resets all but Enable.
TEST_F(FormDSPTest, DefaultsAndLabelsResetTheirControls) {
    const std::pair<Label TFormDSP::*, const char*> cases[] = {
        {&TFormDSP::LabelPatch, "0,1,10,20,5,2,3,30,40"},
        {&TFormDSP::LabelPre, "1,1,64,20,5,2,3,30,40"},
        {&TFormDSP::LabelGain, "1,1,10,64,5,2,3,30,40"},
        {&TFormDSP::LabelCrush, "1,1,10,20,0,2,3,30,40"},
        {&TFormDSP::LabelNoise, "1,1,10,20,5,0,3,30,40"},
        {&TFormDSP::LabelFilter, "1,1,10,20,5,2,0,30,40"},
        {&TFormDSP::LabelFreqency, "1,1,10,20,5,2,3,64,40"},
        {&TFormDSP::LabelResonance, "1,1,10,20,5,2,3,30,64"},
        {nullptr, "0,1,64,64,0,0,0,64,64"},
    };
    for (const auto& [label, want] : cases) {
        SCOPED_TRACE(want);
        ASSERT_TRUE(dsp.ApplySettings("1,1,10,20,5,2,3,30,40"));
        label != nullptr ? (dsp.*label).Click() : dsp.ButtonDefault.Click();
        EXPECT_EQ(dsp.SettingsText(), want);
        // The noise list and the filter sliders follow the reset values.
        EXPECT_EQ(dsp.ComboBoxNoise.Enabled(), dsp.TrackBarCrush.Position() != 0);
        EXPECT_EQ(dsp.TrackBarFrequency.Enabled(), dsp.ComboBoxFilter.ItemIndex() != 0);
    }
    EXPECT_EQ(Processed(dsp, Assorted()), Assorted());
}

TEST_F(FormDSPTest, SettingsRoundTripThroughTheIniFile) {
    test::TempDir dir;
    const std::string path = dir.File("vorpline.ini");
    ASSERT_TRUE(dsp.ApplySettings(" 1, 1,100,30,7,2,5,90,110"));
    {
        IniFile ini(path);
        dsp.SaveSettings(ini, kSection);
        ini.UpdateFile();
    }
    EXPECT_NE(test::TempDir::Read(path).find("DSP=1,1,100,30,7,2,5,90,110"), std::string::npos);

    TFormDSP loaded(48000);
    loaded.LoadSettings(IniFile(path), kSection, "Vorpline 4.30");
    EXPECT_EQ(loaded.SettingsText(), "1,1,100,30,7,2,5,90,110");
    EXPECT_TRUE(loaded.TrackBarResonance.Enabled());
    EXPECT_TRUE(loaded.ComboBoxNoise.Enabled());
    EXPECT_EQ(loaded.Parameters().preGain, TFormDSP::GainFactor(100));
    EXPECT_EQ(loaded.Parameters().b, dsp.Parameters().b);
    const auto steady = Constant(1000, 32);
    EXPECT_NE(Processed(loaded, steady), steady) << "the loaded chain is live";
}

TEST_F(FormDSPTest, BadStoredValuesGiveTheDefaultsDisabled) {
    test::TempDir dir;
    IniFile ini(dir.File("vorpline.ini"));
    for (const char* bad :
         {"1,1,100,30,7,2,5,90", "1,1,100,30,7,2,5,90,110,4", "1,1,100,30,x,2,5,90,110",
          "1,1,,30,7,2,5,90,110", "Default", "", "1,1,100,30,7,2,5,90,99999999999"}) {
        ASSERT_TRUE(dsp.ApplySettings("1,1,100,30,7,2,5,90,110"));
        ini.WriteString(kSection, "DSP", bad);
        dsp.LoadSettings(ini, kSection, "V");
        EXPECT_EQ(dsp.SettingsText(), "0,0,64,64,0,0,0,64,64") << bad;
        EXPECT_FALSE(dsp.ApplySettings(bad));
    }
    ASSERT_TRUE(dsp.ApplySettings("1,1,100,30,7,2,5,90,110"));
    dsp.LoadSettings(ini, "Never saved", "V");
    EXPECT_EQ(dsp.SettingsText(), "0,0,64,64,0,0,0,64,64");
    EXPECT_EQ(Processed(dsp, Assorted()), Assorted());
}

TEST(DspChainTest, ProcessNeverSeesHalfAPublication) {
    // Three settings that each leave the sound alone, published in turn as fast as possible;
    // any mix of their fields (the enable flag or the patch of one with the gains of another)
    // changes it.
    const std::array<DspParameters, 3> blocks = {
        DspParameters{.enabled = true, .preGain = 2.0, .outGain = 0.5},
        DspParameters{.enabled = true, .patch = 5, .preGain = 4.0, .outGain = 4.0},
        DspParameters{.preGain = 3.0, .outGain = 3.0}};
    DspChain chain;
    chain.Publish(blocks[0]);
    std::atomic<bool> done{false};
    std::thread publisher([&] {
        for (size_t i = 0; !done.load(std::memory_order_relaxed); ++i) {
            chain.Publish(blocks[i % blocks.size()]);
        }
    });
    int wrong = 0;
    std::vector<int16_t> frames(8);
    {
        test::AllocationScope heap;
        for (int i = 0; i < 300000; ++i) {
            std::fill(frames.begin(), frames.end(), int16_t{1000});
            chain.Process(frames.data(), frames.size() / 2);
            wrong += frames[0] != 1000 ? 1 : 0;
        }
        EXPECT_EQ(heap.Count(), 0);
    }
    done = true;
    publisher.join();
    EXPECT_EQ(wrong, 0);
}

} // namespace
} // namespace vorpline
