#pragma once
#include <cstdint>

namespace vorpline {

// Told of every key-on (note, velocity, true) and key-off (note, 0, false) the engine makes,
// so the clock can trigger LFOs and sequencer steps. Main thread.
class NoteListener {
public:
    virtual ~NoteListener() = default;
    virtual void NoteEvent(uint8_t note, uint8_t velocity, bool on) = 0;
};

} // namespace vorpline
