#pragma once
#include <atomic>
#include <cstdint>
#include <functional>

#include "audio/YMF262.h"
#include "engine/EmulatorPort.h"
#include "platform/SpscRing.h"

namespace vorpline {

// Carries the engine's port writes from the main thread to the software chip on the thread
// that renders it, in order, without locks: the audio callback drains the queue before each
// block it renders, so a write is heard from the next block on.
//
// The queue holds far more than the engine writes between two blocks, so it only fills when
// nothing drains it: the audio server stopped or went away. The main thread must never wait for
// that (it would hang with the window): a write that finds the queue full is dropped and
// counted, and the first drop raises a flag the main loop turns into one notice.
class RegisterQueue : public EmulatorPort {
public:
    static constexpr size_t kCapacity = 1 << 16;

    // Main thread. Never waits. A full queue drops the write, unless `drainInline` is set: a
    // renderer that runs on this same thread empties the queue there instead. A data write whose
    // address write was dropped is dropped as well, or it would land in the wrong register.
    void Write(uint8_t port, uint8_t value) override;
    void SetInlineDrain(std::function<void()> drainInline) {
        this->drainInline = std::move(drainInline);
    }

    // Rendering thread: hands every queued write to the chip. No allocation, no lock.
    void DrainInto(YMF262& chip);

    // Main thread: writes dropped so far.
    uint64_t Dropped() const { return dropped; }
    // Main thread: true once, after the first dropped write.
    bool TakeOverflow();

private:
    SpscRing<uint16_t, kCapacity> ring;
    std::function<void()> drainInline;
    uint64_t dropped = 0;
    bool addressDropped = false;
    bool overflowReported = false;
};

} // namespace vorpline
