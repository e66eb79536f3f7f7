#include "cards/Solo1.h"

#include "engine/PortPrimitives.h"

namespace vorpline {

namespace {

constexpr uint8_t kFmRegister = 0x36;
constexpr uint8_t kRoutingBit4 = 0x10;
constexpr uint8_t kRoutingBit5 = 0x20;
constexpr uint32_t kSettleReads = 1;

} // namespace

Solo1::Solo1(PortIo& io, uint16_t base) : SB16(io, base, kRoutingOffset, &WriteLevels) {
    UpdateRouting(0);
}

Solo1::~Solo1() {
    UpdateRouting(kRoutingBit5);
}

void Solo1::WriteLevels(PortIo& io, uint16_t base, StereoLevels levels) {
    WriteRegister(io, base, kFmRegister,
                  static_cast<uint8_t>((levels.left * 16 + levels.right) & 0xFF));
}

void Solo1::UpdateRouting(uint8_t setBits) {
    const auto port = static_cast<uint16_t>(Base() + kRoutingOffset);
    const uint8_t value = ReadByte(Io(), port);
    WriteThenReadByte(Io(), port,
                      static_cast<uint8_t>((value & ~(kRoutingBit4 | kRoutingBit5)) | setBits),
                      kSettleReads);
}

} // namespace vorpline
