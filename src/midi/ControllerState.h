#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

namespace vorpline {

// What the main window remembers between controller messages: the RPN being addressed, the
// master tuning in its two halves, and per part (0 = 1-4, 1 = 5/6) the modulation range and
// portamento time. Bend ranges, bends and the LFO pitch contributions live with the pitch
// (PitchControl), which builds the parts' pitch offsets from them.
// Main thread only.
struct ControllerState {
    // No RPN addressed: data entry does nothing until controller 100 picks one.
    static constexpr uint16_t kNoRpn = 0x7F7F;
    static constexpr int kDefaultModulationRange = 2400;

    uint16_t rpn = kNoRpn;
    int coarseTuning = 0; // cents, RPN 2 or typed into ComboBoxTranspose
    int fineTuning = 0;   // cents, RPN 1
    std::array<int, 2> modulationRange{kDefaultModulationRange, kDefaultModulationRange};
    std::array<uint16_t, 2> portamentoTime{};

    int ModulationRange(int part) const { return modulationRange[static_cast<std::size_t>(part)]; }
};

} // namespace vorpline
