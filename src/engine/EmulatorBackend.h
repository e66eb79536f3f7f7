#pragma once
#include "engine/ChipBackend.h"
#include "engine/EmulatorPort.h"

namespace vorpline {

// Register writes to the software chip: address then data, on ports 0/1 for bank 0 and 2/3
// for bank 1. No delays: the software chip takes every byte at once.
class EmulatorBackend : public ChipBackend {
public:
    explicit EmulatorBackend(EmulatorPort& port) : port(port) {}
    void Write(int bank, uint8_t address, uint8_t value, uint16_t extraDelay) override;

private:
    EmulatorPort& port;
};

} // namespace vorpline
