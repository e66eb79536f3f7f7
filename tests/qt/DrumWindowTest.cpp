#include <memory>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QSlider>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include "engine/OPL3.h"
#include "platform/VirtualTimerService.h"
#include "presets/TFormDrum.h"
#include "qt/DrumWindow.h"
#include "qt/QtTestApp.h"
#include "qt/ToolViews.h"
#include "support/RecordingBackend.h"
#include "support/TempDir.h"

namespace vorpline {
namespace {

class DrumWindowTest : public ::testing::Test {
protected:
    DrumWindowTest() {
        test::QtTestApp();
        window = std::make_unique<DrumWindow>(form);
        form.Show();
    }

    template <typename Widget> Widget* In(const char* panel, const char* name) {
        auto* parent = window->findChild<QWidget*>(QString::fromLatin1(panel));
        auto* widget = parent ? parent->findChild<Widget*>(QString::fromLatin1(name)) : nullptr;
        EXPECT_NE(widget, nullptr) << panel << " " << name;
        return widget;
    }

    test::TempDir dir;
    test::RecordingBackend backend;
    VirtualTimerService timers;
    OPL3 chip{backend, timers, {.drumMode = true}};
    TFormDrum form{dir.path, {}, &chip};
    std::unique_ptr<DrumWindow> window;
};

TEST_F(DrumWindowTest, EveryPartOfTheKitIsThere) {
    QStringList groups;
    for (auto* group : window->findChildren<QGroupBox*>()) {
        groups << group->title();
    }
    EXPECT_EQ(groups.join(", ").toStdString(),
              "Preset, MIDI, 7: Bass drum, Bass drum (mod.) (13), Bass drum (car.) (16), "
              "8: Hi-hat and snare, Hi-hat (14), Snare (17), 9: Tom and cymbal, Tom (15), "
              "Cymbal (18)");
    EXPECT_EQ(In<QComboBox>("GroupBoxMidi", "ComboBoxMidiChannel")->currentText(), "10");
    EXPECT_EQ(In<QComboBox>("GroupBoxMidi", "ComboBoxAssignHH")->currentText(), "46 A1#");
    EXPECT_EQ(In<QComboBox>("FrameOpBDM", "ComboBoxTuning")->currentText(), "0 cents");
    EXPECT_EQ(In<QSlider>("FrameOpBDM", "TrackBarVolume")->value(), 10);

    // Each frame edits its own operator, on the chip at once.
    In<QSlider>("FrameOpSD", "TrackBarAttack")->setValue(3);
    EXPECT_EQ(form.FrameOpSD.TrackBarAttack.Position(), 3);
    EXPECT_EQ(chip.ReadRegister(0x74) >> 4, 3);
    emit In<QComboBox>("FrameOpTC", "ComboBoxWaveform")->activated(6);
    EXPECT_EQ(chip.ReadRegister(0xF5), 6);
    emit In<QComboBox>("FrameOpHH", "ComboBoxTarget")->activated(1);
    EXPECT_EQ(form.FrameOpHH.ComboBoxTarget.Text(), "Volume");
    window->findChild<QCheckBox*>(QStringLiteral("CheckBoxTOMTCB"))->click();
    EXPECT_EQ(chip.ReadRegister(0xC8) & 0x30, 0x10);
    emit window->findChild<QComboBox*>(QStringLiteral("ComboBoxOctaveHHSD"))->activated(5);
    EXPECT_EQ(form.ChannelNote(1), 69);

    // Loading a kit shows it.
    form.FrameOpBDM.TrackBarVolume.SetPosition(33);
    EXPECT_EQ(In<QSlider>("FrameOpBDM", "TrackBarVolume")->value(), 33);
}

TEST_F(DrumWindowTest, ButtonsStrikeOnThePress) {
    auto* bass = In<QToolButton>("GroupBoxMidi", "SpeedButtonBD");
    ASSERT_NE(bass, nullptr);
    EXPECT_EQ(bass->text(), "Bass");
    backend.writes.clear();
    QTest::mousePress(bass, Qt::LeftButton);
    EXPECT_EQ(backend.ValuesOf(0xBD), (std::vector<uint8_t>{0x20, 0x30}));
    QTest::mouseRelease(bass, Qt::LeftButton);
    EXPECT_EQ(backend.ValuesOf(0xBD).size(), 2u) << "the release strikes nothing";

    std::unique_ptr<QWidget> registered = MakeToolView(form, nullptr);
    EXPECT_NE(dynamic_cast<DrumWindow*>(registered.get()), nullptr);
}

} // namespace
} // namespace vorpline
