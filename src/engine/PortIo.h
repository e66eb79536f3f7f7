#pragma once
#include <cstdint>

namespace vorpline {

// Raw access to x86 I/O ports, as the card backends and the card mixers need it.
// The Linux implementation (platform/LinuxPortIo) issues inb/outb after ioperm/iopl; tests
// use a recorder. Main thread only: the chip is written from the thread that owns the engine.
class PortIo {
public:
    virtual ~PortIo() = default;
    virtual void Out8(uint16_t port, uint8_t value) = 0;
    virtual uint8_t In8(uint16_t port) = 0;
    virtual void Out16(uint16_t port, uint16_t value) = 0;
    virtual uint16_t In16(uint16_t port) = 0;
};

} // namespace vorpline
