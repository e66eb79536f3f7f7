#pragma once
#include "engine/PortIo.h"

#include <cstdint>

namespace vorpline {

// The port handshakes shared by the card backend and the sound-card mixers. The reads after a
// write are the delay mechanism: each ISA port read takes about 1 µs whatever the CPU speed, so
// a delay is a count of reads, not a time. Same thread rules as the PortIo passed in.

// Writes `value` to `port`, then reads `port` `reads` times. Returns the last byte read, or
// `value` itself when `reads` is 0 (nothing was read back).
uint8_t WriteThenReadByte(PortIo& io, uint16_t port, uint8_t value, uint32_t reads);

// As WriteThenReadByte, with 16-bit transfers.
uint16_t WriteThenReadWord(PortIo& io, uint16_t port, uint16_t value, uint32_t reads);

uint8_t ReadByte(PortIo& io, uint16_t port);
uint16_t ReadWord(PortIo& io, uint16_t port);

} // namespace vorpline
