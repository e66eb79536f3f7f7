#include "ui/MidiInputSelector.h"

#include <utility>
#include <vector>

#include "ui/TFormMain.h"

namespace vorpline {

MidiInputSelector::MidiInputSelector(TFormMain& form, MidiIn& midiIn, TimerService& timers)
    : form(form), midiIn(midiIn), timers(timers), self(std::make_shared<MidiInputSelector*>(this)) {
    form.ComboBoxMidiIn.onChange = [this] { ComboBoxMidiInChange(); };
}

MidiInputSelector::~MidiInputSelector() {
    form.ComboBoxMidiIn.onChange = nullptr;
    StopTimerMidiIn();
}

MidiIn::ErrorReporter MidiInputSelector::ErrorWindow(TFormMain& form) {
    return [&form](const std::string& message) { form.ShowInfo(message, "Error"); };
}

void MidiInputSelector::FillList() {
    std::vector<std::string> items;
    midiIn.BuildDeviceList(items, true);
    items.push_back(kRefreshList);
    form.ComboBoxMidiIn.SetItems(std::move(items));
}

void MidiInputSelector::Start(const std::string& storedDevice) {
    FillList();
    int index = form.ComboBoxMidiIn.IndexOf(storedDevice);
    // "Refresh list" is an item too, but never a device.
    if (index > 0 && storedDevice != kRefreshList) {
        form.ComboBoxMidiIn.SetItemIndex(index);
        ComboBoxMidiInChange();
    } else {
        form.ComboBoxMidiIn.SetItemIndex(0);
    }
}

void MidiInputSelector::ComboBoxMidiInChange() {
    if (midiIn.IsOpen()) {
        midiIn.Close();
    }
    ComboBox& box = form.ComboBoxMidiIn;
    if (box.Text() == kRefreshList) {
        FillList();
        box.SetItemIndex(0);
    } else if (box.ItemIndex() > 0) {
        ArmTimerMidiIn();
    }
}

void MidiInputSelector::ArmTimerMidiIn() {
    // Every choice restarts the wait: the input opens once the choice has settled.
    StopTimerMidiIn();
    uint64_t armed = generation;
    std::weak_ptr<MidiInputSelector*> alive = self;
    // The tick runs on the timer thread; opening belongs to the main thread.
    timerMidiIn = timers.StartPeriodic(kSettleTime, [service = &timers, alive, armed] {
        service->Post([alive, armed] {
            if (auto selector = alive.lock()) {
                (*selector)->TimerMidiInTimer(armed);
            }
        });
    });
}

void MidiInputSelector::StopTimerMidiIn() {
    ++generation;
    if (timerMidiIn != 0) {
        timers.Stop(timerMidiIn);
        timerMidiIn = 0;
    }
}

void MidiInputSelector::TimerMidiInTimer(uint64_t armed) {
    if (armed != generation || timerMidiIn == 0) {
        return;
    }
    StopTimerMidiIn();
    ComboBox& box = form.ComboBoxMidiIn;
    if (box.ItemIndex() > 0 && box.Text() != kRefreshList) {
        midiIn.Open(box.Text());
    }
}

} // namespace vorpline
