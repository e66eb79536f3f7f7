#pragma once
#include <array>
#include <cstdint>

namespace vorpline {

// The per-preset values of both parts that have no control on the synth panel: they travel
// with every 6-operator preset, the parameter dialog edits them and the RPN and portamento
// controllers set them. Index 0 = part 1-4, 1 = part 5/6.
struct PresetParameters {
    std::array<int, 2> bendRange{1200, 1200};       // cents, 0..2399 from the dialog
    std::array<int, 2> modulationRange{2400, 2400}; // cents, 0..4799 from the dialog
    std::array<uint16_t, 2> portamentoTime{0, 0};   // 0..127, 0 = off
    uint8_t legatoFlags = 0; // 0x01/0x02 part 1-4 "Up"/"Down", 0x10/0x20 part 5/6

    bool operator==(const PresetParameters&) const = default;
};

} // namespace vorpline
