#include "platform/CheckPortAccess.h"

#include <cstdio>
#include <stdexcept>

namespace vorpline {

namespace {

constexpr uint32_t kCardPortCount = 4;
constexpr uint32_t kParallelPortCount = 3;
constexpr uint32_t kLastPort = 0xFFFF;

uint16_t LastPort(PortDevice device, uint16_t base) {
    const uint32_t count = device == PortDevice::Card ? kCardPortCount : kParallelPortCount;
    const uint32_t last = uint32_t{base} + count - 1;
    if (last > kLastPort) {
        char text[96];
        std::snprintf(text, sizeof text, "%s port base 0x%04X leaves no room for its %u ports",
                      device == PortDevice::Card ? "Card" : "Parallel", static_cast<unsigned>(base),
                      static_cast<unsigned>(count));
        throw std::invalid_argument(text);
    }
    return static_cast<uint16_t>(last);
}

} // namespace

void CheckPortAccess(PortDevice device, uint16_t base) {
    LinuxPortIo::RequestAccess(base, LastPort(device, base));
}

void CheckPortAccess(PortDevice device, uint16_t base, const PortAccessCalls& calls) {
    LinuxPortIo::RequestAccess(base, LastPort(device, base), calls);
}

void CheckPortAccess(const std::vector<PortRange>& ranges) {
    LinuxPortIo::RequestAccess(ranges);
}

void CheckPortAccess(const std::vector<PortRange>& ranges, const PortAccessCalls& calls) {
    LinuxPortIo::RequestAccess(ranges, calls);
}

} // namespace vorpline
