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

// The windows the hub talks to. A tool window that exists in this run hands its receiver over
// with Connect; one that does not exist leaves a receiver in place that ignores everything, so
// neither the hub nor the controller functions ever ask whether a window is there.
class HubPeers {
public:
    HubPeers();

    void Connect(CcMap& map) { ccMap = &map; }
    void Connect(ClockReceiver& receiver) { clock = &receiver; }
    void Connect(CircuitBendReceiver& receiver) { bend = &receiver; }
    void Connect(DspReceiver& receiver) { dsp = &receiver; }
    void Connect(DrumKitReceiver& receiver) { drumKit = &receiver; }

    // Without a control-change map only the damper pedal (controller 64) has a function.
    CcMap& Map() const { return *ccMap; }
    ClockReceiver& Clock() const { return *clock; }
    CircuitBendReceiver& Bend() const { return *bend; }
    DspReceiver& Dsp() const { return *dsp; }
    DrumKitReceiver& DrumKit() const { return *drumKit; }

private:
    CcMap* ccMap;
    ClockReceiver* clock;
    CircuitBendReceiver* bend;
    DspReceiver* dsp;
    DrumKitReceiver* drumKit;
};

} // namespace vorpline
