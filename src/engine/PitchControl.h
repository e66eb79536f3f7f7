#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

namespace vorpline {

class OPL3;

// Everything that moves a part's pitch besides the note: master transposition, the part's own
// tuning, pitch bend, portamento and the LFOs' pitch contributions. It assembles each part's
// total pitch offset in cents and retunes the sounding voices when one of them changes.
// Main thread only.
class PitchControl {
public:
    static constexpr int kLfoCount = 8;

    explicit PitchControl(OPL3& chip);

    // transposition + part tuning + bend + glide offset + the eight LFO contributions.
    int32_t PitchOffset(int part) const;

    int MasterTuning() const { return masterTuning; }
    // Retunes both parts.
    void SetMasterTuning(int cents);
    int PartTuning(int part) const { return partTuning[static_cast<std::size_t>(part)]; }
    // Heard from the next note or retune on: the tuning boxes have no immediate effect.
    void SetPartTuning(int part, int cents) { partTuning[static_cast<std::size_t>(part)] = cents; }

    int BendRange(int part) const { return bendRange[static_cast<std::size_t>(part)]; }
    void SetBendRange(int part, int cents) { bendRange[static_cast<std::size_t>(part)] = cents; }
    int Bend(int part) const { return bend[static_cast<std::size_t>(part)]; }
    // value = MSB * 128 + LSB, 0..16383, 8192 = centre.
    void PitchBend(int part, int value);

    int LfoPitch(int part, int slot) const;
    // slot 0..7; other slots are ignored.
    void SetLfoPitch(int part, int slot, int cents);

    // A portamento tick arrived on the main thread.
    void GlideTick(int part, int remaining);

    uint8_t NoteOn(int part, uint8_t note, uint8_t velocity);
    uint8_t NoteOff(int part, uint8_t note);

private:
    void Retune(int part);

    OPL3& chip;
    int masterTuning = 0;
    std::array<int, 2> partTuning{};
    std::array<int, 2> bendRange{1200, 1200};
    std::array<int, 2> bend{};
    std::array<std::array<int, kLfoCount>, 2> lfoPitch{};
};

} // namespace vorpline
