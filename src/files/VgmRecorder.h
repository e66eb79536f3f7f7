#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "engine/EmulatorPort.h"

namespace vorpline {

class VgmWriter;

// Records the live chip on demand: sits between the engine's emulator backend and the port
// that feeds the chip (the audio thread's queue), passes every byte on, and keeps a copy of all
// 512 registers. Start opens a VGM file that begins with that copy, so the recording opens on
// the sound as it is (patches loaded, notes held); each later write is stamped with the clock
// at the moment the engine makes it. A window's record button calls Start and Stop.
//
// Failures never reach the engine: Start returns the message, and a write error or the
// format's limit ends the recording with the message kept in Error(). Main thread.
class VgmRecorder : public EmulatorPort {
public:
    // `now` counts ticks of `rate` per second (a steady clock in microseconds, say).
    VgmRecorder(EmulatorPort& chip, std::function<uint64_t()> now, uint32_t rate);
    ~VgmRecorder() override;

    void Write(uint8_t port, uint8_t value) override;

    // Empty on success, else why the file could not be made. A recording already running is
    // stopped first.
    std::string Start(const std::string& path);
    // Ends the recording now; empty on success, else the error. Nothing to do when idle.
    std::string Stop();
    bool Recording() const;
    // Why the last recording ended early; empty if it did not.
    const std::string& Error() const { return error; }

private:
    void Record(uint64_t time, uint16_t reg, uint8_t value);
    uint64_t Elapsed() const;

    EmulatorPort& chip;
    std::function<uint64_t()> now;
    uint32_t rate;
    std::unique_ptr<VgmWriter> writer;
    uint64_t startTime = 0;
    uint16_t latched = 0;
    std::array<uint8_t, 512> registers{};
    std::string error;
};

} // namespace vorpline
