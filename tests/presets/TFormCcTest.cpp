#include <gtest/gtest.h>

#include <fstream>

#include "platform/IniFile.h"
#include "presets/CcPresetText.h"
#include "presets/TFormCc.h"
#include "support/TempDir.h"

namespace vorpline {
namespace {

class TFormCcTest : public ::testing::Test {
protected:
    TFormCcTest()
        : form(dir.path,
               {[] { return std::string("Vorpline"); },
                [this](const std::string& message) { errors.push_back(message); }, nullptr}) {}

    std::string Preset(const std::string& name) const {
        return (dir.path / TFormCc::kFolder / (name + ".txt")).string();
    }
    void WritePreset(const std::string& name, const std::string& bytes) const {
        std::filesystem::create_directories(dir.path / TFormCc::kFolder);
        std::ofstream(Preset(name), std::ios::binary) << bytes;
    }
    bool Load(const std::string& name) { return form.Presets()->LoadByName(name); }
    uint8_t Number(CcTargetIndex function) const { return form.Numbers()[function]; }

    test::TempDir dir;
    std::vector<std::string> errors;
    TFormCc form;
};

TEST_F(TFormCcTest, TypedNumbersAreKeptAsTypedAndActByTheirLowEightBits) {
    const struct {
        const char* typed;
        uint8_t number;
        const char* normalised;
    } cases[] = {
        {"12 ", 12, "12"}, {" 7", 7, "7"},  {"300", 44, "300"},      {"-1", 255, "-1"},
        {"abc", 0, "0"},   {"", 0, "0"},    {"12abc", 0, "0"},       {"+5", 5, "5"},
        {"007", 7, "7"},   {"1e3", 0, "0"}, {"99999999999", 0, "0"}, {"+-3", 0, "0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        form.ValueListEditor.UserEdit(kCcMasterVolume, c.typed);
        EXPECT_EQ(form.ValueListEditor.Value(kCcMasterVolume), c.typed);
        EXPECT_EQ(Number(kCcMasterVolume), c.number);
        EXPECT_EQ(NormaliseCcNumber(c.typed), c.normalised);
    }
    // Out of the box 71..78 serve the operators, not the auxiliaries behind them.
    form.Presets()->ApplyDefault();
    EXPECT_EQ(FindCcFunction(form.Numbers(), 71), kCcKeyScaling);
    EXPECT_EQ(form.Numbers(), kDefaultCcNumbers);
}

TEST_F(TFormCcTest, LearningAndLoggingAreIndependent) {
    auto logged = [&] { return form.ListView.Rows().size(); };
    // Learning with the log off still learns.
    form.ValueListEditor.UserMouseDown(kCcOperatorVolume, 0, false);
    form.StartLearning.Click();
    EXPECT_FALSE(form.StartLearning.Enabled());
    EXPECT_EQ(form.ValueListEditor.MarkedRow(), kCcOperatorVolume);
    EXPECT_EQ(form.LabelStatus.Caption(), "Learning: Operator Volume");
    form.ControllerObserved(30, 5);
    form.ControllerObserved(31, 6);
    EXPECT_EQ(form.ValueListEditor.Value(kCcOperatorVolume), "31") << "stays on until stopped";
    EXPECT_EQ(Number(kCcOperatorVolume), 31);
    EXPECT_EQ(logged(), 0u);
    // A click moves learning to the clicked row; a left click on a number does not select.
    form.ValueListEditor.UserMouseDown(kCcAttack, 1, false);
    EXPECT_EQ(form.ValueListEditor.Row(), kCcOperatorVolume);
    form.ValueListEditor.UserMouseDown(kCcAttack, 1, true);
    form.ValueListEditor.UserClick();
    form.ControllerObserved(40, 0);
    EXPECT_EQ(Number(kCcAttack), 40);
    // Hiding the window ends learning; logging with learning off still logs, newest on top.
    form.Show();
    form.Hide();
    EXPECT_EQ(form.LearningRow(), -1);
    EXPECT_TRUE(form.StartLearning.Enabled());
    EXPECT_FALSE(form.StopLearning.Enabled());
    EXPECT_EQ(form.LabelStatus.Caption(), "");
    form.CheckBoxEnable.SetChecked(true);
    for (int i = 0; i <= 128; ++i) {
        form.ControllerObserved(static_cast<uint8_t>(i % 128), 9);
    }
    EXPECT_EQ(Number(kCcAttack), 40);
    ASSERT_EQ(logged(), TFormCc::kLogRows) << "the 129th pushes the oldest out";
    EXPECT_EQ(form.ListView.Rows().front(), (ReportList::Row{"0", "9"}));
    EXPECT_EQ(form.ListView.Rows().back(), (ReportList::Row{"1", "9"}));
}

TEST_F(TFormCcTest, UndefineParksFunctionsOnUndefinedControllers) {
    form.ValueListEditor.SetRow(kCcMasterPan);
    form.Undefine.Click();
    EXPECT_EQ(Number(kCcMasterPan), 3);
    for (int pass = 0; pass < 2; ++pass) {
        form.UndefineAll.Click();
        CcNumberTable expected = kDefaultCcNumbers;
        size_t next = 0;
        for (int row = 0; row < kCcTargetCount; ++row) {
            if (row < kCcAuxiliary1 || row > kCcAuxiliary8) {
                expected[static_cast<size_t>(row)] = TFormCc::kUndefinedControllers[next++];
            }
        }
        EXPECT_EQ(form.Numbers(), expected) << "pass " << pass << ": the cursor restarts";
    }
}

TEST_F(TFormCcTest, PresetsAreTextLinesReadByName) {
    // Names ignore case, line order does not matter, unknown lines are skipped, rows without
    // a line keep their numbers, the first line of a name counts.
    WritePreset("One", "x=1\nmaster volume= 11 \r\nMaster Volume=12\rjunk");
    ASSERT_TRUE(Load("One"));
    CcNumberTable expected = kDefaultCcNumbers;
    expected[kCcMasterVolume] = 11;
    EXPECT_EQ(form.Numbers(), expected);
    EXPECT_EQ(form.ValueListEditor.Value(kCcMasterVolume), "11");
    EXPECT_EQ(form.Caption(), "Control Change - Vorpline - One");

    form.ComboBoxPreset.SetText("Saved");
    form.ButtonSave.Click();
    std::string lines;
    for (int row = 0; row < kCcTargetCount; ++row) {
        lines += std::string(kCcFunctionNames[static_cast<size_t>(row)]) + "=" +
                 std::to_string(expected[static_cast<size_t>(row)]) + "\r\n";
    }
    EXPECT_EQ(test::TempDir::Read(Preset("Saved")), lines);

    // What is not a preset: bytes that are no text change nothing and load; a file far too
    // large is refused with a message; a missing one is simply not loaded.
    WritePreset("Binary", std::string("\0\xff\x80=\xfe\n\r=", 9));
    EXPECT_TRUE(Load("Binary"));
    EXPECT_EQ(form.Numbers(), expected);
    WritePreset("Huge", std::string(TFormCc::kMaxPresetBytes + 1, 'a'));
    EXPECT_FALSE(Load("Huge"));
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find("larger than 64 KiB"), std::string::npos);
    EXPECT_FALSE(Load("Missing"));
    EXPECT_EQ(form.Numbers(), expected);
    EXPECT_EQ(form.Caption(), "Control Change - Vorpline");

    IniFile ini(dir.File("vorpline.ini"));
    form.SaveSettings(ini, "OUT");
    EXPECT_EQ(ini.ReadString("OUT", "CC Preset", ""), "Missing");
}

} // namespace
} // namespace vorpline
