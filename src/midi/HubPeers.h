#pragma once
#include <cstdint>

namespace vorpline {

class CcMap;

// What the message hub hands to the optional windows. Each window that exists implements its
// interface; a window that does not exist is a null pointer in HubPeers and hears nothing.
// Everything here is called on the main thread.

// The clock window: MIDI real-time messages and the three switch/modulation functions, which
// it forwards to the LFOs.
class ClockReceiver {
public:
    // Sources of MIDI ticks: the timing clock (0xF8), and every other system message.
    static constexpr int kTimingClock = 1;
    static constexpr int kOtherSystem = 2;

    virtual ~ClockReceiver() = default;
    virtual void Tick(int source) = 0;
    virtual void Start() = 0;
    virtual void Continue() = 0;
    virtual void Stop() = 0;
    // value 0..127; slot = the LFO that sent it (0xFF: the MIDI input); op = its destination
    // operator (0xFF: none named).
    virtual void Switch1(uint8_t value, uint8_t slot, uint8_t op) = 0;
    virtual void Switch2(uint8_t value, uint8_t slot, uint8_t op) = 0;
    virtual void LfoModulation(uint8_t value, uint8_t slot, uint8_t op) = 0;
};

// The Circuit Bend window's controller function.
class CircuitBendReceiver {
public:
    virtual ~CircuitBendReceiver() = default;
    virtual void CcEvent(uint8_t value) = 0;
};

// The DSP window's four controller entries, each a 7-bit value put on its track bar.
class DspReceiver {
public:
    virtual ~DspReceiver() = default;
    virtual void SetFrequency(uint8_t value) = 0;
    virtual void SetResonance(uint8_t value) = 0;
    virtual void SetInputGain(uint8_t value) = 0;
    virtual void SetOutputGain(uint8_t value) = 0;
};

// The drum kit window, which plays its own notes from its own MIDI channel.
class DrumKitReceiver {
public:
    virtual ~DrumKitReceiver() = default;
    // Whether the kit's channel box selects MIDI channel 0..15.
    virtual bool ListensTo(int channel) const = 0;
    virtual void PlayByNote(uint8_t note, uint8_t velocity) = 0;
};

// The optional windows as they exist in this run; start-up fills in the ones it creates.
struct HubPeers {
    CcMap* ccMap = nullptr;
    ClockReceiver* clock = nullptr;
    CircuitBendReceiver* bend = nullptr;
    DspReceiver* dsp = nullptr;
    DrumKitReceiver* drumKit = nullptr;
};

} // namespace vorpline
