#include "cards/SBPRO2.h"

namespace vorpline {

namespace {

constexpr uint8_t kFmRegister = 0x26;
constexpr uint16_t kLastPort = 5;

} // namespace

SBPRO2::SBPRO2(PortIo& io, uint16_t base) : SB16(io, base, kLastPort, &WriteLevels) {}

void SBPRO2::WriteLevels(PortIo& io, uint16_t base, StereoLevels levels) {
    // Both 5-bit levels drop their lowest bit to fit a nibble.
    const int value = ((levels.left * 8) & 0xF0) | ((levels.right / 2) & 0x0F);
    WriteRegister(io, base, kFmRegister, static_cast<uint8_t>(value));
}

} // namespace vorpline
