#include "engine/PortBackend.h"

#include "engine/PortPrimitives.h"

#include <cstdio>
#include <stdexcept>
#include <string>

namespace vorpline {

namespace {

constexpr uint32_t kPortCount = 4;
constexpr uint32_t kLastPort = 0xFFFF;

} // namespace

PortBackend::PortBackend(PortIo& io, uint16_t portBase, uint16_t preDelay, uint16_t postDelay)
    : io(io), portBase(portBase), preDelay(preDelay), postDelay(postDelay) {
    if (uint32_t{portBase} + kPortCount - 1 > kLastPort) {
        char text[80];
        std::snprintf(text, sizeof text, "Card port base 0x%04X leaves no room for its four ports",
                      static_cast<unsigned>(portBase));
        throw std::invalid_argument(text);
    }
}

void PortBackend::Write(int bank, uint8_t address, uint8_t value, uint16_t extraDelay) {
    if (bank != 0 && bank != 1) {
        throw std::out_of_range("Chip bank must be 0 or 1, got " + std::to_string(bank));
    }
    const auto addressPort = static_cast<uint16_t>(portBase + 2 * bank);
    const auto dataPort = static_cast<uint16_t>(addressPort + 1);
    WriteThenReadByte(io, addressPort, address, preDelay);
    WriteThenReadByte(io, dataPort, value, uint32_t{postDelay} + extraDelay);
}

} // namespace vorpline
