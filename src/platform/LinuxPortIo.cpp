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

std::string RangeText(uint16_t first, uint16_t last) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%04X-0x%04X", static_cast<unsigned>(first),
                  static_cast<unsigned>(last));
    return text;
}

} // namespace

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
    if (!VORPLINE_HAS_PORT_IO) {
        ThrowNoPortIo();
    }
    RequestAccess(first, last, SystemCalls());
}

void LinuxPortIo::RequestAccess(uint16_t first, uint16_t last, const PortAccessCalls& calls) {
    if (first > last) {
        throw std::invalid_argument("Port range " + RangeText(first, last) +
                                    " ends before it starts");
    }
    errno = 0;
    const int result = last < kIopermLimit
                           ? calls.ioperm(first, static_cast<unsigned long>(last - first + 1), 1)
                           : calls.iopl(kIoplAllPorts);
    if (result != 0) {
        const int error = errno;
        throw std::runtime_error("No permission for I/O ports " + RangeText(first, last) +
                                 ": run as root or grant CAP_SYS_RAWIO (" + std::strerror(error) +
                                 ")");
    }
}

} // namespace vorpline
