#include "audio/YMF262.h"

#include <algorithm>
#include <new>

// The library is C but its header carries no linkage guard.
extern "C" {
#include <adplug/nukedopl.h>
}

namespace vorpline {

struct YMF262::Chip {
    opl3_chip state;
    uint16_t latchedRegister = 0; // 9 bits: bank in bit 8
};

YMF262::YMF262() = default;
YMF262::~YMF262() = default;

int YMF262::Init(int chips, uint32_t clock, uint32_t rate) {
    Shutdown();
    if (chips != 1) {
        return kInitBadChipCount;
    }
    if (clock != kClock) {
        return kInitBadClock;
    }
    if (rate != kNativeRate) {
        return kInitBadRate;
    }
    chip.reset(new (std::nothrow) Chip());
    if (!chip) {
        return kInitNoMemory;
    }
    ResetChip(0);
    return kInitOk;
}

void YMF262::Shutdown() {
    chip.reset();
}

void YMF262::ResetChip(int index) {
    if (!chip || index != 0) {
        return;
    }
    // At the native rate the library's own resampler is a no-op; OPL3_Generate ignores it.
    OPL3_Reset(&chip->state, kNativeRate);
    chip->latchedRegister = 0;
}

void YMF262::Write(int index, int port, uint8_t value) {
    if (!chip || index != 0) {
        return;
    }
    switch (port) {
    case 0:
        chip->latchedRegister = value;
        break;
    case 2:
        chip->latchedRegister = 0x100 | value;
        break;
    case 1:
    case 3:
        OPL3_WriteReg(&chip->state, chip->latchedRegister, value);
        break;
    default:
        break;
    }
}

uint8_t YMF262::Read(int, int) const {
    return 0;
}

void YMF262::UpdateOne(int index, int16_t* buffer, size_t frames) {
    if (!chip || index != 0) {
        std::fill(buffer, buffer + 2 * frames, int16_t{0});
        return;
    }
    for (size_t i = 0; i < frames; ++i) {
        OPL3_Generate(&chip->state, buffer + 2 * i);
    }
}

} // namespace vorpline
