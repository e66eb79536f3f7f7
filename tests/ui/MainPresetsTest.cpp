#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include "platform/IniFile.h"
#include "presets/ExtLayout.h"
#include "presets/TFormParam.h"
#include "ui/ConfirmService.h"
#include "ui/MainFormFixture.h"
#include "ui/MainPresets.h"
#include "ui/TFormInfo.h"
#include "ui/UiService.h"

namespace vorpline::test {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;

std::vector<uint8_t> ReadBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class Answers : public ConfirmService, public UiService {
public:
    bool Confirm(const std::string& message, const std::string& caption) override {
        asked.push_back(caption + ": " + message);
        return true;
    }
    void ShowModal(TFormInfo& info) override { shown.push_back(info.LabelInfo.Caption()); }
    void ShowParam(TFormParam& dialog) override { onParam(dialog); }
    std::function<void(TFormParam&)> onParam;
    std::vector<std::string> asked;
    std::vector<std::string> shown;
};

class MainPresetsTest : public MainFormFixture {
protected:
    MainPresetsTest() {
        presets.AttachEngine(chip, pitch);
        presets.SetConfirmService(&answers);
        form.ui = &answers;
        presets.ComboBoxBankChange();
    }

    // A few settings far from the defaults, made the way the user makes them.
    void EditPanel() {
        form.FrameOp1.TrackBarAttack.SetPosition(3);
        form.FrameOp16.CheckBoxDamper.SetChecked(true);
        form.ComboBoxCNT.UserSelect(5);
        form.ComboBoxFB2.UserSelect(4);
        form.CheckBoxB2.SetChecked(false);
        form.ComboBoxTR1.UserType("-1200");
        form.ComboBoxPri56.UserSelect(0);
    }

    TempDir root;
    Answers answers;
    MainPresets presets{form, root.path};
};

TEST_F(MainPresetsTest, SavedPresetsComeBackIntoControlsAndEngine) {
    EditPanel();
    form.ComboBoxPreset.UserType("Lead");
    form.ButtonSavePreset.Click();
    ASSERT_TRUE(fs::exists(root.path / "6op" / "Lead.sbi"));
    EXPECT_EQ(form.LabelPreset.Caption(), "Preset 1");
    EXPECT_EQ(form.Caption(), "FM Synth - Vorpline 4.30 - Lead");

    presets.ApplyDefault();
    EXPECT_EQ(form.ComboBoxPreset.Text(), "Default");
    EXPECT_EQ(form.LabelPreset.Caption(), "Preset");
    EXPECT_EQ(form.Caption(), "FM Synth - Vorpline 4.30");
    EXPECT_EQ(Reg(kRegAttackDecay, 0, 3), 0xFF) << "the default reaches every voice";

    form.ComboBoxPreset.UserSelect(0);
    EXPECT_EQ(form.FrameOp1.TrackBarAttack.Position(), 3);
    EXPECT_TRUE(form.FrameOp16.CheckBoxDamper.Checked());
    EXPECT_EQ(form.ComboBoxCNT.ItemIndex(), 5);
    EXPECT_EQ(form.ComboBoxFB2.ItemIndex(), 4);
    EXPECT_FALSE(form.CheckBoxB2.Checked());
    EXPECT_EQ(form.ComboBoxTR1.Text(), "-1200");
    EXPECT_EQ(pitch.PartTuning(0), -1200);
    EXPECT_EQ(form.ComboBoxPri56.ItemIndex(), 0);
    EXPECT_EQ(chip.Part(1).GetPriority(), 0);
    EXPECT_EQ(Reg(kRegAttackDecay, 0, 5) >> 4, 3);
    // Algorithm 5: CNT 1 on 1/2, 0 on 3/4, 1 on 5/6; feedback 4 and only the left output there.
    const uint16_t c56 = kRegFeedbackConnection + VoiceChannelOffset(1, 2);
    EXPECT_EQ(chip.ReadRegister(c56), 0x10 | 4 << 1 | 1);

    form.ComboBoxBank.UserSelect(0);
    EXPECT_EQ(form.Caption(), "FM Synth - Vorpline 4.30") << "the other bank has no Lead";
    EXPECT_EQ(form.LabelPreset.Caption(), "Preset");
}

TEST_F(MainPresetsTest, FailedLoadsAndResetWithoutNameKeepTheControls) {
    EditPanel();
    form.ComboBoxPreset.UserType("Missing");
    form.ComboBoxPreset.UserKeyUp('\r');
    EXPECT_EQ(form.LabelPreset.Caption(), "Preset");
    EXPECT_FALSE(presets.LoadPreset());
    EXPECT_EQ(form.Caption(), "FM Synth - Vorpline 4.30");
    EXPECT_EQ(form.FrameOp1.TrackBarAttack.Position(), 3);

    // The bank changes; the sound does not. Reset with no name re-sends the panel.
    presets.ApplyDefault();
    form.FrameOp1.TrackBarAttack.SetPosition(7);
    form.ComboBoxBank.UserSelect(0);
    EXPECT_THAT(form.ComboBoxPreset.Items(), ElementsAre("Default"));
    chip.WriteRegister(kRegAttackDecay + OperatorSlotOffset(0, 4), 0x00);
    form.ButtonReset.Click();
    EXPECT_EQ(Reg(kRegAttackDecay, 0, 4), 0x7F);
    EXPECT_EQ(form.FrameOp1.TrackBarAttack.Position(), 7);
    EXPECT_TRUE(answers.shown.empty());
}

TEST_F(MainPresetsTest, BanksListStepAndKeepTheirKinds) {
    EditPanel();
    for (const char* name : {"b", "A", "c"}) {
        form.ComboBoxPreset.UserType(name);
        form.ButtonSavePreset.Click();
    }
    ASSERT_THAT(form.ComboBoxPreset.Items(), ElementsAre("A", "b", "c"));
    form.ComboBoxPreset.UserType("B");
    form.ComboBoxPreset.UserKeyUp('B');
    EXPECT_EQ(form.LabelPreset.Caption(), "Preset 2");

    presets.StepPreset(+1);
    EXPECT_EQ(form.ComboBoxPreset.Text(), "A") << "nothing selected: forward is the first";
    presets.StepPreset(-1);
    EXPECT_EQ(form.ComboBoxPreset.Text(), "c");
    presets.StepPreset(+1);
    EXPECT_EQ(form.Caption(), "FM Synth - Vorpline 4.30 - A");

    // A 2-op preset copied into the 6-op bank loads as what it is: operators 5/6 only.
    form.ComboBoxBank.UserSelect(0);
    form.FrameOp16.TrackBarRelease.SetPosition(2);
    form.ComboBoxPreset.UserType("Two");
    form.ButtonSavePreset.Click();
    EXPECT_EQ(fs::file_size(root.path / "2op" / "Two.sbi"), 52u);
    fs::copy_file(root.path / "2op" / "Two.sbi", root.path / "6op" / "Two.sbi");
    form.ComboBoxBank.UserSelect(2);
    presets.ApplyDefault();
    form.ComboBoxPreset.UserType("Two");
    EXPECT_TRUE(presets.LoadPreset());
    EXPECT_EQ(form.FrameOp16.TrackBarRelease.Position(), 2);
    EXPECT_EQ(form.FrameOp1.TrackBarAttack.Position(), 15) << "operator 1 keeps the default";
}

TEST_F(MainPresetsTest, DeletingTheCurrentPresetAlwaysEndsOnTheDefault) {
    EditPanel();
    form.ComboBoxPreset.UserType("Doomed");
    form.ButtonSavePreset.Click();
    fs::remove(root.path / "6op" / "Doomed.sbi"); // gone behind the program's back
    form.ButtonDelete.Click();
    EXPECT_THAT(answers.asked, ElementsAre("FM Synth: Delete preset?"));
    EXPECT_THAT(answers.shown, ElementsAre("Preset delete failed."));
    EXPECT_EQ(form.FrameOp1.TrackBarAttack.Position(), 15);
    EXPECT_EQ(form.ComboBoxPreset.Text(), "Default");
    EXPECT_EQ(Reg(kRegAttackDecay, 0, 0), 0xFF);

    form.ComboBoxPreset.UserType("a/b");
    form.ButtonSavePreset.Click();
    form.ComboBoxPreset.UserType("Default");
    form.ButtonSavePreset.Click();
    EXPECT_EQ(answers.shown.at(1), "A preset name cannot contain \"/\" or \"\\\".");
    EXPECT_EQ(answers.shown.at(2), "The Default preset cannot be saved.");
    EXPECT_FALSE(fs::exists(root.path / "6op" / "a"));
}

TEST_F(MainPresetsTest, ParameterDialogValuesTravelWithSixOpPresets) {
    pitch.SetBendRange(1, 3000); // set by RPN beyond the dialog's range
    pitch.PitchBend(0, 16383);
    answers.onParam = [](TFormParam& d) {
        EXPECT_EQ(d.Caption(), "Parameters - Vorpline 4.30");
        d.TrackBarPitch1234.SetPosition(200);
        d.TrackBarDepth1234.SetPosition(100);
        d.TrackBarDepth56.SetPosition(4700);
        d.TrackBarPortamento1234.SetPosition(40);
        d.CheckBox1234Release.SetChecked(true);
        d.CheckBox56Attack.SetChecked(true);
        d.ButtonOk.Click();
    };
    form.ButtonParam.Click();
    const PresetParameters edited = {{200, 2399}, {100, 4700}, {40, 0}, 0x21};
    EXPECT_EQ(presets.Parameters(), edited);
    EXPECT_EQ(chip.LegatoFlags(), 0x21);
    EXPECT_NE(pitch.Bend(0), 0) << "the dialog leaves the wheel where it is";

    form.ComboBoxPreset.UserType("Params");
    form.ButtonSavePreset.Click();
    const fs::path file = root.path / "6op" / "Params.sbi";
    const std::vector<uint8_t> saved = ReadBytes(file);
    ASSERT_EQ(saved.size(), TSbi::kSize6op);
    std::vector<int> fields;
    for (int at : {ext::kLegato, ext::kBendRange1234, ext::kBendRange1234 + 1, ext::kBendRange56,
                   ext::kBendRange56 + 1, ext::kPortamento1234, ext::kPortamento56,
                   ext::kModRange1234, ext::kModRange56, ext::kModRange56 + 1}) {
        fields.push_back(saved[TSbi::kMin6op + static_cast<size_t>(at)]);
    }
    EXPECT_THAT(fields, ElementsAre(0x21, 200, 0, 0x5F, 0x09, 40, 0, 100, 0x5C, 0x12));

    presets.ApplyParameters(PresetParameters{});
    form.ComboBoxPreset.UserSelect(0);
    EXPECT_EQ(presets.Parameters(), edited);
    EXPECT_EQ(pitch.Bend(0), 0) << "a new preset starts unbent";
    form.ButtonSavePreset.Click();
    EXPECT_EQ(ReadBytes(file), saved);

    // Cancel keeps what a controller set while the dialog was open.
    answers.onParam = [this](TFormParam& d) {
        d.ButtonDefault.Click();
        pitch.SetBendRange(0, 500);
        d.ButtonCancel.Click();
    };
    form.ButtonParam.Click();
    EXPECT_EQ(presets.Parameters().bendRange[0], 500);
    EXPECT_EQ(presets.Parameters().modulationRange[1], 4700);
}

TEST_F(MainPresetsTest, StartUpSelectsTheStoredBankAndPreset) {
    EditPanel();
    form.ComboBoxBank.UserSelect(1);
    form.ComboBoxPreset.UserType("Four");
    form.ButtonSavePreset.Click();
    presets.ApplyDefault();

    IniFile ini(root.File("vorpline.ini"));
    ini.WriteString("WAVE@0", "Bank", "1");
    ini.WriteString("WAVE@0", "Main Preset", "Four");
    form.ComboBoxBank.UserSelect(2);
    presets.LoadSettings(ini, "WAVE@0");
    EXPECT_EQ(form.ComboBoxBank.Text(), "4op 1-4");
    EXPECT_EQ(form.FrameOp1.TrackBarAttack.Position(), 3);
    EXPECT_EQ(form.Caption(), "FM Synth - Vorpline 4.30 - Four");

    ini.WriteString("WAVE@0", "Bank", "9");
    presets.LoadSettings(ini, "WAVE@0");
    EXPECT_EQ(form.ComboBoxBank.Text(), "6op 1-6") << "a bank that does not exist";
}

// A bank of one 4-operator and one 2-operator instrument lands in both banks; the list of the
// selected bank shows it at once, and a second import replaces only after the user's OK.
TEST_F(MainPresetsTest, ImportBankFillsBothBanks) {
    std::vector<uint8_t> bank(120, 0);
    for (size_t r = 0; r < 2; ++r) {
        std::copy_n(r == 0 ? "4OP\x1a"
                             "Lead"
                           : "2OP\x1a"
                             "Bass",
                    8, bank.begin() + 60 * r);
        bank[60 * r + 40] = static_cast<uint8_t>(0xA1 + r); // attack/decay of the first operator
    }
    const fs::path good = root.path / "two.o3";
    const fs::path cut = root.path / "cut.o3";
    std::ofstream(good, std::ios::binary).write(reinterpret_cast<const char*>(bank.data()), 120);
    std::ofstream(cut, std::ios::binary).write(reinterpret_cast<const char*>(bank.data()), 100);
    form.ComboBoxBank.UserSelect(1);
    struct Step {
        fs::path file;
        const char* shown;
        size_t asked;
    };
    for (const Step& step : {Step{cut, "Cannot import cut.o3: record 2 is cut short", 0},
                             Step{good, "Imported 1 presets into 2op and 1 into 4op.", 0},
                             Step{good, "Imported 1 presets into 2op and 1 into 4op.", 1}}) {
        presets.openBankDialog = [&](const FileRequest&) { return step.file.string(); };
        answers.shown.clear();
        form.ButtonImportBank.Click();
        ASSERT_EQ(answers.shown.size(), 1u);
        EXPECT_EQ(answers.shown[0].rfind(step.shown, 0), 0u) << answers.shown[0];
        EXPECT_EQ(answers.asked.size(), step.asked);
    }
    EXPECT_THAT(form.ComboBoxPreset.Items(), ElementsAre("Lead"));
    PatchRecord patch;
    PatchExt ext;
    ASSERT_TRUE(presets.Sbi().Read("2op", "Bass", patch, ext));
    EXPECT_EQ(patch.op[4].reg[2], 0xA2);
}

} // namespace
} // namespace vorpline::test
