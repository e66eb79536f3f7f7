#pragma once
#include "engine/ChipBackend.h"
#include "engine/ParallelLines.h"

#include <cstdint>

namespace vorpline {

// Control-register bits 0 (nStrobe), 1 (nAutoFd) and 3 (nSelectIn) are inverted between the
// register and the connector; bit 2 (nInit) is not. ParallelLines wants the logic level, this
// backend thinks in raw register values, and this is the one place that converts.
inline constexpr uint8_t kControlInvertedBits = 0x0B;

constexpr uint8_t ControlRawToLogic(uint8_t raw) {
    return static_cast<uint8_t>(raw ^ kControlInvertedBits);
}

// The chip on a parallel-port adapter. The 8 data lines carry the byte; in the raw control
// register bit 0 selects address (1) or data (0), bit 3 selects bank 0 (1) or bank 1 (0), and
// bit 2 is the write strobe, pulsed low. Delays are counts of reads of the register just
// written (about 1 µs each): preDelay during the set-up and strobe, postDelay after the strobe
// ends, extraDelay added after the data strobe only. Main thread only.
class ParallelBackend final : public ChipBackend {
public:
    ParallelBackend(ParallelLines& lines, uint16_t preDelay, uint16_t postDelay);

    // Throws std::out_of_range for a bank other than 0 or 1; nothing is written then.
    void Write(int bank, uint8_t address, uint8_t value, uint16_t extraDelay) override;

private:
    // One strobed transfer of `data` with raw control value `control` (strobe bit clear).
    // setupReads follow the data write and each of the first two control writes; holdReads
    // follow the strobe's release.
    void Cycle(uint8_t control, uint8_t data, uint32_t setupReads, uint32_t holdReads);
    void ReadDataTimes(uint32_t reads);
    void ReadControlTimes(uint32_t reads);

    ParallelLines& lines;
    uint16_t preDelay;
    uint16_t postDelay;
};

} // namespace vorpline
