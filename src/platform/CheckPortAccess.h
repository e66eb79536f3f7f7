#pragma once
#include "platform/LinuxPortIo.h"

#include <cstdint>
#include <vector>

namespace vorpline {

// Which hardware road is about to be opened; each needs a different span of ports.
enum class PortDevice {
    // The card's four chip ports: base (bank-0 address), base+1 (bank-0 data),
    // base+2 (bank-1 address), base+3 (bank-1 data).
    Card,
    // The parallel port's three registers: base (data), base+1 (status), base+2 (control).
    Parallel,
};

// The start-up check made before a port or parallel backend is created: asks the kernel for
// the device's ports so that a refusal becomes a clear message instead of the process being
// killed on its first port access. Access stays granted to the calling thread and to threads
// it creates afterwards, so call it on the thread that will own the chip. Throws
// std::invalid_argument if the span runs past port 0xFFFF and std::runtime_error (the text of
// LinuxPortIo::RequestAccess) if access is refused.
void CheckPortAccess(PortDevice device, uint16_t base);
void CheckPortAccess(PortDevice device, uint16_t base, const PortAccessCalls& calls);

// The same for several spans at once, such as every port a card's chip and mixer use
// (cards/CardPorts gives them), so that no part of the card touches a port that was not
// granted. Throws as LinuxPortIo::RequestAccess for a list of ranges.
void CheckPortAccess(const std::vector<PortRange>& ranges);
void CheckPortAccess(const std::vector<PortRange>& ranges, const PortAccessCalls& calls);

} // namespace vorpline
