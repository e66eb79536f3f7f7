#include "cards/FM801.h"

#include "cards/VolumePan.h"
#include "engine/PortPrimitives.h"

#include <stdexcept>
#include <string>

namespace vorpline {

namespace {

// Ports from base to the last byte of the 16-bit control register.
constexpr uint16_t kPortSpan = FM801::kControlOffset + 2;

constexpr uint16_t kMuteBit = 0x8000;
constexpr int kRightShift = 8;
constexpr uint16_t kAttenuationMask = 0x1F;
constexpr int kMaxLevel = 31;

constexpr uint16_t kInUseBit = 0x0004;
constexpr uint16_t kAttenuatorHalfBit = 0x0040;
constexpr uint16_t kAttenuatorQuarterBit = 0x0080;
constexpr uint16_t kAttenuatorBits = kAttenuatorHalfBit | kAttenuatorQuarterBit;

constexpr uint32_t kSettleReads = 1;

uint16_t CheckedBase(uint16_t base) {
    if (base > 0x10000 - kPortSpan) {
        throw std::invalid_argument("FM801 mixer ports at base " + std::to_string(base) +
                                    " run past port 0xFFFF");
    }
    return base;
}

} // namespace

FM801::FM801(PortIo& io, uint16_t base)
    : io(io), volumePort(static_cast<uint16_t>(CheckedBase(base) + kVolumeOffset)),
      controlPort(static_cast<uint16_t>(base + kControlOffset)) {
    SetMute(true);
    UpdateControl(0, kInUseBit);
    SetMute(false);
}

FM801::~FM801() {
    UpdateControl(kInUseBit, 0);
    SetMute(true);
}

void FM801::SetVolumePan(int volume, int pan) {
    const StereoLevels levels = VolumePan{volume, pan}.ToLevels();
    const auto leftAttenuation = static_cast<uint16_t>(kMaxLevel - levels.left);
    const auto rightAttenuation = static_cast<uint16_t>(kMaxLevel - levels.right);
    WriteVolume(static_cast<uint16_t>((ReadVolume() & kMuteBit) |
                                      (rightAttenuation << kRightShift) | leftAttenuation));
}

bool FM801::GetVolumePan(int& volume, int& pan) {
    const uint16_t value = ReadVolume();
    const StereoLevels levels{kMaxLevel - (value & kAttenuationMask),
                              kMaxLevel - ((value >> kRightShift) & kAttenuationMask)};
    const VolumePan current = VolumePan::FromLevels(levels);
    volume = current.volume;
    pan = current.pan;
    return (value & kMuteBit) != 0;
}

void FM801::SetMute(bool on) {
    const uint16_t value = ReadVolume();
    WriteVolume(on ? static_cast<uint16_t>(value | kMuteBit)
                   : static_cast<uint16_t>(value & ~kMuteBit));
}

void FM801::SetAttenuator(int divisor) {
    switch (divisor) {
    case kAttenuatorOff:
        UpdateControl(kAttenuatorBits, 0);
        return;
    case kAttenuatorHalf:
        UpdateControl(kAttenuatorBits, kAttenuatorHalfBit);
        return;
    case kAttenuatorQuarter:
        UpdateControl(kAttenuatorBits, kAttenuatorQuarterBit);
        return;
    default:
        throw std::invalid_argument("FM801 attenuator must be 1, 2 or 4, not " +
                                    std::to_string(divisor));
    }
}

uint16_t FM801::ReadVolume() {
    return ReadWord(io, volumePort);
}

void FM801::WriteVolume(uint16_t value) {
    WriteThenReadWord(io, volumePort, value, kSettleReads);
}

void FM801::UpdateControl(uint16_t clearBits, uint16_t setBits) {
    const uint16_t value = ReadWord(io, controlPort);
    WriteThenReadWord(io, controlPort, static_cast<uint16_t>((value & ~clearBits) | setBits),
                      kSettleReads);
}

} // namespace vorpline
