#pragma once
#include <cstdint>

namespace vorpline {

class OPL3;
class PitchControl;

// Plays channel messages on both parts as long as no per-part routing is configured: both
// parts listen to one MIDI channel over the whole key range. Notes (a note-on with velocity 0
// is a note-off), pitch bend and the damper pedal (controller 64) reach the engine; every
// other message is ignored. Main thread.
class DirectRouter {
public:
    DirectRouter(OPL3& chip, PitchControl& pitch, uint8_t channel = 0)
        : chip(chip), pitch(pitch), channel(channel) {}

    void Route(uint8_t status, uint8_t data1, uint8_t data2);

private:
    OPL3& chip;
    PitchControl& pitch;
    uint8_t channel;
};

} // namespace vorpline
