#include "engine/EmulatorBackend.h"

namespace vorpline {

void EmulatorBackend::Write(int bank, uint8_t address, uint8_t value, uint16_t /*extraDelay*/) {
    uint8_t addressPort = bank == 0 ? 0 : 2;
    port.Write(addressPort, address);
    port.Write(static_cast<uint8_t>(addressPort + 1), value);
}

} // namespace vorpline
