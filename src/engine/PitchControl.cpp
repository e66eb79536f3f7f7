#include "engine/PitchControl.h"

#include <cmath>

#include "engine/OPL3.h"

namespace vorpline {

PitchControl::PitchControl(OPL3& chip) : chip(chip) {}

int32_t PitchControl::PitchOffset(int part) const {
    auto p = static_cast<size_t>(part);
    int32_t sum = masterTuning + partTuning[p] + bend[p] + chip.GlideOffset(part);
    for (int cents : lfoPitch[p]) {
        sum += cents;
    }
    return sum;
}

void PitchControl::Retune(int part) {
    chip.Part(part).RetuneAll(PitchOffset(part));
}

void PitchControl::SetMasterTuning(int cents) {
    masterTuning = cents;
    Retune(OPL3::kPart1234);
    Retune(OPL3::kPart56);
}

void PitchControl::PitchBend(int part, int value) {
    double range = bendRange[static_cast<size_t>(part)];
    bend[static_cast<size_t>(part)] = static_cast<int>(std::trunc(range * value / 8192.0 - range));
    Retune(part);
}

int PitchControl::LfoPitch(int part, int slot) const {
    if (slot < 0 || slot >= kLfoCount) {
        return 0;
    }
    return lfoPitch[static_cast<size_t>(part)][static_cast<size_t>(slot)];
}

void PitchControl::SetLfoPitch(int part, int slot, int cents) {
    if (slot < 0 || slot >= kLfoCount) {
        return;
    }
    lfoPitch[static_cast<size_t>(part)][static_cast<size_t>(slot)] = cents;
    Retune(part);
}

void PitchControl::GlideTick(int part, int remaining) {
    chip.Part(part).GlideTick(PitchOffset(part), remaining);
}

uint8_t PitchControl::NoteOn(int part, uint8_t note, uint8_t velocity) {
    return chip.Part(part).NoteOn(note, velocity, PitchOffset(part));
}

uint8_t PitchControl::NoteOff(int part, uint8_t note) {
    return chip.Part(part).NoteOff(note);
}

} // namespace vorpline
