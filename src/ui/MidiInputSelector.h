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
    // one of them, selects it and arms TimerMidiIn as a choice would; otherwise selects
    // "No midi input" and opens nothing.
    void Start(const std::string& storedDevice);

    void ComboBoxMidiInChange();
    bool TimerMidiInEnabled() const { return timerMidiIn != 0; }

    // Shows MidiIn's errors in the main window's information window titled "Error".
    static MidiIn::ErrorReporter ErrorWindow(TFormMain& form);

private:
    void FillList();
    void ArmTimerMidiIn();
    void StopTimerMidiIn();
    // Main thread, posted by TimerMidiIn's tick.
    void TimerMidiInTimer(uint64_t generation);

    TFormMain& form;
    MidiIn& midiIn;
    TimerService& timers;
    TimerService::TimerId timerMidiIn = 0;
    // Counts armings, so a tick posted before the timer was re-armed or stopped is ignored.
    uint64_t generation = 0;
    // Posted work holds a weak reference, so it does nothing once the selector is gone.
    std::shared_ptr<MidiInputSelector*> self;
};

} // namespace vorpline
