#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <tuple>

#include "ui/MainFormFixture.h"

namespace vorpline::test {
namespace {

using ::testing::ElementsAre;

class OperatorEditing : public MainFormFixture {
protected:
    std::array<uint8_t, 5> Registers(int op, int voice) const {
        return {Reg(kRegFlags, op, voice), Reg(kRegLevel, op, voice),
                Reg(kRegAttackDecay, op, voice), Reg(kRegSustainRelease, op, voice),
                Reg(kRegWaveform, op, voice)};
    }
    OperatorRecord Record(int op) const {
        OperatorRecord record;
        form.GetOperator(op, record);
        return record;
    }
    static OperatorRecord WithTuning(std::initializer_list<int16_t> cents, uint8_t mult) {
        OperatorRecord record;
        record.reg = {mult, 0, 0xFF, 0xFF, 0};
        record.tuning.fill(OperatorRecord::kNoTuningEntry);
        std::copy(cents.begin(), cents.end(), record.tuning.begin());
        return record;
    }
    // Something in every field of operator `op`, through the controls as the user would.
    void Edit(int op) {
        TFrameOp& f = *form.FrameOps[static_cast<size_t>(op)];
        form.PutOperator(op, WithTuning({0, 1900, 3990, 3990, -1200, 1234}, 1));
        f.CheckBoxTremolo.SetChecked(true);
        f.CheckBoxHold.SetChecked(true);
        f.ComboBoxFreqMultiplier.UserSelect(f.ComboBoxFreqMultiplier.IndexOf("+1900"));
        f.ComboBoxLevelScaling.UserSelect(2);
        f.TrackBarVolume.SetPosition(40);
        f.TrackBarAttack.SetPosition(3);
        f.TrackBarDecay.SetPosition(4);
        f.TrackBarSustain.SetPosition(5);
        f.TrackBarRelease.SetPosition(6);
        f.PopupMenuWave[6].Click();
        f.CheckBoxCC.SetChecked(true);
        f.CheckBoxDamper.SetChecked(true);
        f.TrackBarOffset.SetPosition(77);
        f.ComboBoxTarget.UserSelect(2);
    }
};

// Every field of a record, comparable and printable.
auto Fields(const OperatorRecord& r) {
    return std::make_tuple(r.reg, r.tuning, r.cc, r.damper, r.offset, r.target);
}

TEST_F(OperatorEditing, FrameControlsReachTheirOperatorInEveryVoice) {
    form.FrameOp7.TrackBarAttack.SetPosition(9);
    ASSERT_EQ(backend.writes.size(), 6u) << "operator 3 only, once per voice";
    for (int voice = 0; voice < 6; ++voice) {
        EXPECT_EQ(Reg(kRegAttackDecay, 2, voice) >> 4, 9) << "voice " << voice;
    }
    form.FrameOp10.PopupMenuWave[5].Click();
    EXPECT_EQ(form.FrameOp10.ComboBoxWS.ItemIndex(), 5);
    EXPECT_EQ(Reg(kRegWaveform, 3, 4), 5);
    form.FrameOp16.ComboBoxFreqMultiplier.UserSelect(2); // "+1200"
    EXPECT_EQ(Reg(kRegFlags, 5, 0) & 0x0F, 2);
    form.FrameOp1.ComboBoxTarget.UserSelect(1);
    EXPECT_EQ(chip.VelocityTarget(0), 1);
}

TEST_F(OperatorEditing, NothingReachesTheChipBeforeTheEngineIsAttached) {
    TFormMain detached(assets.path);
    detached.FrameOp1.TrackBarVolume.SetPosition(50);
    detached.FrameOp1.MenuItemClearAll.Click();
    detached.FrameOp1.ComboBoxFreqMultiplier.UserSelect(0);
    EXPECT_TRUE(backend.writes.empty());
}

TEST_F(OperatorEditing, CopyOrCutOnOneOperatorPasteOnAnother) {
    EXPECT_FALSE(form.FrameOp13.MenuItemPaste.Enabled());
    form.FrameOp13.MenuItemPaste.Click();
    EXPECT_TRUE(backend.writes.empty()) << "nothing to paste yet";

    Edit(0);
    form.FrameOp1.MenuItemCopy.Click();
    for (TFrameOp* frame : form.FrameOps) {
        EXPECT_TRUE(frame->MenuItemPaste.Enabled()) << frame->Name();
    }
    form.FrameOp13.MenuItemPaste.Click();

    EXPECT_EQ(Fields(Record(4)), Fields(Record(0)));
    EXPECT_EQ(form.FrameOp13.ComboBoxFreqMultiplier.Items(),
              form.FrameOp1.ComboBoxFreqMultiplier.Items());
    EXPECT_EQ(form.FrameOp13.ComboBoxFreqMultiplier.Text(), "+1900");
    for (int voice = 0; voice < 6; ++voice) {
        EXPECT_EQ(Registers(4, voice), Registers(0, voice)) << "voice " << voice;
    }
    EXPECT_EQ(Registers(4, 0), (std::array<uint8_t, 5>{0xA3, 0x97, 0x34, 0x56, 0x06}));
    EXPECT_TRUE(chip.DamperFlag(4));
    EXPECT_EQ(chip.VelocityOffset(4), 77);
    EXPECT_EQ(chip.VelocityTarget(4), 2);
    EXPECT_TRUE(form.FrameOp13.CheckBoxCC.Checked());

    Edit(1);
    const OperatorRecord edited = Record(1);
    form.FrameOp4.MenuItemCut.Click();
    EXPECT_EQ(form.FrameOp4.TrackBarVolume.Position(), 63) << "cut clears";
    form.FrameOp16.MenuItemPaste.Click();
    EXPECT_EQ(Fields(Record(5)), Fields(edited));
}

TEST_F(OperatorEditing, ClearAllFromOperator3ClearsAllSixAndIsTheDefault) {
    const std::vector<std::string> defaultTuning = form.FrameOp1.ComboBoxFreqMultiplier.Items();
    const std::array<uint8_t, 5> cleared{0x01, 0x00, 0xFF, 0xFF, 0};
    for (int op = 0; op < 6; ++op) {
        Edit(op);
    }
    form.FrameOp7.MenuItemClearAll.Click();
    for (int op = 0; op < 6; ++op) {
        SCOPED_TRACE(op);
        const TFrameOp& f = *form.FrameOps[static_cast<size_t>(op)];
        EXPECT_EQ(f.ComboBoxFreqMultiplier.Items(), defaultTuning);
        EXPECT_EQ(f.ComboBoxFreqMultiplier.Text(), "0 cents");
        EXPECT_FALSE(f.CheckBoxCC.Checked());
        EXPECT_EQ(f.TrackBarOffset.Position(), 0);
        EXPECT_EQ(f.ComboBoxTarget.ItemIndex(), 0);
        for (int voice = 0; voice < 6; ++voice) {
            EXPECT_EQ(Registers(op, voice), cleared) << "voice " << voice;
        }
        EXPECT_FALSE(chip.DamperFlag(op));
        EXPECT_EQ(chip.VelocityTarget(op), 0);
        EXPECT_EQ(chip.VelocityOffset(op), 0);
    }
    Edit(3);
    form.ApplyDefaultOperators();
    EXPECT_EQ(Registers(3, 2), cleared);
    EXPECT_EQ(form.FrameOp10.ComboBoxFreqMultiplier.Text(), "0 cents");
}

TEST_F(OperatorEditing, TuningListIsRebuiltFromTheRecord) {
    form.PutOperator(2, WithTuning({}, 2));
    EXPECT_THAT(form.FrameOp7.ComboBoxFreqMultiplier.Items(), ElementsAre("0 cents", "Edit list"));
    EXPECT_EQ(form.FrameOp7.ComboBoxFreqMultiplier.ItemIndex(), 0)
        << "MULT 2 is not listed: the first entry";
    EXPECT_EQ(Reg(kRegFlags, 2, 3) & 0x0F, 1) << "the frame and the chip agree";

    form.PutOperator(2, WithTuning({3990, 3990, 1234, 0}, 11));
    EXPECT_THAT(form.FrameOp7.ComboBoxFreqMultiplier.Items(),
                ElementsAre("+3990", "0 cents", "Edit list"));
    EXPECT_EQ(form.FrameOp7.ComboBoxFreqMultiplier.Text(), "+3990");
    EXPECT_EQ(Reg(kRegFlags, 2, 0) & 0x0F, 10);

    const OperatorRecord back = Record(2);
    EXPECT_THAT(std::vector<int16_t>(back.tuning.begin(), back.tuning.begin() + 3),
                ElementsAre(3990, 0, OperatorRecord::kNoTuningEntry));
    EXPECT_EQ(back.reg[0], 10);
}

TEST_F(OperatorEditing, EditListOpensTheEditorThenFallsBackToUnison) {
    std::vector<int> opened;
    form.Operators().editTuningList = [&](int op) { opened.push_back(op); };
    ComboBox& box = form.FrameOp4.ComboBoxFreqMultiplier;
    box.UserSelect(2);
    box.UserSelect(box.Count() - 1);
    EXPECT_THAT(opened, ElementsAre(1));
    EXPECT_EQ(box.Text(), "0 cents");
    EXPECT_EQ(Reg(kRegFlags, 1, 0) & 0x0F, 1);

    // An edited list without "0 cents" falls back to its first entry.
    form.Operators().editTuningList = [&](int op) {
        form.FrameOps[static_cast<size_t>(op)]->SetTuningTexts({"+1900", "+3600"});
    };
    box.UserSelect(box.Count() - 1);
    EXPECT_EQ(box.Text(), "+1900");
    EXPECT_EQ(Reg(kRegFlags, 1, 5) & 0x0F, 3);
}

} // namespace
} // namespace vorpline::test
