#pragma once
#include <cstdint>
#include <functional>

#include "midi/CcFunctions.h"
#include "midi/ControllerState.h"
#include "midi/HubPeers.h"

namespace vorpline {

class OPL3;
class PitchControl;
class TFormMain;

// Packed MIDI event: status in byte 0, data bytes 1 and 2, the producer's marker in byte 3.
inline constexpr uint8_t PartMarker(uint32_t packed) {
    return static_cast<uint8_t>(packed >> 24);
}
inline constexpr uint32_t PackEvent(uint8_t status, uint8_t data1, uint8_t data2,
                                    uint8_t marker = 0) {
    return static_cast<uint32_t>(marker) << 24 | static_cast<uint32_t>(data2) << 16 |
           static_cast<uint32_t>(data1) << 8 | status;
}

// Where every musical event meets the synthesizer: MIDI from the input, and the same packed
// events from the program's own producers (keyboard, sequencer, LFOs, portamento), told apart
// by their PartMarker. MIDI is filtered by each part's channel and key range on the synth
// panel; then notes, bend, pressure, RPNs and the fixed controllers act on the parts, and any
// other controller drives the function the control-change map gives it.
//
// The hub owns the controller state and routes the engine's portamento ticks through itself,
// so they queue in order with everything else and stop with the closing flag.
// Main thread only: MIDI arriving on another thread must be handed over first.
class MessageHub {
public:
    // The window messages that reach the main window.
    static constexpr uint32_t kWomOpen = 0x3BB;
    static constexpr uint32_t kWomClose = 0x3BC;
    static constexpr uint32_t kWomDone = 0x3BD;
    static constexpr uint32_t kMimOpen = 0x3C1;
    static constexpr uint32_t kMimClose = 0x3C2;
    static constexpr uint32_t kMimData = 0x3C3;
    static constexpr uint32_t kMimLongData = 0x3C4;
    static constexpr uint32_t kMimError = 0x3C5;
    static constexpr uint32_t kMimLongError = 0x3C6;
    static constexpr uint32_t kMimMoreData = 0x3CC;

    // PartMarker values.
    static constexpr uint8_t kFromMidi = 0x00;
    static constexpr uint8_t kFromProgram = 0xFE;
    static constexpr uint8_t kGlide56 = 0xFF;

    // Takes over the engine's portamento ticks and ComboBoxTranspose's typing; both are let go
    // again by the destructor.
    MessageHub(TFormMain& form, OPL3& chip, PitchControl& pitch);
    ~MessageHub();
    MessageHub(const MessageHub&) = delete;
    MessageHub& operator=(const MessageHub&) = delete;

    // The main window's message handling. Returns false for messages that are not the hub's
    // (the window's default handling gets them).
    bool Dispatch(uint32_t message, uintptr_t wParam, uintptr_t lParam);
    // One packed event. `param` is the internal producer's argument (LFO slot x 256 + operator,
    // remaining glide steps); for MIDI it is the timestamp in ms (or, through Dispatch, the
    // device), which nothing uses.
    void ShortEvent(uint32_t packed, uint32_t param);
    // Silences the chip and clears both note counters (system reset, preset loads, shutdown).
    void AllNotesOff();

    // Whether the MIDI input is open; MIDI (marker 0) is dropped while it is not. Unset = closed.
    std::function<bool()> inputOpen;
    // A wave buffer came back (MM_WOM_DONE's second parameter); not called while closing.
    std::function<void(uintptr_t buffer)> onWaveDone;
    // Controllers 96 (+1) and 97 (-1) and the keyboard's steps: the next or previous preset of
    // the main window, loaded. Unset = nothing to step through.
    std::function<void(int delta)> onStepPreset;
    // The optional windows of this run.
    HubPeers peers;

    ControllerState& Controllers() { return state; }
    const ControllerState& Controllers() const { return state; }

private:
    void MidiEvent(uint8_t status, uint8_t data1, uint8_t data2);
    void ChannelEvent(int type, uint8_t data1, uint8_t data2, bool m1, bool m2);
    void SystemEvent(int kind);
    void InternalEvent(uint32_t packed, uint32_t param);
    void Controller(uint8_t controller, uint8_t value, const CcSource& source);
    void DataEntry(uint8_t controller, uint8_t value, const CcSource& source);
    void StepPreset(int delta);
    bool InKeyRange(int part, uint8_t note);
    void NoteOn(int part, uint8_t note, uint8_t velocity);
    void NoteOff(int part, uint8_t note);

    TFormMain& form;
    OPL3& chip;
    PitchControl& pitch;
    ControllerState state;
    CcFunctions functions;
};

} // namespace vorpline
