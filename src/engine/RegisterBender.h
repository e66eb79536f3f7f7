#pragma once
#include <cstdint>

namespace vorpline {

// Rewrites the address and data bytes of every register write on their way to the chip
// (the bending window implements it). The bank is still chosen by the untransformed number.
class RegisterBender {
public:
    virtual ~RegisterBender() = default;
    virtual uint8_t BendRegister(uint8_t address) = 0;
    virtual uint8_t BendData(uint8_t value) = 0;
};

} // namespace vorpline
