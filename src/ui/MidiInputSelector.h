#pragma once
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include "midi/MidiIn.h"
#include "platform/TimerService.h"

namespace vorpline {

class TFormMain;

// The behaviour of the main window's ComboBoxMidiIn: the list of inputs with "Refresh list" at
// its end, and opening the chosen input once the choice has settled. Choosing closes the open
// input at once; the new one opens when TimerMidiIn fires kSettleTime after the last choice,
// so running through the list with the arrow keys opens only the input the user stops at.
//
// The stored input is the musician's choice, not a snapshot of what happened to be plugged in:
// - ALSA names carry the client:port numbers ("USB Keyboard:USB Keyboard MIDI 1 20:0"), which
//   change when the keyboard is plugged in again; when the exact name is gone, a port whose
//   name differs only in those numbers is taken.
// - An input absent at start (the keyboard is plugged in later) stays the choice to save and
//   is taken when "Refresh list" finds it, until the user chooses something else.
// Main thread only.
class MidiInputSelector {
public:
    static inline const std::string kRefreshList = "Refresh list";
    static constexpr std::chrono::milliseconds kSettleTime{750};

    // Becomes the change handler of form.ComboBoxMidiIn. The form, the input and the timer
    // service must outlive the selector.
    MidiInputSelector(TFormMain& form, MidiIn& midiIn, TimerService& timers);
    ~MidiInputSelector();
    MidiInputSelector(const MidiInputSelector&) = delete;
    MidiInputSelector& operator=(const MidiInputSelector&) = delete;

    // Start-up: lists the inputs and, if `storedDevice` (the configuration's "Midi Device") is
    // one of them (or differs from one only in its ALSA client:port numbers), selects it and
    // arms TimerMidiIn as a choice would; otherwise selects "No midi input", opens nothing and
    // keeps `storedDevice` as the choice to look for at the next "Refresh list".
    void Start(const std::string& storedDevice);

    // The "Midi Device" to store at shutdown: the input shown in ComboBoxMidiIn, or the stored
    // one while it is still absent and the user has chosen nothing else.
    std::string DeviceToSave() const;

    void ComboBoxMidiInChange();
    bool TimerMidiInEnabled() const { return timerMidiIn != 0; }

    // `name` without a trailing ALSA " client:port" pair ("Keys:Keys MIDI 1 20:0" gives
    // "Keys:Keys MIDI 1"); other names as they are.
    static std::string WithoutPortNumbers(const std::string& name);

    // Shows MidiIn's errors in the main window's information window titled "Error".
    static MidiIn::ErrorReporter ErrorWindow(TFormMain& form);

private:
    void FillList();
    // Index in ComboBoxMidiIn of the device `name` names, or ComboBox::kNone.
    int FindDevice(const std::string& name) const;
    // Selects the device at `index` and arms TimerMidiIn.
    void Choose(int index);
    void ArmTimerMidiIn();
    void StopTimerMidiIn();
    // Main thread, posted by TimerMidiIn's tick.
    void TimerMidiInTimer(uint64_t generation);

    TFormMain& form;
    MidiIn& midiIn;
    TimerService& timers;
    TimerService::TimerId timerMidiIn = 0;
    // The stored input while it is absent and not overruled by the user; empty otherwise.
    std::string awaitedDevice;
    // Counts armings, so a tick posted before the timer was re-armed or stopped is ignored.
    uint64_t generation = 0;
    // Posted work holds a weak reference, so it does nothing once the selector is gone.
    std::shared_ptr<MidiInputSelector*> self;
};

} // namespace vorpline
