#pragma once
#include <cstdint>

namespace vorpline {

// Where the emulator backend sends its bytes: the software chip's four ports
// (0 = bank-0 address, 1 = bank-0 data, 2 = bank-1 address, 3 = bank-1 data).
// The offline renderer writes straight into the chip; the live output queues the bytes for
// the audio thread.
class EmulatorPort {
public:
    virtual ~EmulatorPort() = default;
    virtual void Write(uint8_t port, uint8_t value) = 0;
};

} // namespace vorpline
