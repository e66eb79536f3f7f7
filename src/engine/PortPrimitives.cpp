#include "engine/PortPrimitives.h"

namespace vorpline {

uint8_t WriteThenReadByte(PortIo& io, uint16_t port, uint8_t value, uint32_t reads) {
    io.Out8(port, value);
    uint8_t last = value;
    for (uint32_t i = 0; i < reads; ++i) {
        last = io.In8(port);
    }
    return last;
}

uint16_t WriteThenReadWord(PortIo& io, uint16_t port, uint16_t value, uint32_t reads) {
    io.Out16(port, value);
    uint16_t last = value;
    for (uint32_t i = 0; i < reads; ++i) {
        last = io.In16(port);
    }
    return last;
}

uint8_t ReadByte(PortIo& io, uint16_t port) {
    return io.In8(port);
}

uint16_t ReadWord(PortIo& io, uint16_t port) {
    return io.In16(port);
}

} // namespace vorpline
