#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "engine/OPL3.h"
#include "platform/IniFile.h"
#include "platform/VirtualTimerService.h"
#include "presets/TFormDrum.h"
#include "support/RecordingBackend.h"
#include "support/TempDir.h"

namespace vorpline {
namespace {

class FormDrumTest : public ::testing::Test {
protected:
    FormDrumTest()
        : chip(backend, timers, {.drumMode = true}),
          form(dir.path,
               {[] { return std::string("Vorpline"); },
                [this](const std::string& message) { errors.push_back(message); }, nullptr},
               &chip) {
        chip.WriteRegister(0xBD, 0xE0); // both depths on, as the main window may set them
        backend.writes.clear();
    }

    std::filesystem::path Preset(const std::string& name) const {
        return dir.path / TFormDrum::kFolder / (name + TFormDrum::kExtension);
    }
    void WriteFile(const std::string& name, const std::string& bytes) {
        std::filesystem::create_directories(Preset(name).parent_path());
        std::ofstream(Preset(name), std::ios::binary) << bytes;
    }
    // The drum bits of every 0xBD write, in hex; the depths (bits 6-7) must never move.
    std::string Strikes() const {
        std::string text;
        char buf[8];
        for (uint8_t value : backend.ValuesOf(0xBD)) {
            EXPECT_EQ(value & 0xE0, 0xE0);
            std::snprintf(buf, sizeof buf, "%s%02X", text.empty() ? "" : " ", value & 0x1F);
            text += buf;
        }
        return text;
    }

    test::TempDir dir;
    std::vector<std::string> errors;
    test::RecordingBackend backend;
    VirtualTimerService timers;
    OPL3 chip;
    TFormDrum form;
};

TEST(FormDrum, NoteTexts) {
    EXPECT_EQ(TFormDrum::NoteText(35), "35 B0");
    EXPECT_EQ(TFormDrum::NoteText(37), "37 C1#");
    EXPECT_EQ(TFormDrum::NoteText(46), "46 A1#");
    EXPECT_EQ(TFormDrum::NoteText(81), "81 A4");
    EXPECT_EQ(TFrameOpD::TuningTexts().size(), 13u);
    EXPECT_EQ(TFrameOpD::TuningTexts()[12], "+4690");
}

TEST_F(FormDrumTest, NotesStrikeTheirDrumsInOrder) {
    struct Case {
        const char* name;
        std::function<void(TFormDrum&)> setup;
        uint8_t note;
        uint8_t velocity;
        const char* strikes; // drum bits after each 0xBD write
    };
    const std::vector<Case> cases = {
        {"bass drum: off, then on", [](TFormDrum&) {}, 36, 100, "00 10"},
        {"velocity 0 is a note-off", [](TFormDrum&) {}, 36, 0, ""},
        {"below the lists", [](TFormDrum&) {}, 34, 100, ""},
        {"above the lists", [](TFormDrum&) {}, 82, 100, ""},
        {"a note nobody has", [](TFormDrum&) {}, 37, 100, ""},
        // Hi-hat 0x01 before snare 0x08, whatever order the boxes were set in.
        {"two drums on one note",
         [](TFormDrum& f) { f.ComboBoxAssignHH.UserSelect(f.ComboBoxAssignSD.ItemIndex()); }, 38,
         90, "00 01 01 09"},
        {"all five on the last note",
         [](TFormDrum& f) {
             for (ComboBox* box : {&f.ComboBoxAssignBD, &f.ComboBoxAssignHH, &f.ComboBoxAssignSD,
                                   &f.ComboBoxAssignTOM, &f.ComboBoxAssignTC}) {
                 box->UserSelect(46);
             }
         },
         81, 1, "00 10 10 11 11 19 19 1D 1D 1F"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        form.Presets()->ApplyDefault();
        c.setup(form);
        chip.WriteRegister(0xBD, 0xE0);
        backend.writes.clear();
        form.PlayByNote(c.note, c.velocity);
        EXPECT_EQ(Strikes(), c.strikes);
    }
    // The buttons strike at velocity 100 on the press.
    chip.WriteRegister(0xBD, 0xE0);
    backend.writes.clear();
    form.SpeedButtonTC.Click();
    form.SpeedButtonTOM.Click();
    EXPECT_EQ(Strikes(), "00 02 02 06");
}

TEST_F(FormDrumTest, VelocityScalesTheTargetUntilTheTargetGoesOff) {
    struct Case {
        TFrameOpD TFormDrum::*frame;
        TFormDrum::Drum drum;
        int target;
        int offset;
        uint8_t velocity;
        uint16_t reg;
        uint8_t scaled;
        uint8_t restored;
    };
    using D = TFormDrum::Drum;
    const Case cases[] = {
        // Volume 63 at velocity 100 + offset 1: TL = 63 - trunc(63 x 101 / 127) = 13.
        {&TFormDrum::FrameOpBDC, D::BassDrum, TFrameOpD::kVolume, 1, 100, 0x53, 13, 0},
        {&TFormDrum::FrameOpBDM, D::BassDrum, TFrameOpD::kVolume, 127, 1, 0x50, 63 - 10, 63 - 10},
        {&TFormDrum::FrameOpBDM, D::BassDrum, TFrameOpD::kVolume, 0, 64, 0x50, 63 - 5, 63 - 10},
        {&TFormDrum::FrameOpHH, D::HiHat, TFrameOpD::kAttack, 0, 127, 0x71, 0x00, 0xF0},
        {&TFormDrum::FrameOpSD, D::Snare, TFrameOpD::kAttack, 0, 64, 0x74, 0x70, 0xF0},
        {&TFormDrum::FrameOpBDC, D::BassDrum, TFrameOpD::kDecay, 20, 44, 0x73, 0xF2, 0xF5},
        {&TFormDrum::FrameOpBDM, D::BassDrum, TFrameOpD::kSustain, 0, 1, 0x90, 0x45, 0x55},
        {&TFormDrum::FrameOpTC, D::Cymbal, TFrameOpD::kRelease, 0, 100, 0x95, 0x01, 0x06},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reg);
        form.Presets()->ApplyDefault();
        TFrameOpD& frame = form.*c.frame;
        frame.ComboBoxTarget.UserSelect(c.target);
        frame.TrackBarOffset.SetPosition(c.offset);
        EXPECT_EQ(chip.ReadRegister(c.reg), c.restored) << "a target alone changes nothing";
        form.Play(c.drum, c.velocity);
        EXPECT_EQ(chip.ReadRegister(c.reg), c.scaled);
        // The control keeps its value; back to "Off" the chip has it again at once.
        frame.ComboBoxTarget.UserSelect(TFrameOpD::kOff);
        EXPECT_EQ(chip.ReadRegister(c.reg), c.restored);
        form.Play(c.drum, c.velocity);
        EXPECT_EQ(chip.ReadRegister(c.reg), c.restored) << "Off scales nothing";
    }
}

TEST_F(FormDrumTest, ChannelsShareTheirPitch) {
    form.ComboBoxOctaveHHSD.UserSelect(5); // "C4 B4": notes 60..71
    form.ComboBoxNoteHHSD.UserSelect(0);
    form.ComboBoxNoteTOMTC.UserSelect(0); // note 48: block 3, F-number 345
    for (auto [drum, channel] : {std::pair{TFormDrum::Drum::HiHat, 0xA7},
                                 {TFormDrum::Drum::Snare, 0xA7},
                                 {TFormDrum::Drum::TomTom, 0xA8},
                                 {TFormDrum::Drum::Cymbal, 0xA8}}) {
        backend.writes.clear();
        form.Play(drum, 100);
        const bool hihatSnare = channel == 0xA7;
        EXPECT_EQ(backend.ValuesOf(static_cast<uint16_t>(channel)), std::vector<uint8_t>{0x59});
        EXPECT_EQ(backend.ValuesOf(static_cast<uint16_t>(channel + 0x10)),
                  std::vector<uint8_t>{static_cast<uint8_t>(hihatSnare ? 0x11 : 0x0D)});
    }
    EXPECT_EQ(form.ChannelNote(0), 45) << "bass drum: \"C2 B2\" and \"A\"";
}

TEST_F(FormDrumTest, KitFileIsNinetyBytesInItsLayout) {
    // Each frame its own values; the channel controls and assignments distinct too.
    int n = 0;
    for (TFrameOpD* frame : form.Frames()) {
        frame->TrackBarAttack.SetPosition(1 + n);
        frame->TrackBarDecay.SetPosition(2 + n);
        frame->TrackBarSustain.SetPosition(3 + n);
        frame->TrackBarRelease.SetPosition(4 + n);
        frame->ComboBoxWaveform.UserSelect(n + 1);
        frame->ComboBoxTarget.UserSelect(n % 6);
        frame->TrackBarOffset.SetPosition(100 + n);
        frame->ComboBoxTuning.UserSelect(n + 5);
        frame->TrackBarVolume.SetPosition(50 + n);
        ++n;
    }
    form.ComboBoxOctaveBD.UserSelect(0), form.ComboBoxNoteBD.UserSelect(11);
    form.ComboBoxOctaveHHSD.UserSelect(10), form.ComboBoxNoteHHSD.UserSelect(1);
    form.ComboBoxOctaveTOMTC.UserSelect(7), form.ComboBoxNoteTOMTC.UserSelect(2);
    form.CheckBoxBDB.SetChecked(false), form.CheckBoxHHSDA.SetChecked(false);
    form.CheckBoxTOMTCB.SetChecked(false);
    form.ComboBoxAssignBD.UserSelect(46), form.ComboBoxAssignHH.UserSelect(0);
    form.ComboBoxMidiChannel.UserSelect(15);
    form.ComboBoxPreset.UserType("Rock");
    form.ButtonSave.Click();
    ASSERT_TRUE(errors.empty());

    std::string want;
    for (int f = 0; f < 6; ++f) {
        want += {char(1 + f),   char(2 + f), char(3 + f),  char(4 + f), char(1 + f), char(f),
                 char(100 + f), char(5 + f), char(50 + f), 0,           0,           0};
    }
    // Pitches, outputs, entries BD HH SD TOM TC (snare 38, tom 45, cymbal 49), channel.
    want += {0, 11, 10, 1, 7, 2, 1, 0, 0, 1, 1, 0, 46, 0, 3, 10, 14, 15};
    ASSERT_EQ(want.size(), TFormDrum::kPresetSize);
    EXPECT_EQ(test::TempDir::Read(Preset("Rock").string()), want);
    EXPECT_EQ(form.Caption(), "Drum Kit - Vorpline - Rock");

    // Default keeps the channel; loading puts everything back, on screen and on the chip.
    form.Presets()->ApplyDefault();
    EXPECT_EQ(form.ComboBoxMidiChannel.Text(), "16");
    EXPECT_EQ(form.ComboBoxAssignBD.Text(), "36 C1");
    EXPECT_EQ(chip.ReadRegister(0x53), 0); // carrier volume 63
    ASSERT_TRUE(form.Presets()->LoadByName("Rock"));
    const auto bytes = form.PresetBytes();
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), want);
    EXPECT_EQ(form.FrameOpSD.ComboBoxTuning.Text(), "+3600");
    // Snare (file block 3): AR 4 DR 5, SL 6 RR 7, TL 63 - 53, WS 4, MULT of +3600 = 8.
    EXPECT_EQ(chip.ReadRegister(0x74), 0x45);
    EXPECT_EQ(chip.ReadRegister(0x94), 0x67);
    EXPECT_EQ(chip.ReadRegister(0x54), 10);
    EXPECT_EQ(chip.ReadRegister(0xF4), 4);
    EXPECT_EQ(chip.ReadRegister(0x34), 8);
    EXPECT_EQ(chip.ReadRegister(0xC6) & 0x30, 0x10);
    EXPECT_EQ(chip.ReadRegister(0xC7) & 0x30, 0x20);
    EXPECT_EQ(chip.ReadRegister(0xC8) & 0x30, 0x10);
    EXPECT_TRUE(form.ListensTo(15));
    EXPECT_FALSE(form.ListensTo(9));
}

TEST_F(FormDrumTest, ForeignFilesLoadSafelyOrNotAtAll) {
    WriteFile("Wild", std::string(90, '\xFE'));
    WriteFile("Short", std::string(89, '\x01'));
    WriteFile("Long", std::string(91, '\x01'));
    form.Presets()->RebuildList();
    EXPECT_EQ(form.ComboBoxPreset.Items(), std::vector<std::string>{"Wild"});

    for (const char* name : {"Short", "Long", "Missing"}) {
        backend.writes.clear();
        const auto before = form.PresetBytes();
        EXPECT_FALSE(form.Presets()->LoadByName(name)) << name;
        EXPECT_EQ(form.PresetBytes(), before) << name;
        EXPECT_TRUE(backend.writes.empty()) << name;
        EXPECT_EQ(form.Caption(), "Drum Kit - Vorpline") << name;
    }

    // Values take the end of their range or list ("Pulse", "Release", "+4690", "C9 G9" "B");
    // note entries and the channel beyond their lists select nothing and save as 0xFF.
    ASSERT_TRUE(form.Presets()->LoadByName("Wild"));
    std::string settled;
    for (int f = 0; f < 6; ++f) {
        settled += std::string{15, 15, 15, 15, 7, 5, 127, 12, 63, 0, 0, 0};
    }
    settled += std::string{10, 11, 10, 11, 10, 11, 1, 1, 1, 1, 1, 1};
    settled += std::string(6, '\xFF');
    const auto bytes = form.PresetBytes();
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), settled);
    for (int channel = 0; channel < 16; ++channel) {
        EXPECT_FALSE(form.ListensTo(channel));
    }
    backend.writes.clear();
    for (int note = 0; note < 128; ++note) {
        form.PlayByNote(static_cast<uint8_t>(note), 127);
    }
    EXPECT_TRUE(backend.writes.empty()) << "no drum has a note";
    form.SpeedButtonBD.Click(); // pitch 131 is beyond the chip: silent, not out of bounds
    EXPECT_EQ(chip.ReadRegister(0xB6) & 0x1F, 0);
    EXPECT_FALSE(form.LoadPresetBytes(std::vector<uint8_t>(89, 0)));
}

TEST_F(FormDrumTest, SettingsPeersAndNoEngine) {
    IniFile ini(dir.File("vorpline.ini"));
    form.FrameOpBDC.TrackBarVolume.SetPosition(40);
    form.ComboBoxPreset.UserType("Rock");
    form.ButtonSave.Click();
    form.Presets()->ApplyDefault();

    // The stored kit, or the default kit when it is gone: always on the chip as shown.
    for (const char* stored : {"Rock", "Gone"}) {
        SCOPED_TRACE(stored);
        ini.WriteString("WAVE", TFormDrum::kConfigKey, stored);
        chip.WriteRegister(0x53, 0x3F);
        TFormDrum again(dir.path, {[] { return std::string("Vorpline"); }, {}, nullptr}, &chip);
        again.FrameOpBDC.TrackBarVolume.SetPosition(1);
        again.LoadSettings(ini, "WAVE", "Vorpline");
        EXPECT_EQ(again.ComboBoxPreset.Text(), stored);
        const bool rock = stored == std::string("Rock");
        EXPECT_EQ(again.FrameOpBDC.TrackBarVolume.Position(), rock ? 40 : 63);
        EXPECT_EQ(chip.ReadRegister(0x53), rock ? 23 : 0);
        EXPECT_EQ(again.Caption(), rock ? "Drum Kit - Vorpline - Rock" : "Drum Kit - Vorpline");
        again.ComboBoxPreset.UserType("Next");
        again.SaveSettings(ini, "WAVE");
        EXPECT_EQ(ini.ReadString("WAVE", TFormDrum::kConfigKey, ""), "Next");

        HubPeers peers;
        again.ConnectPeers(peers);
        EXPECT_EQ(&peers.DrumKit(), static_cast<DrumKitReceiver*>(&again));
        EXPECT_EQ(again.Presets()->Folder().Folder(), dir.path / "drum kit");
    }

    // Without an engine everything but the sound works.
    backend.writes.clear();
    TFormDrum silent(dir.path, {}, nullptr);
    EXPECT_TRUE(silent.Presets()->LoadByName("Rock"));
    EXPECT_EQ(silent.FrameOpBDC.TrackBarVolume.Position(), 40);
    silent.FrameOpSD.ComboBoxTarget.UserSelect(TFrameOpD::kVolume);
    silent.CheckBoxBDA.SetChecked(false);
    silent.SpeedButtonSD.Click();
    silent.PlayByNote(36, 100);
    EXPECT_TRUE(backend.writes.empty());
}

} // namespace
} // namespace vorpline
