#include "cards/SB16.h"

#include "engine/PortPrimitives.h"

#include <stdexcept>
#include <string>

namespace vorpline {

namespace {

constexpr uint8_t kFmLeftRegister = 0x34;
constexpr uint8_t kFmRightRegister = 0x35;
constexpr uint32_t kSettleReads = 1;

uint16_t CheckedBase(uint16_t base, uint16_t lastPort) {
    if (base > 0xFFFF - lastPort) {
        throw std::invalid_argument("Mixer ports at base " + std::to_string(base) +
                                    " run past port 0xFFFF");
    }
    return base;
}

} // namespace

SB16::SB16(PortIo& io, uint16_t base) : SB16(io, base, kDataOffset, &WriteSb16Levels) {}

SB16::SB16(PortIo& io, uint16_t base, uint16_t lastPort, LevelWriter writer)
    : io(io), base(CheckedBase(base, lastPort < kDataOffset ? kDataOffset : lastPort)),
      writer(writer) {
    writer(io, base, levels);
}

SB16::~SB16() {
    writer(io, base, StereoLevels{});
}

void SB16::SetVolumePan(int volume, int pan) {
    levels = VolumePan{volume, pan}.ToLevels();
    if (!muted) {
        writer(io, base, levels);
    }
}

bool SB16::GetVolumePan(int& volume, int& pan) {
    const VolumePan current = VolumePan::FromLevels(levels);
    volume = current.volume;
    pan = current.pan;
    return muted;
}

void SB16::SetMute(bool on) {
    writer(io, base, on ? StereoLevels{} : levels);
    muted = on;
}

void SB16::WriteRegister(PortIo& io, uint16_t base, uint8_t index, uint8_t value) {
    WriteThenReadByte(io, static_cast<uint16_t>(base + kIndexOffset), index, kSettleReads);
    WriteThenReadByte(io, static_cast<uint16_t>(base + kDataOffset), value, kSettleReads);
}

void SB16::WriteSb16Levels(PortIo& io, uint16_t base, StereoLevels levels) {
    WriteRegister(io, base, kFmLeftRegister, static_cast<uint8_t>(levels.left * 8));
    WriteRegister(io, base, kFmRightRegister, static_cast<uint8_t>(levels.right * 8));
}

} // namespace vorpline
