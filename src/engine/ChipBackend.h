#pragma once
#include <cstdint>

namespace vorpline {

// One of the three roads to the chip: card ports, parallel port, software chip.
// `bank` is 0 for registers 0x000-0x0FF and 1 for 0x100-0x1FF; `address` is the low byte as it
// goes out (after any bending). `extraDelay` adds port reads after the data write only.
class ChipBackend {
public:
    virtual ~ChipBackend() = default;
    virtual void Write(int bank, uint8_t address, uint8_t value, uint16_t extraDelay) = 0;
};

} // namespace vorpline
