#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "cards/FM801.h"
#include "cards/Mixer.h"
#include "support/RecordingPortIo.h"
#include "ui/MainFormFixture.h"
#include "ui/TFormInfo.h"
#include "ui/UiService.h"

namespace vorpline::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class RecordingMixer : public Mixer {
public:
    void SetVolumePan(int volume, int pan) override { levels.emplace_back(volume, pan); }
    bool GetVolumePan(int& volume, int& pan) override {
        volume = reportVolume;
        pan = reportPan;
        return reportMuted;
    }
    void SetMute(bool on) override { mutes.push_back(on); }

    std::vector<std::pair<int, int>> levels;
    std::vector<bool> mutes;
    int reportVolume = 25;
    int reportPan = 0;
    bool reportMuted = false;
};

class MainForm : public MainFormFixture {
protected:
    uint8_t Channel(int part, int voice, uint16_t extra = 0) const {
        return chip.ReadRegister(static_cast<uint16_t>(kRegFeedbackConnection +
                                                       VoiceChannelOffset(part, voice) + extra));
    }
    RecordingMixer mixer;
};

// Every control of a frame carries its operator's number: the shared handlers find the operator
// by it.
TEST_F(MainForm, FrameControlsAreTaggedAndOperatorCcCanBeOffered) {
    for (Button* button : form.ModuleButtons()) {
        EXPECT_FALSE(button->Enabled()) << button->Name();
    }
    for (int op = 0; op < 6; ++op) {
        TFrameOp& f = *form.FrameOps[static_cast<size_t>(op)];
        for (Control* control : f.Controls()) {
            EXPECT_EQ(control->Tag(), op) << f.Name() << "." << control->Name();
        }
        EXPECT_FALSE(f.MenuItemPaste.Enabled()) << "nothing copied yet";
    }
    form.EnableOperatorCc(false);
    for (TFrameOp* frame : form.FrameOps) {
        EXPECT_FALSE(frame->CheckBoxCC.Enabled()) << frame->Name();
    }
}

TEST_F(MainForm, PartPanelsDriveTheirOwnChannels) {
    chip.ApplyPatch(SustainedPatch(), Ext());
    form.ComboBoxFB2.UserSelect(5);
    EXPECT_EQ((Channel(1, 0) >> 1) & 7, 5);
    EXPECT_EQ((Channel(0, 0) >> 1) & 7, 0);
    form.CheckBoxB.SetChecked(false);
    EXPECT_EQ(Channel(0, 2) & 0x30, 0x10);
    EXPECT_EQ(Channel(0, 2, 3) & 0x30, 0x10) << "both channels of the pair";

    form.ShowNotes(0, 4);
    form.ComboBoxLimit1234.UserSelect(1);
    EXPECT_EQ(chip.Part(0).GetMode(), 1);
    EXPECT_EQ(form.LabelP1234.Caption(), "0");
    form.ComboBoxPri56.UserSelect(3);
    EXPECT_EQ(chip.Part(1).GetPriority(), 3);
    form.ComboBoxVD.UserSelect(1);
    EXPECT_EQ(chip.ReadRegister(kRegRhythm) & 0x40, 0x40);
}

TEST_F(MainForm, TranspositionAndPartTuning) {
    std::vector<int> typed;
    form.onTransposeTyped = [&](int cents) { typed.push_back(cents); };
    form.ComboBoxTranspose.UserType("-12");
    EXPECT_EQ(form.ComboBoxTranspose.Text(), "-12") << "left as typed";
    EXPECT_EQ(pitch.MasterTuning(), -12);
    form.ComboBoxTranspose.UserSelect(7);
    EXPECT_THAT(typed, ElementsAre(-12, 2400));
    form.SetMasterTuning(100);
    EXPECT_EQ(form.ComboBoxTranspose.Text(), "+100");
    EXPECT_EQ(pitch.MasterTuning(), 100);
    EXPECT_THAT(typed, ElementsAre(-12, 2400)) << "not typed by the user";

    backend.writes.clear();
    form.ComboBoxTR1.UserType("+700");
    form.ComboBoxTR2.SetText("-1200");
    EXPECT_EQ(pitch.PartTuning(0), 700);
    EXPECT_EQ(pitch.PartTuning(1), -1200);
    EXPECT_THAT(backend.writes, IsEmpty()) << "heard from the next note on";
}

TEST_F(MainForm, SchematicFollowsTheAlgorithmAndKeepsItsPictureWhenAFileIsMissing) {
    for (int index : {0, 1, 2, 4}) {
        WriteFile(assets.File("cnt" + std::to_string(index) + ".jpg"),
                  "jpeg " + std::to_string(index));
    }
    WriteFile(assets.File("cnt5.jpg"), "");
    TFormMain shown(assets.path);
    shown.AttachEngine(chip, pitch);
    EXPECT_EQ(shown.ImageCnt.Path(), assets.File("cnt0.jpg")) << "loaded at creation";

    shown.ComboBoxCNT.UserSelect(1);
    EXPECT_EQ(shown.ImageCnt.Path(), assets.File("cnt1.jpg"));
    shown.ComboBoxCNT.UserSelect(3);
    EXPECT_EQ(chip.ReadRegister(kRegFeedbackConnection + VoiceChannelOffset(0, 0)) & 1, 1);
    EXPECT_EQ(shown.ImageCnt.Path(), assets.File("cnt1.jpg")) << "cnt3.jpg is missing";
    std::string bytes(shown.ImageCnt.Bytes().begin(), shown.ImageCnt.Bytes().end());
    EXPECT_EQ(bytes, "jpeg 1");
    shown.ComboBoxCNT.UserSelect(5);
    EXPECT_EQ(shown.ImageCnt.Path(), assets.File("cnt1.jpg")) << "cnt5.jpg is empty";
    // A preset sets the box from code; the picture still follows.
    shown.ComboBoxCNT.SetItemIndex(4);
    EXPECT_EQ(shown.ImageCnt.Path(), assets.File("cnt4.jpg"));
}

TEST_F(MainForm, ModuleButtonsToggleTheirWindows) {
    uint32_t now = 10000;
    form.nowMs = [&] { return now; };
    form.doubleClickMs = 500;
    Form dsp("FormDSP", "DSP");
    form.ButtonDSP.Click();
    EXPECT_FALSE(dsp.Visible());

    form.SetModuleWindow(form.ButtonDSP, &dsp);
    EXPECT_TRUE(form.ButtonDSP.Enabled());
    EXPECT_FALSE(form.ButtonBend.Enabled());
    form.ButtonDSP.Click();
    EXPECT_TRUE(dsp.Visible());
    now += 200;
    form.ButtonDSP.Click();
    EXPECT_FALSE(dsp.Visible()) << "second press within the double-click time hides";
    now += 500;
    form.ButtonDSP.Click();
    EXPECT_TRUE(dsp.Visible());

    form.SetModuleWindow(form.ButtonDSP, nullptr);
    EXPECT_FALSE(form.ButtonDSP.Enabled());
}

TEST_F(MainForm, LabelShortcuts) {
    form.AttachMixer(mixer);
    form.TrackBarVolume.SetPosition(10);
    form.TrackBarPan.SetPosition(-30);
    form.LabelVolume.Click();
    form.LabelPan.Click();
    EXPECT_EQ(std::pair(form.TrackBarVolume.Position(), form.TrackBarPan.Position()),
              std::pair(25, 0));
    EXPECT_EQ(mixer.levels.back(), std::make_pair(25, 0));

    form.ComboBoxLow56.SetItemIndex(4);
    form.ComboBoxHigh1234.SetItemIndex(6);
    form.LabelLow56.Click();
    form.LabelHigh1234.Click();
    EXPECT_EQ(std::pair(form.ComboBoxLow56.ItemIndex(), form.ComboBoxHigh1234.ItemIndex()),
              std::pair(0, 10));

    form.CheckBoxA2.SetChecked(false);
    form.LabelOP2.Click();
    EXPECT_TRUE(form.CheckBoxA2.Checked());
    EXPECT_FALSE(form.CheckBoxB2.Checked());
    EXPECT_EQ(Channel(1, 5) & 0x30, 0x10);
    form.LabelOP1.Click();
    EXPECT_EQ(Channel(0, 0) & 0x30, 0);
}

TEST_F(MainForm, VolumePanAndMuteReachTheMixer) {
    form.TrackBarVolume.SetPosition(20);
    EXPECT_THAT(mixer.levels, IsEmpty()) << "no mixer attached yet";

    mixer.reportVolume = 18;
    mixer.reportPan = -7;
    mixer.reportMuted = true;
    form.AttachMixer(mixer);
    form.ShowMixerLevels();
    EXPECT_EQ(std::pair(form.TrackBarVolume.Position(), form.TrackBarPan.Position()),
              std::pair(18, -7));
    EXPECT_THAT(mixer.levels, IsEmpty()) << "the mixer's own values are not written back";
    EXPECT_THAT(mixer.mutes, ElementsAre(false)) << "the cleared box and the output agree";

    form.TrackBarPan.SetPosition(40);
    form.TrackBarVolume.SetPosition(31);
    form.CheckBoxMute.SetChecked(true);
    EXPECT_THAT(mixer.levels, ElementsAre(std::make_pair(18, 40), std::make_pair(31, 40)));
    EXPECT_THAT(mixer.mutes, ElementsAre(false, true));

    form.EnableVolumeControls(false);
    EXPECT_FALSE(form.TrackBarPan.Enabled());
    EXPECT_FALSE(form.CheckBoxMute.Enabled());
}

TEST_F(MainForm, AttenuatorOnlyForFm801) {
    RecordingPortIo io;
    io.idleValue = 0;
    FM801 card(io, 0x1000);
    auto lastControlWrite = [&] {
        uint16_t value = 0xFFFF;
        for (const PortEvent& e : io.events) {
            if (e.kind == PortEvent::Kind::Out16 && e.port == 0x1054) {
                value = e.value;
            }
        }
        return value;
    };
    form.ComboBoxDiv.SetItemIndex(2);
    EXPECT_FALSE(form.ComboBoxDiv.Enabled());
    form.AttachMixer(card, &card);
    EXPECT_TRUE(form.ComboBoxDiv.Enabled());
    EXPECT_EQ(form.ComboBoxDiv.ItemIndex(), 0) << "set to \"Off\" and applied";
    EXPECT_EQ(lastControlWrite() & 0xC0, 0);
    form.ComboBoxDiv.UserSelect(2);
    EXPECT_EQ(lastControlWrite() & 0xC0, 0x80);
    io.events.clear();
    form.LabelDiv.Click();
    EXPECT_EQ(form.ComboBoxDiv.ItemIndex(), 0);
    EXPECT_EQ(lastControlWrite() & 0xC0, 0);
}

TEST_F(MainForm, DrumKitTrimsPart56Modes) {
    form.RemoveDrumModes();
    EXPECT_THAT(form.ComboBoxLimit56.Items(), ElementsAre("Legato", "Mono", "Poly 2", "Poly 3"));
    EXPECT_EQ(form.ComboBoxLimit56.Text(), "Poly 3");
    EXPECT_EQ(form.ComboBoxLimit1234.Count(), 7);
}

TEST_F(MainForm, CaptionsAndInformationWindow) {
    form.SetApplicationTitle(form.ApplicationTitle() + " (SB16@0220)");
    form.ShowPresetCaption();
    EXPECT_EQ(form.Caption(), "FM Synth - Vorpline 4.30 (SB16@0220)");
    form.ShowPresetCaption("Bells");
    EXPECT_EQ(form.Caption(), "FM Synth - Vorpline 4.30 (SB16@0220) - Bells");

    struct PressOk : UiService {
        void ShowModal(TFormInfo& info) override {
            info.Show();
            captions.push_back(info.Caption());
            messages.push_back(info.LabelInfo.Caption());
            info.ButtonOk.Click();
            closed = !info.Visible();
        }
        std::vector<std::string> captions;
        std::vector<std::string> messages;
        bool closed = false;
    } ui;
    form.ui = &ui;
    form.ShowInfo("You must supply a name for the preset.", "Error");
    EXPECT_THAT(ui.captions, ElementsAre("Error - Vorpline 4.30 (SB16@0220)"));
    EXPECT_THAT(ui.messages, ElementsAre("You must supply a name for the preset."));
    EXPECT_TRUE(ui.closed);
}

} // namespace
} // namespace vorpline::test
