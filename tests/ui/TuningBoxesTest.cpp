#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "presets/ExtLayout.h"
#include "ui/MainFormFixture.h"
#include "ui/PatchControls.h"

namespace vorpline::test {
namespace {

class TuningBoxes : public MainFormFixture {
protected:
    TuningBoxes() { chip.ApplyPatch(SustainedPatch(), Ext(1, 1)); }

    // The pitch the chip plays for A4 on `part`, from the block and F-number written (Mono:
    // voice 0); 0 for a silent F-number.
    double PlayedA4(int part) {
        pitch.NoteOn(part, 69, 100);
        const uint16_t channel = chip.Part(part).ChannelOffset(0);
        const uint8_t b0 = chip.ReadRegister(static_cast<uint16_t>(0xB0 + channel));
        const int fnumber =
            (b0 & 3) << 8 | chip.ReadRegister(static_cast<uint16_t>(0xA0 + channel));
        const int block = (b0 >> 2) & 7;
        pitch.NoteOff(part, 69);
        return fnumber * 49716.0 / std::exp2(20 - block);
    }
};

TEST_F(TuningBoxes, EveryOfferedTuningPlaysA4AtItsPitch) {
    const struct {
        ComboBox& box;
        int part;
    } boxes[] = {{form.ComboBoxTranspose, 1}, {form.ComboBoxTR1, 0}, {form.ComboBoxTR2, 1}};
    for (const auto& b : boxes) {
        for (int i = 0; i < b.box.Count(); ++i) {
            b.box.UserSelect(i);
            const double wanted = 440.0 * std::exp2(TuningCents(b.box.Text()) / 1200.0);
            EXPECT_NEAR(PlayedA4(b.part) / wanted, 1.0, 0.002)
                << b.box.Name() << " " << b.box.Text();
        }
        b.box.UserSelect(b.box.IndexOf("0 cents"));
    }
    // The top of the range is still in the chip's range.
    form.ComboBoxTR1.UserType(std::to_string(kHighestTuningCents));
    EXPECT_NEAR(PlayedA4(0), 440.0 * std::exp2(kHighestTuningCents / 1200.0), 10.0);
}

TEST_F(TuningBoxes, TheBoxShowsTheValueInUse) {
    const struct {
        std::string typed;
        std::string whileTyping; // at once, before the handler and the pitch read it
        std::string afterwards;  // once typing ends
        int cents;
    } cases[] = {
        {"abc", "abc", "0 cents", 0},      {"-", "-", "0 cents", 0},
        {" +050 ", " +050 ", "+50", 50},   {"-1200", "-1200", "-1200", -1200},
        {"99999", "+4500", "+4500", 4500}, {"+4800", "+4500", "+4500", 4500},
        {"+6000", "+4500", "+4500", 4500}, {"-99999999999999999999", "-6000", "-6000", -6000},
    };
    for (const auto& c : cases) {
        form.ComboBoxTranspose.UserType(c.typed);
        form.ComboBoxTR2.UserType(c.typed);
        EXPECT_EQ(form.ComboBoxTranspose.Text(), c.whileTyping);
        EXPECT_EQ(pitch.MasterTuning(), c.cents) << c.typed;
        EXPECT_EQ(pitch.PartTuning(1), c.cents) << c.typed;
        MainPanels::TuningEditDone(form.ComboBoxTranspose);
        MainPanels::TuningEditDone(form.ComboBoxTR2);
        EXPECT_EQ(form.ComboBoxTranspose.Text(), c.afterwards);
        EXPECT_EQ(form.ComboBoxTR2.Text(), c.afterwards);
        EXPECT_EQ(pitch.MasterTuning(), c.cents) << c.typed;
    }
}

TEST_F(TuningBoxes, APresetBeyondTheRangeIsShownAndPlayedAtItsEnd) {
    PatchRecord patch = SustainedPatch();
    PatchExt ext = Ext(1, 1);
    ext::PutU16(ext, ext::kTranspose, 30000);
    ext::PutU16(ext, ext::kTuning1234, static_cast<uint16_t>(-32000));
    ShowPatch(form, patch, ext);
    EXPECT_EQ(form.ComboBoxTranspose.Text(), "+4500");
    EXPECT_EQ(pitch.MasterTuning(), 4500);
    EXPECT_EQ(form.ComboBoxTR1.Text(), "-6000");
    EXPECT_EQ(pitch.PartTuning(0), -6000);
    // The RPN tuning controllers go through the same bounds.
    form.SetMasterTuning(6400 + 99);
    EXPECT_EQ(form.ComboBoxTranspose.Text(), "+4500");
    EXPECT_EQ(pitch.MasterTuning(), 4500);
}

} // namespace
} // namespace vorpline::test
