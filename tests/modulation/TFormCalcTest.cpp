#include <gtest/gtest.h>

#include <climits>

#include "modulation/TFormCalc.h"

namespace vorpline {
namespace {

void Enter(Edit& edit, const std::string& text) {
    edit.SetText(text);
    edit.UserKeyUp('\r');
}

TEST(TFormCalc, ConvertsBarsBeatsAndTicks) {
    TFormCalc calc(16, 96, "Vorpline");
    EXPECT_EQ(calc.Caption(), "Calc - Vorpline");
    EXPECT_EQ(calc.EditBeats.Text(), "16");
    EXPECT_EQ(calc.EditBars.Text(), "1");
    EXPECT_EQ(calc.EditMinus.Text(), "0");

    // Bars 2 minus 1 at 12 beats per bar.
    calc.EditBars.SetText("2");
    calc.EditMinus.SetText("1");
    calc.ComboBoxBPB.UserSelect(calc.ComboBoxBPB.IndexOf("12"));
    EXPECT_EQ(calc.EditBeats.Text(), "12");
    EXPECT_EQ(calc.EditTicks.Text(), "72");

    // Ticks that are no whole number of beats are kept by "OK".
    calc.ComboBoxBPB.UserSelect(calc.ComboBoxBPB.IndexOf("16"));
    Enter(calc.EditTicks, "100");
    EXPECT_EQ(calc.EditBeats.Text(), "16");
    EXPECT_EQ(calc.EditBars.Text(), "1");
    Enter(calc.EditBeats, "x");
    EXPECT_EQ(calc.EditTicks.Text(), "6") << "text that is no number counts 1";
    Enter(calc.EditTicks, "100");
    calc.ButtonOk.Click();
    EXPECT_EQ(calc.Accepted(), 100);
    EXPECT_FALSE(calc.Visible());

    // Beats or bars beyond int stay in int.
    Enter(calc.EditBeats, "999999999999");
    Enter(calc.EditBars, "2000000000");
    EXPECT_EQ(calc.EditTicks.Text(), std::to_string(INT_MAX));
}

TEST(TFormCalc, AsAPlainConverterItHasNoOk) {
    TFormCalc calc(TFormCalc::kNoBeatsPerBar, 96, "Vorpline");
    EXPECT_FALSE(calc.OkShown());
    EXPECT_FALSE(calc.ButtonOk.Enabled());
    EXPECT_EQ(calc.ComboBoxBPB.Text(), "16");
    calc.ButtonCancel.Click();
    EXPECT_EQ(calc.Accepted(), std::nullopt);
}

} // namespace
} // namespace vorpline
