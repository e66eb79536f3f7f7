#include "platform/LinuxPortIo.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>

#if defined(__x86_64__) || defined(__i386__)
#define VORPLINE_HAS_PORT_IO 1
#include <sys/io.h>
#else
#define VORPLINE_HAS_PORT_IO 0
#endif

namespace vorpline {

namespace {

constexpr int kIoplAllPorts = 3;

[[noreturn]] void ThrowNoPortIo() {
    throw std::runtime_error("Direct I/O port access needs an x86 processor; use the emulator "
                             "output on this machine");
}

} // namespace

std::string PortRangesText(const std::vector<PortRange>& ranges) {
    std::string text;
    for (const PortRange& range : ranges) {
        char part[24];
        if (range.first == range.last) {
            std::snprintf(part, sizeof part, "0x%04X", static_cast<unsigned>(range.first));
        } else {
            std::snprintf(part, sizeof part, "0x%04X-0x%04X", static_cast<unsigned>(range.first),
                          static_cast<unsigned>(range.last));
        }
        text += text.empty() ? part : std::string(", ") + part;
    }
    return text;
}

LinuxPortIo::LinuxPortIo() {
    if (!VORPLINE_HAS_PORT_IO) {
        ThrowNoPortIo();
    }
}

#if VORPLINE_HAS_PORT_IO

void LinuxPortIo::Out8(uint16_t port, uint8_t value) {
    outb(value, port);
}

uint8_t LinuxPortIo::In8(uint16_t port) {
    return inb(port);
}

void LinuxPortIo::Out16(uint16_t port, uint16_t value) {
    outw(value, port);
}

uint16_t LinuxPortIo::In16(uint16_t port) {
    return inw(port);
}

PortAccessCalls LinuxPortIo::SystemCalls() {
    return {[](unsigned long from, unsigned long count, int turnOn) {
                return ::ioperm(from, count, turnOn);
            },
            [](int level) { return ::iopl(level); }};
}

#else

void LinuxPortIo::Out8(uint16_t, uint8_t) {
    ThrowNoPortIo();
}

uint8_t LinuxPortIo::In8(uint16_t) {
    ThrowNoPortIo();
}

void LinuxPortIo::Out16(uint16_t, uint16_t) {
    ThrowNoPortIo();
}

uint16_t LinuxPortIo::In16(uint16_t) {
    ThrowNoPortIo();
}

PortAccessCalls LinuxPortIo::SystemCalls() {
    return {[](unsigned long, unsigned long, int) {
                errno = ENOSYS;
                return -1;
            },
            [](int) {
                errno = ENOSYS;
                return -1;
            }};
}

#endif

void LinuxPortIo::RequestAccess(uint16_t first, uint16_t last) {
    RequestAccess(std::vector<PortRange>{{first, last}});
}

void LinuxPortIo::RequestAccess(uint16_t first, uint16_t last, const PortAccessCalls& calls) {
    RequestAccess(std::vector<PortRange>{{first, last}}, calls);
}

void LinuxPortIo::RequestAccess(const std::vector<PortRange>& ranges) {
    if (!VORPLINE_HAS_PORT_IO) {
        ThrowNoPortIo();
    }
    RequestAccess(ranges, SystemCalls());
}

void LinuxPortIo::RequestAccess(const std::vector<PortRange>& ranges,
                                const PortAccessCalls& calls) {
    if (ranges.empty()) {
        throw std::invalid_argument("No I/O ports to ask for");
    }
    bool wholeSpace = false;
    for (const PortRange& range : ranges) {
        if (range.first > range.last) {
            throw std::invalid_argument("Port range " + PortRangesText({range}) +
                                        " ends before it starts");
        }
        wholeSpace = wholeSpace || range.last >= kIopermLimit;
    }
    errno = 0;
    int result = 0;
    if (wholeSpace) {
        result = calls.iopl(kIoplAllPorts);
    } else {
        for (const PortRange& range : ranges) {
            const auto count = static_cast<unsigned long>(range.last - range.first + 1);
            result = calls.ioperm(range.first, count, 1);
            if (result != 0) {
                break;
            }
        }
    }
    if (result != 0) {
        const int error = errno;
        throw std::runtime_error("No permission for I/O ports " + PortRangesText(ranges) +
                                 ": run as root or grant CAP_SYS_RAWIO (" + std::strerror(error) +
                                 ")");
    }
}

} // namespace vorpline
