#pragma once
#include <cstdint>

namespace vorpline {

// What the clock window drives, in this order: the LFO window, then the sequencer window. The
// clock hands each of them its ticks (24 per quarter note), the transport commands and every
// note the engine plays. Main thread only: the clock's timer only posts, the tick runs here.
class ClockFollower {
public:
    virtual ~ClockFollower() = default;
    virtual void ClockTick() = 0;
    virtual void ClockStart() = 0;
    virtual void ClockStop() = 0;
    virtual void ClockContinue() = 0;
    // Every key-on (velocity, true) and key-off (0, false) the engine makes.
    virtual void ClockNote(uint8_t note, uint8_t velocity, bool on) = 0;
    // The master enable read from the configuration, switched on at the end of start-up (its
    // handler may start LFOs, which must wait until every window exists).
    virtual void ApplyStoredEnable() = 0;
};

// The LFO window's inputs for the three controller functions that act on LFOs ("Switch 1
// (Damper)", "Switch 2", "LFO Modulation"), which the clock forwards. `source` is the LFO that
// sent the value (0xFF: the MIDI input), `destination` the LFO it is meant for (0..7) or 0xFF /
// 8 and above for every LFO. Main thread only.
class LfoInputs {
public:
    virtual ~LfoInputs() = default;
    virtual void Switch1(uint8_t value, uint8_t source, uint8_t destination) = 0;
    virtual void Switch2(uint8_t value, uint8_t source, uint8_t destination) = 0;
    virtual void LfoModulation(uint8_t value, uint8_t source, uint8_t destination) = 0;
};

} // namespace vorpline
