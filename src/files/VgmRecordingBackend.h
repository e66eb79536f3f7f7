#pragma once
#include <cstdint>
#include <functional>

#include "engine/ChipBackend.h"
#include "engine/EmulatorPort.h"
#include "files/VgmRecorder.h"

namespace vorpline {

// Puts a VGM recorder in front of any road to the chip (card ports, parallel port, software
// chip): each write goes on to the real backend first, unchanged and with its delays, and is
// then shown to the recorder as the address and data bytes of its bank. The recorder's own
// onward port goes nowhere, as the real backend has already taken the write; so a recording
// holds exactly what reached the chip, for hardware as for the emulator. Main thread.
class VgmRecordingBackend final : public ChipBackend {
public:
    // `nowMs` is the program's clock in milliseconds (virtual in renders and tests).
    VgmRecordingBackend(ChipBackend& chip, std::function<uint32_t()> nowMs)
        : chip(chip),
          recorder(
              nowhere, [nowMs = std::move(nowMs)] { return nowMs(); }, kTicksPerSecond) {}

    void Write(int bank, uint8_t address, uint8_t value, uint16_t extraDelay) override {
        chip.Write(bank, address, value, extraDelay);
        const auto port = static_cast<uint8_t>(bank != 0 ? 2 : 0);
        recorder.Write(port, address);
        recorder.Write(static_cast<uint8_t>(port + 1), value);
    }

    VgmRecorder& Recorder() { return recorder; }

private:
    static constexpr uint32_t kTicksPerSecond = 1000;

    class Nowhere final : public EmulatorPort {
    public:
        void Write(uint8_t, uint8_t) override {}
    };

    ChipBackend& chip;
    Nowhere nowhere;
    VgmRecorder recorder;
};

} // namespace vorpline
