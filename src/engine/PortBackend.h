#pragma once
#include "engine/ChipBackend.h"
#include "engine/PortIo.h"

#include <cstdint>

namespace vorpline {

// The chip on a sound card, written through its four I/O ports: portBase (bank-0 address),
// portBase+1 (bank-0 data), portBase+2 (bank-1 address), portBase+3 (bank-1 data).
// Delays are counts of reads of the port just written (about 1 µs each on ISA): preDelay after
// the address write, postDelay (+ extraDelay) after the data write. With all delays 0 a write is
// exactly two port writes. Main thread only, like the PortIo it drives.
class PortBackend final : public ChipBackend {
public:
    // Throws std::invalid_argument if the four ports would run past 0xFFFF.
    PortBackend(PortIo& io, uint16_t portBase, uint16_t preDelay, uint16_t postDelay);

    // Throws std::out_of_range for a bank other than 0 or 1; nothing is written then.
    void Write(int bank, uint8_t address, uint8_t value, uint16_t extraDelay) override;

private:
    PortIo& io;
    uint16_t portBase;
    uint16_t preDelay;
    uint16_t postDelay;
};

} // namespace vorpline
