#include "ui/MidiInputSelector.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/VirtualTimerService.h"
#include "support/FakeMidiPortSystem.h"
#include "support/TempDir.h"
#include "ui/TFormInfo.h"
#include "ui/TFormMain.h"
#include "ui/UiService.h"

namespace vorpline::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// Closes every information window at once and remembers what it said.
struct RecordingUi : UiService {
    void ShowModal(TFormInfo& info) override {
        captions.push_back(info.Caption());
        messages.push_back(info.LabelInfo.Caption());
        info.ButtonOk.Click();
    }
    std::vector<std::string> captions;
    std::vector<std::string> messages;
};

class MidiInputSelection : public ::testing::Test {
protected:
    MidiInputSelection() {
        form.ui = &ui;
        ports.ports = {"Pads:out", "Keys:out"};
    }

    ComboBox& Box() { return form.ComboBoxMidiIn; }
    void Choose(const std::string& item) { Box().UserSelect(Box().IndexOf(item)); }

    TempDir assets;
    TFormMain form{assets.path};
    RecordingUi ui;
    FakeMidiPortSystem ports;
    VirtualTimerService timers;
    MidiIn midiIn{ports, timers, false, MidiInputSelector::ErrorWindow(form)};
    MidiInputSelector selector{form, midiIn, timers};
};

TEST_F(MidiInputSelection, WithoutDevicesOnlyTheFixedEntriesAndRefreshFindsNewOnes) {
    ports.ports.clear();
    selector.Start("No midi input");
    EXPECT_THAT(Box().Items(), ElementsAre("No midi input", "Refresh list"));
    EXPECT_EQ(Box().ItemIndex(), 0);
    timers.AdvanceBy(2000);
    EXPECT_THAT(ports.calls, IsEmpty());
    EXPECT_THAT(ui.messages, IsEmpty());

    ports.ports = {"Keys:out"};
    Choose("Refresh list");
    EXPECT_THAT(Box().Items(), ElementsAre("No midi input", "Keys:out", "Refresh list"));
    EXPECT_EQ(Box().Text(), "No midi input");
    timers.AdvanceBy(2000);
    EXPECT_THAT(ports.calls, IsEmpty());
}

TEST_F(MidiInputSelection, StoredDeviceIsSelectedSortedAndOpenedOnceSettled) {
    selector.Start("Pads:out");
    EXPECT_THAT(Box().Items(),
                ElementsAre("No midi input", "Keys:out", "Pads:out", "Refresh list"));
    EXPECT_EQ(Box().Text(), "Pads:out");
    EXPECT_TRUE(selector.TimerMidiInEnabled());
    timers.AdvanceBy(749);
    EXPECT_FALSE(midiIn.IsOpen());
    timers.AdvanceBy(1);
    EXPECT_TRUE(midiIn.IsOpen());
    EXPECT_EQ(ports.openPort, 0u);
    EXPECT_FALSE(selector.TimerMidiInEnabled());
    timers.AdvanceBy(3000);
    EXPECT_EQ(ports.Count("Open 0"), 1u);
}

TEST_F(MidiInputSelection, StoredDeviceNoLongerPresentOpensNothing) {
    for (const char* stored : {"Gone:out", "Refresh list", ""}) {
        selector.Start(stored);
        EXPECT_EQ(Box().ItemIndex(), 0) << stored;
        EXPECT_FALSE(selector.TimerMidiInEnabled()) << stored;
    }
    timers.AdvanceBy(2000);
    EXPECT_THAT(ports.calls, IsEmpty());
}

TEST_F(MidiInputSelection, ReplugedAlsaPortIsFoundWithoutItsClientAndPortNumbers) {
    ports.ports = {"USB Keyboard:USB Keyboard MIDI 1 24:0", "Pads:out 2"};
    const struct {
        std::string stored;
        std::string chosen;
    } cases[] = {
        {"USB Keyboard:USB Keyboard MIDI 1 20:0", "USB Keyboard:USB Keyboard MIDI 1 24:0"},
        {"USB Keyboard:USB Keyboard MIDI 1", "USB Keyboard:USB Keyboard MIDI 1 24:0"},
        {"Pads:out 2", "Pads:out 2"},
        {"Pads:out 3", "No midi input"},
        {"USB Keyboard:USB Keyboard MIDI 2 20:0", "No midi input"},
    };
    for (const auto& c : cases) {
        selector.Start(c.stored);
        EXPECT_EQ(Box().Text(), c.chosen) << c.stored;
        EXPECT_EQ(selector.DeviceToSave(), c.chosen == "No midi input" ? c.stored : c.chosen);
    }
    selector.Start("USB Keyboard:USB Keyboard MIDI 1 20:0");
    timers.AdvanceBy(750);
    EXPECT_TRUE(midiIn.IsOpen());
    EXPECT_EQ(ports.openPort, 0u) << "the keyboard's port, not the pads'";
}

TEST_F(MidiInputSelection, AbsentStoredInputIsKeptUntilRefreshFindsItOrTheUserChooses) {
    selector.Start("Drums:in");
    EXPECT_EQ(Box().Text(), "No midi input");
    Choose("Refresh list");
    EXPECT_EQ(selector.DeviceToSave(), "Drums:in");

    ports.ports.push_back("Drums:in");
    Choose("Refresh list");
    EXPECT_EQ(Box().Text(), "Drums:in");
    timers.AdvanceBy(750);
    EXPECT_TRUE(midiIn.IsOpen());
    EXPECT_EQ(selector.DeviceToSave(), "Drums:in");

    for (const char* choice : {"No midi input", "Pads:out"}) {
        ports.ports.pop_back();
        selector.Start("Drums:in");
        Choose(choice);
        EXPECT_EQ(selector.DeviceToSave(), choice);
        ports.ports.push_back("Drums:in");
        Choose("Refresh list");
        EXPECT_EQ(Box().Text(), "No midi input") << "the user's choice stands";
        EXPECT_EQ(selector.DeviceToSave(), "No midi input");
    }
}

TEST_F(MidiInputSelection, TwoChoicesWithinTheSettleTimeOpenOnlyTheLast) {
    selector.Start("No midi input");
    Choose("Keys:out");
    timers.AdvanceBy(500);
    Choose("Pads:out");
    timers.AdvanceBy(500);
    EXPECT_FALSE(midiIn.IsOpen());
    timers.AdvanceBy(250);
    EXPECT_TRUE(midiIn.IsOpen());
    EXPECT_THAT(ports.calls, ElementsAre("Open 0", "Start"));
}

TEST_F(MidiInputSelection, ChoosingAnotherEntryClosesAtOnce) {
    selector.Start("Keys:out");
    timers.AdvanceBy(750);
    ASSERT_TRUE(midiIn.IsOpen());

    Choose("Pads:out");
    EXPECT_FALSE(midiIn.IsOpen());
    Choose("No midi input");
    timers.AdvanceBy(2000);
    EXPECT_FALSE(midiIn.IsOpen());
    EXPECT_EQ(ports.Count("Open 0"), 0u);
    EXPECT_THAT(ui.messages, IsEmpty());
}

TEST_F(MidiInputSelection, FailuresAppearInTheErrorWindow) {
    selector.Start("No midi input");
    ports.openResult = kMidiBadDeviceId;
    Choose("Keys:out");
    timers.AdvanceBy(750);
    EXPECT_THAT(ui.captions, ElementsAre("Error - Vorpline 4.30"));
    EXPECT_THAT(ui.messages, ElementsAre("Failed to open midi input [BADDEVICEID]"));
    // The choice stands even though the input did not open.
    EXPECT_EQ(Box().Text(), "Keys:out");

    ports.openResult = kMidiOk;
    Choose("Keys:out");
    timers.AdvanceBy(750);
    ASSERT_TRUE(midiIn.IsOpen());
    ports.stopResult = kMidiInvalidHandle;
    Choose("Pads:out");
    EXPECT_EQ(ui.messages.back(), "Failed to stop midi input [INVALHANDLE]");
    EXPECT_TRUE(midiIn.IsOpen());
    // The timer then finds the old input still open.
    timers.AdvanceBy(750);
    EXPECT_EQ(ui.messages.back(), "Midi input already open");
}

TEST_F(MidiInputSelection, TickPostedAfterTheSelectorIsGoneDoesNothing) {
    TempDir otherAssets;
    TFormMain other(otherAssets.path);
    VirtualTimerService ownTimers;
    MidiIn input(ports, ownTimers, false, {});
    {
        MidiInputSelector doomed(other, input, ownTimers);
        doomed.Start("Keys:out");
    }
    EXPECT_FALSE(static_cast<bool>(other.ComboBoxMidiIn.onChange));
    ownTimers.AdvanceBy(1000);
    EXPECT_THAT(ports.calls, IsEmpty());
}

} // namespace
} // namespace vorpline::test
