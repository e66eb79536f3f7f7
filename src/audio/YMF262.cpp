#include "audio/YMF262.h"

#include <algorithm>
#include <cctype>
#include <new>

#include "audio/OplCore.h"

// The library is C but its header carries no linkage guard.
extern "C" {
#include <adplug/nukedopl.h>
}

namespace vorpline {

namespace {

class AccurateOplCore final : public OplCore {
public:
    void Reset() override {
        // At the native rate the library's own resampler is a no-op; OPL3_Generate ignores it.
        OPL3_Reset(&state, YMF262::kNativeRate);
    }
    void WriteRegister(uint16_t reg, uint8_t value) override { OPL3_WriteReg(&state, reg, value); }
    void Generate(int16_t* frames, size_t count) override {
        for (size_t i = 0; i < count; ++i) {
            OPL3_Generate(&state, frames + 2 * i);
        }
    }

private:
    opl3_chip state{};
};

} // namespace

std::unique_ptr<OplCore> MakeAccurateOplCore() {
    return std::unique_ptr<OplCore>(new (std::nothrow) AccurateOplCore());
}

const char* EmulatorCoreName(EmulatorCore core) {
    return core == EmulatorCore::kFast ? "Fast" : "Accurate";
}

std::optional<EmulatorCore> ParseEmulatorCore(std::string_view text) {
    for (EmulatorCore core : {EmulatorCore::kAccurate, EmulatorCore::kFast}) {
        const std::string_view name = EmulatorCoreName(core);
        if (std::equal(text.begin(), text.end(), name.begin(), name.end(), [](char a, char b) {
                return std::tolower(static_cast<unsigned char>(a)) ==
                       std::tolower(static_cast<unsigned char>(b));
            })) {
            return core;
        }
    }
    return std::nullopt;
}

YMF262::YMF262(EmulatorCore core) : core(core) {}
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
    chip = core == EmulatorCore::kFast ? MakeFastOplCore() : MakeAccurateOplCore();
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
    chip->Reset();
    latchedRegister = 0;
}

void YMF262::Write(int index, int port, uint8_t value) {
    if (!chip || index != 0) {
        return;
    }
    switch (port) {
    case 0:
        latchedRegister = value;
        break;
    case 2:
        latchedRegister = 0x100 | value;
        break;
    case 1:
    case 3:
        chip->WriteRegister(latchedRegister, value);
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
    chip->Generate(buffer, frames);
}

} // namespace vorpline
