#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "midi/HubFixture.h"

namespace vorpline::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class FakeBend : public CircuitBendReceiver {
public:
    void CcEvent(uint8_t value) override { values.push_back(value); }
    std::vector<int> values;
};

class FakeDsp : public DspReceiver {
public:
    void SetFrequency(uint8_t v) override { calls.push_back(1000 + v); }
    void SetResonance(uint8_t v) override { calls.push_back(2000 + v); }
    void SetInputGain(uint8_t v) override { calls.push_back(3000 + v); }
    void SetOutputGain(uint8_t v) override { calls.push_back(4000 + v); }
    std::vector<int> calls;
};

class CcFunctionsTest : public HubFixture {
protected:
    CcFunctionsTest() {
        chip.ApplyPatch(SustainedPatch(), Ext());
        form.ApplyDefaultOperators();
        hub.peers.Connect(map);
    }
    TFrameOp& Frame(int op) { return *form.FrameOps[static_cast<size_t>(op)]; }
    // Controller of function `f` in the default map.
    static uint8_t Of(CcTargetIndex f) { return kDefaultCcNumbers[f]; }

    FixedCcMap map;
};

TEST_F(CcFunctionsTest, PanelFunctionsSetTheControlsAndTheirHandlersWriteTheChip) {
    Cc(Of(kCcMasterVolume), 127);
    EXPECT_EQ(form.TrackBarVolume.Position(), 31);
    Cc(Of(kCcMasterPan), 0);
    EXPECT_EQ(form.TrackBarPan.Position(), -64);

    Cc(Of(kCcFeedback1), 0x70);
    EXPECT_EQ(form.ComboBoxFB.ItemIndex(), 7);
    EXPECT_EQ(chip.ReadRegister(kRegFeedbackConnection) & 0x0E, 7 << 1);
    Cc(Of(kCcFeedback5), 0x2F);
    EXPECT_EQ(form.ComboBoxFB2.ItemIndex(), 2);

    Cc(Of(kCcOutput1234), 0x40);
    EXPECT_TRUE(form.CheckBoxA.Checked());
    EXPECT_FALSE(form.CheckBoxB.Checked());
    EXPECT_EQ(chip.ReadRegister(kRegFeedbackConnection) & 0x30, 0x10);
    Cc(Of(kCcOutput56), 0x20);
    EXPECT_FALSE(form.CheckBoxA2.Checked());
    EXPECT_TRUE(form.CheckBoxB2.Checked());

    Cc(Of(kCcAlgorithm), 0x30);
    EXPECT_EQ(form.ComboBoxCNT.ItemIndex(), 3);
    Cc(Of(kCcTremolo), 0x40);
    Cc(Of(kCcVibrato), 0x3F);
    EXPECT_EQ(form.ComboBoxTD.Text(), "4.8 dB");
    EXPECT_EQ(form.ComboBoxVD.Text(), "7 cents");
    EXPECT_EQ(chip.ReadRegister(kRegRhythm) & 0xC0, 0x80);
}

TEST_F(CcFunctionsTest, OperatorFunctionsActOnTheFramesTickedCc) {
    Frame(1).CheckBoxCC.SetChecked(true);
    Frame(4).CheckBoxCC.SetChecked(true);
    Cc(Of(kCcAttack), 0x28); // (0x28 >> 3) & 15 = 5: rate 10
    for (int op = 0; op < 6; ++op) {
        bool ticked = op == 1 || op == 4;
        EXPECT_EQ(Frame(op).TrackBarAttack.Position(), ticked ? 10 : 15) << op;
        EXPECT_EQ(Reg(kRegAttackDecay, op, 2) >> 4, ticked ? 10 : 15) << op;
    }

    // An LFO names its operator, ticked or not.
    LfoCc(Of(kCcDecay), 0x78, 0, 2);
    EXPECT_EQ(Frame(2).TrackBarDecay.Position(), 0);
    EXPECT_EQ(Frame(1).TrackBarDecay.Position(), 15);
    LfoCc(Of(kCcDecay), 0x78, 0, 6); // no such operator
    EXPECT_EQ(Frame(1).TrackBarDecay.Position(), 15);
}

TEST_F(CcFunctionsTest, EveryOperatorFunctionMapsItsValueBits) {
    Frame(0).CheckBoxCC.SetChecked(true);
    TFrameOp& f = Frame(0);

    Cc(Of(kCcWaveformMod), 0x5C); // vibrato, no tremolo, waveform 7
    EXPECT_TRUE(f.CheckBoxVibrato.Checked());
    EXPECT_FALSE(f.CheckBoxTremolo.Checked());
    EXPECT_EQ(f.ComboBoxWS.ItemIndex(), 7);
    EXPECT_EQ(Reg(kRegWaveform, 0, 0), 7);
    EXPECT_EQ(Reg(kRegFlags, 0, 0) & 0xC0, 0x40);

    Cc(Of(kCcKeyScaling), 0x70); // rate scaling, level scaling 3
    EXPECT_TRUE(f.CheckBoxRateScaling.Checked());
    EXPECT_EQ(f.ComboBoxLevelScaling.ItemIndex(), 3);
    EXPECT_EQ(Reg(kRegLevel, 0, 0) >> 6, 3);

    Cc(Of(kCcSustainHold), 0x44); // hold, sustain 15 - 1
    EXPECT_TRUE(f.CheckBoxHold.Checked());
    EXPECT_EQ(f.TrackBarSustain.Position(), 14);
    Cc(Of(kCcRelease), 0x7F);
    EXPECT_EQ(f.TrackBarRelease.Position(), 0);
    Cc(Of(kCcOperatorVolume), 0x7F);
    EXPECT_EQ(f.TrackBarVolume.Position(), 63);
    Cc(Of(kCcOperatorVolume), 0x40);
    EXPECT_EQ(f.TrackBarVolume.Position(), 32);
    EXPECT_EQ(Reg(kRegLevel, 0, 3) & 0x3F, 63 - 32);
}

TEST_F(CcFunctionsTest, OperatorTuningSpreadsOverTheListButNeverEditsIt) {
    TFrameOp& f = Frame(0);
    f.CheckBoxCC.SetChecked(true);
    int opened = 0;
    form.Operators().editTuningList = [&opened](int) { ++opened; };
    // The default list has 13 entries before "Edit list".
    Cc(Of(kCcOperatorTuning), 0);
    EXPECT_EQ(f.ComboBoxFreqMultiplier.Text(), "-1200");
    EXPECT_EQ(Reg(kRegFlags, 0, 0) & 0x0F, 0);
    Cc(Of(kCcOperatorTuning), 64);
    EXPECT_EQ(f.ComboBoxFreqMultiplier.Text(), "+3100");
    EXPECT_EQ(Reg(kRegFlags, 0, 0) & 0x0F, 6);
    Cc(Of(kCcOperatorTuning), 127);
    EXPECT_EQ(f.ComboBoxFreqMultiplier.Text(), "+4690");
    LfoCc(Of(kCcOperatorTuning), 255, 0, 0); // out of MIDI's range from a producer
    EXPECT_EQ(f.ComboBoxFreqMultiplier.Text(), "+4690");
    EXPECT_EQ(opened, 0);

    f.SetTuningTexts({"0 cents"});
    f.ComboBoxFreqMultiplier.SetItemIndex(0);
    Cc(Of(kCcOperatorTuning), 127);
    EXPECT_EQ(f.ComboBoxFreqMultiplier.Text(), "0 cents") << "a single entry leaves no choice";
    EXPECT_EQ(opened, 0);
}

TEST_F(CcFunctionsTest, LfoPitchContributionsStayInsideTheirEightEntries) {
    Cc(100, 5);
    Cc(6, 66); // modulation range 200: 200 / 127 = 1 cent per step
    Cc(Of(kCcTuning1234), 74);
    EXPECT_EQ(pitch.LfoPitch(0, CcFunctions::kExternalLfoSlot), 10) << "a knob uses LFO 8's entry";
    LfoCc(Of(kCcTuning56), 44, 3, CcSource::kNone);
    EXPECT_EQ(pitch.LfoPitch(1, 3), -20);
    EXPECT_EQ(pitch.LfoPitch(1, CcFunctions::kExternalLfoSlot), 0);
    EXPECT_EQ(pitch.PitchOffset(1), -20);
    LfoCc(Of(kCcTuning56), 100, 8, CcSource::kNone); // no ninth LFO
    LfoCc(Of(kCcTuning56), 100, 0xFE, CcSource::kNone);
    EXPECT_EQ(pitch.PitchOffset(1), -20);

    // The default range of 2400 cents: 18 cents per step.
    hub.Controllers().modulationRange = {2400, 2400};
    Midi(0x90, 60, 100);
    int before = Pitch(0, 0);
    Cc(Of(kCcTuning1234), 127);
    EXPECT_EQ(pitch.LfoPitch(0, CcFunctions::kExternalLfoSlot), 18 * 63);
    EXPECT_GT(Pitch(0, 0), before) << "the sounding voice is retuned";
}

TEST_F(CcFunctionsTest, DamperWorksWithOrWithoutTheMap) {
    Frame(0).CheckBoxDamper.SetChecked(true);
    Frame(0).TrackBarRelease.SetPosition(8);
    ASSERT_EQ(Reg(kRegSustainRelease, 0, 0) & 0x0F, 8);
    Cc(64, 127);
    EXPECT_EQ(Reg(kRegSustainRelease, 0, 0) & 0x0F, 2) << "four times slower";
    Cc(64, 0);
    EXPECT_EQ(Reg(kRegSustainRelease, 0, 0) & 0x0F, 8);

    hub.peers = HubPeers{}; // no map in this run
    Cc(64, 127);
    EXPECT_EQ(Reg(kRegSustainRelease, 0, 0) & 0x0F, 2);
    Frame(0).CheckBoxCC.SetChecked(true);
    Cc(Of(kCcAttack), 0);
    EXPECT_EQ(Frame(0).TrackBarAttack.Position(), 15) << "nothing else without a map";

    // With a map, the map decides: the pedal moved to another controller.
    hub.peers.Connect(map);
    map.numbers[kCcSwitch1] = 66;
    Cc(64, 0);
    EXPECT_EQ(Reg(kRegSustainRelease, 0, 0) & 0x0F, 2);
    Cc(66, 0);
    EXPECT_EQ(Reg(kRegSustainRelease, 0, 0) & 0x0F, 8);
}

TEST_F(CcFunctionsTest, MapLookupTakesTheFirstRowAndAuxiliariesStaySilent) {
    Frame(0).CheckBoxCC.SetChecked(true);
    Cc(71, 0x40); // "Operator Key Scaling", not "Auxiliary 1"
    EXPECT_TRUE(Frame(0).CheckBoxRateScaling.Checked());

    FakeDsp dsp;
    hub.peers.Connect(dsp);
    map.numbers[kCcKeyScaling] = 200; // switched off
    map.numbers[kCcFrequency] = 71;   // behind "Auxiliary 1" on the same number
    Cc(71, 0);
    EXPECT_TRUE(Frame(0).CheckBoxRateScaling.Checked());
    EXPECT_THAT(dsp.calls, IsEmpty());
    map.numbers[kCcAuxiliary1] = 255;
    Cc(71, 5);
    EXPECT_THAT(dsp.calls, ElementsAre(1005));
}

TEST_F(CcFunctionsTest, WindowFunctionsReachTheirWindowsOnlyWhenTheyExist) {
    Cc(Of(kCcSwitch2), 1);
    Cc(Of(kCcCircuitBend), 2);
    Cc(Of(kCcFrequency), 3); // nothing exists: nothing happens

    ::testing::StrictMock<MockClock> clock;
    FakeBend bend;
    FakeDsp dsp;
    hub.peers.Connect(clock);
    hub.peers.Connect(bend);
    hub.peers.Connect(dsp);
    EXPECT_CALL(clock, Switch1(127, CcSource::kNone, CcSource::kNone));
    EXPECT_CALL(clock, Switch2(5, 2, 4));
    EXPECT_CALL(clock, LfoModulation(6, CcSource::kNone, CcSource::kNone));
    Cc(Of(kCcSwitch1), 127);
    LfoCc(Of(kCcSwitch2), 5, 2, 4);
    Cc(Of(kCcLfoModulation), 6);
    Cc(Of(kCcCircuitBend), 7);
    Cc(Of(kCcFrequency), 8);
    Cc(Of(kCcResonance), 9);
    Cc(Of(kCcInputGain), 10);
    Cc(Of(kCcOutputGain), 11);
    EXPECT_THAT(bend.values, ElementsAre(7));
    EXPECT_THAT(dsp.calls, ElementsAre(1008, 2009, 3010, 4011));
}

} // namespace
} // namespace vorpline::test
