#include "ui/MidiInputSelector.h"

#include <cctype>
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

std::string MidiInputSelector::WithoutPortNumbers(const std::string& name) {
    // " <client>:<port>", both decimal, at the very end.
    size_t end = name.size();
    size_t digits = end;
    while (digits > 0 && std::isdigit(static_cast<unsigned char>(name[digits - 1]))) {
        --digits;
    }
    if (digits == end || digits == 0 || name[digits - 1] != ':') {
        return name;
    }
    end = digits - 1;
    digits = end;
    while (digits > 0 && std::isdigit(static_cast<unsigned char>(name[digits - 1]))) {
        --digits;
    }
    if (digits == end || digits == 0 || name[digits - 1] != ' ') {
        return name;
    }
    return name.substr(0, digits - 1);
}

int MidiInputSelector::FindDevice(const std::string& name) const {
    const ComboBox& box = form.ComboBoxMidiIn;
    // Item 0 is "No midi input" and the last "Refresh list": neither is a device.
    const int last = box.Count() - 1;
    if (name.empty() || name == MidiIn::kNoInput || name == kRefreshList) {
        return ComboBox::kNone;
    }
    const int exact = box.IndexOf(name);
    if (exact > 0 && exact < last) {
        return exact;
    }
    const std::string wanted = WithoutPortNumbers(name);
    for (int i = 1; i < last; ++i) {
        if (WithoutPortNumbers(box.Item(i)) == wanted) {
            return i;
        }
    }
    return ComboBox::kNone;
}

void MidiInputSelector::Choose(int index) {
    form.ComboBoxMidiIn.SetItemIndex(index);
    ArmTimerMidiIn();
}

void MidiInputSelector::Start(const std::string& storedDevice) {
    FillList();
    awaitedDevice.clear();
    const int index = FindDevice(storedDevice);
    if (index != ComboBox::kNone) {
        if (midiIn.IsOpen()) {
            midiIn.Close();
        }
        Choose(index);
        return;
    }
    form.ComboBoxMidiIn.SetItemIndex(0);
    if (!storedDevice.empty() && storedDevice != MidiIn::kNoInput && storedDevice != kRefreshList) {
        awaitedDevice = storedDevice;
    }
}

std::string MidiInputSelector::DeviceToSave() const {
    return awaitedDevice.empty() ? form.ComboBoxMidiIn.Text() : awaitedDevice;
}

void MidiInputSelector::ComboBoxMidiInChange() {
    if (midiIn.IsOpen()) {
        midiIn.Close();
    }
    ComboBox& box = form.ComboBoxMidiIn;
    if (box.Text() == kRefreshList) {
        FillList();
        const int awaited = FindDevice(awaitedDevice);
        if (awaited != ComboBox::kNone) {
            awaitedDevice.clear();
            Choose(awaited);
        } else {
            box.SetItemIndex(0);
        }
        return;
    }
    // Any other choice, "No midi input" included, overrules the stored input.
    awaitedDevice.clear();
    if (box.ItemIndex() > 0) {
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
