#pragma once
#include "engine/PortIo.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vorpline {

// The kernel calls that open the I/O ports to this process. Replaceable so that the refusal
// path can be exercised without depending on the privileges of the machine running the tests.
// Both follow the libc convention: 0 on success, -1 with errno set on failure.
struct PortAccessCalls {
    std::function<int(unsigned long from, unsigned long count, int turnOn)> ioperm;
    std::function<int(int level)> iopl;
};

// Ports first..last, both included.
struct PortRange {
    uint16_t first = 0;
    uint16_t last = 0;

    bool operator==(const PortRange&) const = default;
    bool Contains(uint16_t port) const { return port >= first && port <= last; }
};

// "0x0220-0x0225, 0x0227": how a refusal names the ports.
std::string PortRangesText(const std::vector<PortRange>& ranges);

// PortIo on real hardware through inb/outb/inw/outw. x86 only: elsewhere construction throws
// std::runtime_error. Port access must have been granted (RequestAccess / CheckPortAccess)
// before the first transfer, on the thread that makes it or on a thread that created it
// afterwards (Linux keeps the permission per thread and passes it on to new threads);
// without it the kernel kills the process on the first in/out instruction.
class LinuxPortIo final : public PortIo {
public:
    // Ports below this can be granted one by one (ioperm); a range reaching it or beyond
    // needs the whole I/O space opened (iopl level 3).
    static constexpr uint32_t kIopermLimit = 0x400;

    LinuxPortIo();

    void Out8(uint16_t port, uint8_t value) override;
    uint8_t In8(uint16_t port) override;
    void Out16(uint16_t port, uint16_t value) override;
    uint16_t In16(uint16_t port) override;

    // Asks the kernel for ports first..last (inclusive) for the calling thread. Throws
    // std::invalid_argument if first > last, std::runtime_error naming the range, the remedy
    // and the system's reason if refused, or if the processor has no I/O ports.
    static void RequestAccess(uint16_t first, uint16_t last);
    static void RequestAccess(uint16_t first, uint16_t last, const PortAccessCalls& calls);
    // The same for several ranges at once, each granted before any is used. Ranges below
    // kIopermLimit are granted one by one; if any reaches it the whole I/O space is opened
    // once. An empty list is std::invalid_argument; a refusal names every range.
    static void RequestAccess(const std::vector<PortRange>& ranges);
    static void RequestAccess(const std::vector<PortRange>& ranges, const PortAccessCalls& calls);

    // The real ioperm/iopl; on processors without I/O ports both fail with ENOSYS.
    static PortAccessCalls SystemCalls();
};

} // namespace vorpline
