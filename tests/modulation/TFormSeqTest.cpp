#include <gtest/gtest.h>

#include <fstream>

#include "modulation/TFormSeq.h"
#include "platform/IniFile.h"
#include "support/TempDir.h"

namespace vorpline {
namespace {

class FormSeqTest : public ::testing::Test {
protected:
    FormSeqTest()
        : ini(dir.File("vorpline.ini")),
          form(dir.path,
               {[] { return std::string("Vorpline"); },
                [this](const std::string& message) { errors.push_back(message); }, nullptr},
               [this](uint32_t packed, uint32_t param) {
                   EXPECT_EQ(param, 0u);
                   posted.push_back(packed);
               }) {}

    TFrameNote& Step(int i) { return form.FrameNote[static_cast<size_t>(i)]; }
    void Set(int i, int ifIndex, const char* wait, const char* play, const char* length) {
        Step(i).ComboBoxIf.UserSelect(ifIndex);
        Step(i).ComboBoxWait.UserType(wait);
        Step(i).ComboBoxPlay.UserType(play);
        Step(i).ComboBoxFor.UserType(length);
        Step(i).CheckBoxEnable.SetChecked(true);
    }
    // A step's settings as "G 12 -5 -3 on".
    std::string Row(int i) {
        const TFrameNote& step = Step(i);
        return step.ComboBoxIf.Text() + " " + step.ComboBoxWait.Text() + " " +
               step.ComboBoxPlay.Text() + " " + step.ComboBoxFor.Text() +
               (step.CheckBoxEnable.Checked() ? " on" : "");
    }
    // The posted events since the last call as "+64 -64" (note-on, note-off), each checked for
    // channel 1 and the program's marker.
    std::string Posted() {
        std::string text;
        for (uint32_t packed : posted) {
            EXPECT_EQ(packed >> 24, 0xFEu);
            const uint32_t status = packed & 0xFF;
            EXPECT_TRUE(status == 0x90 || (status == 0x80 && (packed >> 16 & 0xFF) == 0));
            text += (text.empty() ? "" : " ") + std::string(status == 0x90 ? "+" : "-") +
                    std::to_string(packed >> 8 & 0xFF);
        }
        posted.clear();
        fed = 0;
        return text;
    }
    // The engine's part: every posted note comes back to the steps as a note event, until no
    // step posts any more (or steps feeding each other endlessly have been caught).
    void FeedBack() {
        for (; fed < posted.size() && fed < 100; ++fed) {
            const uint32_t packed = posted[fed];
            const auto velocity = static_cast<uint8_t>(packed >> 16);
            form.ClockNote(static_cast<uint8_t>(packed >> 8), velocity, (packed & 0xF0) == 0x90);
        }
    }
    std::filesystem::path Preset(const std::string& name) const {
        return dir.path / TFormSeq::kFolder / (name + TFormSeq::kExtension);
    }

    test::TempDir dir;
    IniFile ini;
    std::vector<std::string> errors;
    std::vector<uint32_t> posted;
    size_t fed = 0; // posted events already handed back
    TFormSeq form;
};

TEST_F(FormSeqTest, StepTimelines) {
    // Script: 'K' strikes the key, 'k' releases it, '.' is a clock tick. After each symbol the
    // step's panel shows its number, "W" or "P"; posted notes are noted with their position.
    const struct {
        const char* name;
        int ifIndex;
        const char* wait;
        const char* play;
        const char* length;
        uint8_t key;
        const char* script;
        const char* panels;
        const char* notes;
    } cases[] = {
        {"wait 3, for 6", 0, "3", "+12", "6", 60, "K.........", "WWWPPPPPP1", "3:+72 9:-72"},
        {"for 0 lasts until release", 0, "3", "+12", "0", 60, "K.....k.", "WWWPPP11",
         "3:+72 6:-72"},
        {"release while waiting", 0, "3", "+12", "0", 60, "K.k...", "WW1111", ""},
        {"release ignored with a length", 0, "3", "+12", "2", 60, "K.k.....", "WWWWPP11",
         "4:+72 6:-72"},
        {"wait 0 plays at once", 1, "0", "-12", "2", 60, "K..", "PP1", "0:+48 2:-48"},
        {"negatives count as 0", 0, "-4", "0", "-2", 60, "K.k", "PP1", "0:+60 2:-60"},
        {"limited to 127", 0, "0", "+24", "1", 120, "K.", "P1", "0:+127 1:-127"},
        {"limited to 0", 0, "0", "-24", "1", 10, "K.", "P1", "0:+0 1:-0"},
        {"texts that are no numbers", 0, "x", "99999999999", "?", 60, "K.k", "PP1", "0:+60 2:-60"},
        {"another pitch class", 2, "0", "0", "1", 60, "K.", "11", ""},
        {"its pitch class", 2, "0", "0", "1", 61, "K.", "P1", "0:+61 1:-61"},
        {"busy step takes no new note", 0, "1", "+1", "3", 60, "K.K...", "WPPPP1", "1:+61 5:-61"},
    };
    form.CheckBoxEnable.SetChecked(true);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        form.Stop();
        posted.clear();
        Set(0, c.ifIndex, c.wait, c.play, c.length);
        std::string panels, notes;
        for (size_t at = 0; c.script[at] != '\0'; ++at) {
            const char symbol = c.script[at];
            if (symbol == '.') {
                form.ClockTick();
            } else {
                form.ClockNote(c.key, 100, symbol == 'K');
            }
            panels += Step(0).PanelNoteId.Caption();
            if (const std::string note = Posted(); !note.empty()) {
                notes += (notes.empty() ? "" : " ") + std::to_string(at) + ":" + note;
            }
        }
        EXPECT_EQ(panels, c.panels);
        EXPECT_EQ(notes, c.notes);
    }
}

TEST_F(FormSeqTest, PlayedNotesComeBackAndStartTheNextStep) {
    form.CheckBoxEnable.SetChecked(true);
    Set(0, 1, "0", "+4", "24"); // C
    Set(1, 5, "0", "3", "24");  // E
    form.ClockNote(60, 90, true);
    FeedBack();
    EXPECT_EQ(Posted(), "+64 +67") << "step 1, busy, does not take its own 64";
    EXPECT_EQ(Step(1).State().StepVelocity, 90);
    for (int tick = 0; tick < 24; ++tick) {
        form.ClockTick();
        FeedBack();
    }
    EXPECT_EQ(Posted(), "-64 -67");

    // A key sounding in both parts is reported twice: the steps it starts end once.
    Set(2, 0, "0", "+7", "0");
    Set(3, 0, "0", "+4", "0");
    for (bool on : {true, true, false, false}) {
        form.ClockNote(50, 100, on);
    }
    EXPECT_EQ(Posted(), "+57 +54 -57 -54");

    // Two steps answering each other's notes: the release is not echoed back and forth.
    Step(2).CheckBoxEnable.SetChecked(false);
    Step(3).CheckBoxEnable.SetChecked(false);
    Set(0, 1, "0", "+2", "0"); // C -> D
    Set(1, 3, "0", "-2", "0"); // D -> C
    for (bool on : {true, false}) {
        form.ClockNote(60, 100, on);
        FeedBack();
    }
    EXPECT_EQ(Posted(), "+62 +60 -62 -60");
    // The same with the key released before step 1's note comes back: that note is over before
    // it is heard and starts nothing, else the two steps would feed each other for ever.
    form.ClockNote(60, 100, true);
    form.ClockNote(60, 0, false);
    FeedBack();
    EXPECT_EQ(Posted(), "+62 -62");
}

TEST_F(FormSeqTest, MasterEnableGatesTicksAndNotesAndStopEndsEveryStep) {
    // Ending every step: step 1's note, then a note-off of note 0 for each of the other eleven.
    const std::string allOff = "-60 -0 -0 -0 -0 -0 -0 -0 -0 -0 -0 -0";
    Set(0, 0, "2", "0", "0");
    form.ClockNote(60, 100, true);
    EXPECT_EQ(Step(0).State().StepState, TFrameNote::kIdle);
    form.CheckBoxEnable.SetChecked(true);
    form.ClockNote(60, 100, true);
    form.CheckBoxEnable.SetChecked(false);
    form.ClockTick();
    form.ClockTick();
    EXPECT_EQ(Posted(), allOff) << "switching off stops";

    // Start and Continue leave the steps alone; Stop and shutdown end every step, sounding or
    // not.
    form.CheckBoxEnable.SetChecked(true);
    form.ClockNote(60, 100, true);
    form.ClockStart();
    form.ClockContinue();
    form.ClockTick();
    form.ClockTick();
    EXPECT_EQ(Posted(), "+60");
    for (auto stop : {&TFormSeq::ClockStop, &TFormSeq::BeforeShutdown}) {
        (form.*stop)();
        EXPECT_EQ(Posted(), allOff);
        EXPECT_EQ(Step(0).PanelNoteId.Caption(), "1");
    }
}

TEST_F(FormSeqTest, PresetIsTwelveRecordsIn144Bytes) {
    Set(0, 8, "12", "-5", "-3");
    Set(11, 0, "abc", "+300", "2147483647");
    Step(11).CheckBoxEnable.SetChecked(false);
    form.ComboBoxPreset.UserType("Echo");
    form.ButtonSave.Click();
    ASSERT_TRUE(errors.empty());
    const std::string file = test::TempDir::Read(Preset("Echo").string());
    std::string expected;
    expected += std::string("\x08\xFB\x01\xFF\x0C\0\0\0\xFD\xFF\xFF\xFF", 12);
    for (char wait = 6; wait <= 33; wait += 3) {
        expected += std::string("\0\0\0\xFF", 4) + wait + std::string(7, '\0');
    }
    // +300 sounds as +127 on every note, so it is stored as 127.
    expected += std::string("\0\x7F\0\xFF\0\0\0\0\xFF\xFF\xFF\x7F", 12);
    EXPECT_EQ(file, expected);
    EXPECT_EQ(form.Caption(), "Sequence - Vorpline - Echo");

    // Loading resets every step first; a sounding one ends its note.
    form.CheckBoxEnable.SetChecked(true);
    Set(5, 0, "0", "0", "0");
    form.ClockNote(40, 100, true);
    Step(0).ComboBoxPlay.UserType("7");
    ASSERT_TRUE(form.Presets()->LoadByName("Echo"));
    EXPECT_EQ(Posted(), "+40 -40");
    EXPECT_EQ(Row(0), "G 12 -5 -3 on");
    EXPECT_EQ(Row(5), "Any 18 0 0");
    EXPECT_EQ(Row(11), "Any 0 127 2147483647");

    // 143 bytes: not listed, and a load fails leaving every step reset.
    std::ofstream(Preset("Short"), std::ios::binary) << file.substr(0, 143);
    form.Presets()->RebuildList();
    EXPECT_EQ(form.ComboBoxPreset.IndexOf("Short"), ComboBox::kNone);
    EXPECT_NE(form.ComboBoxPreset.IndexOf("Echo"), ComboBox::kNone);
    EXPECT_FALSE(form.Presets()->LoadByName("Short"));
    EXPECT_EQ(Row(0), "Any 3 0 0");
    EXPECT_EQ(form.Caption(), "Sequence - Vorpline");
}

TEST_F(FormSeqTest, SettingsKeepPresetAndEnable) {
    Set(3, 0, "0", "+7", "0");
    form.ComboBoxPreset.UserType("Fifths");
    form.ButtonSave.Click();
    ini.WriteString("DEV", TFormSeq::kConfigKey, "Fifths");
    ini.WriteString("DEV", TFormSeq::kEnableKey, "1");
    form.LoadSettings(ini, "DEV", "Vorpline");
    EXPECT_EQ(form.Caption(), "Sequence - Vorpline - Fifths");
    EXPECT_EQ(Row(3), "Any 0 7 0 on");
    EXPECT_FALSE(form.CheckBoxEnable.Checked()) << "applied at the end of start-up";
    form.ApplyStoredEnable();
    EXPECT_TRUE(form.CheckBoxEnable.Checked());
    form.CheckBoxEnable.SetChecked(false);
    IniFile saved(dir.File("saved.ini"));
    form.SaveSettings(saved, "DEV");
    EXPECT_EQ(saved.ReadString("DEV", TFormSeq::kEnableKey, "") +
                  saved.ReadString("DEV", TFormSeq::kConfigKey, ""),
              "0Fifths");
}

} // namespace
} // namespace vorpline
