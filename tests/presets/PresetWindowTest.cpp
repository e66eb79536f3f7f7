#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/IniFile.h"
#include "presets/PresetWindow.h"
#include "support/TempDir.h"
#include "ui/ConfirmService.h"

namespace vorpline::test {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

class ScriptedConfirm : public ConfirmService {
public:
    bool Confirm(const std::string& message, const std::string& caption) override {
        asked.push_back(caption + ": " + message);
        return answer;
    }
    bool answer = true;
    std::vector<std::string> asked;
};

void Touch(const fs::path& file, const std::string& text = "x") {
    fs::create_directories(file.parent_path());
    std::ofstream(file) << text;
}

TEST(PresetFolderListing, DefaultIsReservedAndCaseDoesNotOrder) {
    TempDir dir;
    EXPECT_THAT(ListPresetNames(dir.path / "missing", ".lfo"), ElementsAre("Default"));
    EXPECT_THAT(ListPresetNames(dir.path, ".lfo"), ElementsAre("Default"));
    Touch(dir.path / "Default.lfo");
    EXPECT_THAT(ListPresetNames(dir.path, ".lfo"), ElementsAre("Default"));
    for (const char* file : {"beta.lfo", "Alpha.lfo", "gamma.LFO", "Zed.lfo", "default.lfo",
                             "notes.txt", ".lfo", "Ping.lfo.bak"}) {
        Touch(dir.path / file);
    }
    fs::create_directories(dir.path / "folder.lfo");
    EXPECT_THAT(ListPresetNames(dir.path, ".lfo"), ElementsAre("Alpha", "beta", "default", "Zed"));
    // A fixed-size format lists only files of its size.
    Touch(dir.path / "long.lfo", "xy");
    EXPECT_THAT(ListPresetNames(dir.path, ".lfo", 2), ElementsAre("long"));
    EXPECT_THAT(ListPresetNames(dir.path, ".lfo", 3), ElementsAre("Default"));
}

TEST(PresetFolderNames, NamesThatCouldLeaveTheFolderAreRefused) {
    for (const std::string& name :
         std::vector<std::string>{"", "   ", "a/b", "..", "../up", "a\\b", ".hidden",
                                  std::string("tab\there"), std::string(129, 'n')}) {
        EXPECT_FALSE(PresetFolder::NameProblem(name).empty()) << name;
    }
    for (const std::string& name : std::vector<std::string>{"Lead", "Bass 2", "Pad (warm)", "a..b",
                                                            "Ünïcode", std::string(128, 'n')}) {
        EXPECT_EQ(PresetFolder::NameProblem(name), "") << name;
    }
    PresetFolder folder("/presets/lfo", ".lfo");
    EXPECT_EQ(folder.PathOf("Slow"), fs::path("/presets/lfo/Slow.lfo"));
    EXPECT_FALSE(folder.PathOf("../Slow").has_value());
}

// A tool window whose contents are one text, stored as the file's text.
class PresetPanel : public ::testing::Test {
protected:
    PresetPanel() { window.RebuildList(); }

    bool ReadText(const std::string& name) {
        auto path = window.Folder().PathOf(name);
        std::ifstream in(path ? *path : fs::path());
        if (!in) {
            return false;
        }
        std::getline(in, contents);
        return true;
    }
    bool WriteText(const std::string& name) {
        auto path = window.Folder().PathOf(name);
        std::vector<uint8_t> bytes(contents.begin(), contents.end());
        return path && ReplaceFileContents(*path, bytes);
    }
    fs::path File(const std::string& name) const { return dir.path / "lfo" / (name + ".lfo"); }

    TempDir dir;
    Form form{"FormLFO", "LFO"};
    ComboBox preset{"ComboBoxPreset", {}, 0, true};
    Label label{"LabelPreset", "Preset"};
    Button save{"ButtonSave", "Save"};
    Button reset{"ButtonReset", "Reset"};
    Button defaults{"ButtonDefault", "Default"};
    Button remove{"ButtonDelete", "Delete"};
    ScriptedConfirm confirm;
    std::vector<std::string> errors;
    std::string contents = "built-in";
    PresetWindow window{{form, preset, label, save, reset, defaults, remove},
                        {dir.path / "lfo", ".lfo", "LFO - ", "LFO", "LFO Preset",
                         [this](const std::string& n) { return ReadText(n); },
                         [this](const std::string& n) { return WriteText(n); },
                         [this] { contents = "built-in"; }},
                        {[] { return std::string("Vorpline 4.30"); },
                         [this](const std::string& m) { errors.push_back(m); }, &confirm}};
};

TEST_F(PresetPanel, SaveChecksTheNameWritesAndLoadsTheNewPreset) {
    for (const char* name : {"", "Default", "../../escape"}) {
        preset.UserType(name);
        save.Click();
    }
    EXPECT_THAT(errors, ElementsAre("You must supply a name for the preset.",
                                    "The Default preset cannot be saved.",
                                    "A preset name cannot contain \"/\" or \"\\\"."));
    EXPECT_FALSE(fs::exists(dir.path.parent_path() / "escape.lfo"));
    EXPECT_FALSE(fs::exists(dir.path / "lfo"));

    contents = "slow wobble";
    preset.UserType("Wobble");
    save.Click();
    EXPECT_EQ(TempDir::Read(File("Wobble").string()), "slow wobble");
    EXPECT_THAT(preset.Items(), ElementsAre("Wobble"));
    EXPECT_EQ(preset.ItemIndex(), 0);
    EXPECT_EQ(form.Caption(), "LFO - Vorpline 4.30 - Wobble");
    EXPECT_EQ(label.Caption(), "Preset") << "a tool window's label never counts";

    // A folder in the file's place: the write fails and says so; list and contents stay.
    fs::create_directories(File("Blocked"));
    preset.UserType("Blocked");
    save.Click();
    EXPECT_EQ(errors.back(), "Preset save failed.");
    EXPECT_THAT(preset.Items(), ElementsAre("Wobble"));
    EXPECT_EQ(contents, "slow wobble");
}

TEST_F(PresetPanel, LoadingByPickEnterResetAndStep) {
    for (const auto& [name, text] : {std::pair{"b", "bee"}, {"A", "ay"}, {"c", "sea"}}) {
        Touch(File(name), text);
    }
    window.RebuildList();
    ASSERT_THAT(preset.Items(), ElementsAre("A", "b", "c"));

    preset.UserSelect(1);
    EXPECT_EQ(contents, "bee");
    EXPECT_EQ(form.Caption(), "LFO - Vorpline 4.30 - b");

    // Typing loads nothing until Enter, and only a listed name; case is forgiven.
    preset.UserType("C");
    preset.UserKeyUp('C');
    EXPECT_EQ(contents, "bee");
    preset.UserKeyUp('\r');
    EXPECT_EQ(contents, "sea");
    EXPECT_EQ(preset.Text(), "c");
    preset.UserType("nothing");
    preset.UserKeyUp('\r');
    EXPECT_EQ(contents, "sea");

    contents = "edited";
    preset.UserType("c");
    reset.Click();
    EXPECT_EQ(contents, "sea") << "Reset reads the file again";

    window.Step(+1);
    EXPECT_EQ(preset.Text(), "A") << "past the end wraps to the first";
    window.Step(-1);
    EXPECT_EQ(preset.Text(), "c") << "before the start wraps to the last";
    preset.SetItemIndex(ComboBox::kNone);
    window.Step(-1);
    EXPECT_EQ(preset.Text(), "c") << "backwards from nothing is the last";
    preset.SetItemIndex(ComboBox::kNone);
    window.Step(+1);
    EXPECT_EQ(preset.Text(), "A");
    EXPECT_EQ(contents, "ay");

    fs::remove(File("b"));
    preset.UserSelect(1);
    EXPECT_EQ(contents, "ay") << "a vanished file changes nothing";
    EXPECT_EQ(form.Caption(), "LFO - Vorpline 4.30");
}

TEST_F(PresetPanel, DefaultAndDeleteAskFirst) {
    Touch(File("Keep"), "kept");
    Touch(File("Gone"), "gone");
    window.RebuildList();
    preset.UserSelect(0);
    ASSERT_EQ(contents, "gone");

    confirm.answer = false;
    defaults.Click();
    remove.Click();
    EXPECT_EQ(contents, "gone");
    EXPECT_TRUE(fs::exists(File("Gone")));
    EXPECT_THAT(confirm.asked, ElementsAre("LFO: Reset to default?", "LFO: Delete preset?"));

    confirm.answer = true;
    remove.Click();
    EXPECT_FALSE(fs::exists(File("Gone")));
    EXPECT_THAT(preset.Items(), ElementsAre("Keep"));
    EXPECT_EQ(contents, "built-in");
    EXPECT_EQ(preset.Text(), "Default");
    EXPECT_EQ(preset.ItemIndex(), ComboBox::kNone);
    EXPECT_EQ(form.Caption(), "LFO - Vorpline 4.30");
    EXPECT_THAT(errors, IsEmpty());

    // A file that went away meanwhile: the deletion fails, the default still comes.
    preset.UserSelect(0);
    fs::remove(File("Keep"));
    remove.Click();
    EXPECT_THAT(errors, ElementsAre("Preset delete failed."));
    EXPECT_EQ(contents, "built-in");
    EXPECT_THAT(preset.Items(), ElementsAre("Default"));

    for (const char* name : {"Default", "../../etc/passwd"}) {
        preset.UserType(name);
        remove.Click();
    }
    EXPECT_THAT(errors,
                ElementsAre("Preset delete failed.", "The default preset cannot be deleted.",
                            "A preset name cannot contain \"/\" or \"\\\"."));
    EXPECT_EQ(confirm.asked.size(), 4u) << "refused names are not even asked about";
}

TEST_F(PresetPanel, TheLastPresetComesBackFromTheConfiguration) {
    Touch(File("Saved"), "from file");
    IniFile ini(dir.File("vorpline.ini"));
    ini.WriteString("OPL3@0388", "LFO Preset", "Saved");
    window.LoadSettings(ini, "OPL3@0388");
    EXPECT_EQ(contents, "from file");
    EXPECT_EQ(form.Caption(), "LFO - Vorpline 4.30 - Saved");

    preset.UserType("Other");
    window.SaveSettings(ini, "OPL3@0388");
    EXPECT_EQ(ini.ReadString("OPL3@0388", "LFO Preset", ""), "Other");

    IniFile empty(dir.File("none.ini"));
    contents = "edited";
    window.LoadSettings(empty, "OPL3@0388");
    EXPECT_EQ(contents, "built-in") << "no key means \"Default\"";
}

} // namespace
} // namespace vorpline::test
