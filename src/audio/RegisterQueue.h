#pragma once
#include <cstdint>
#include <functional>

#include "engine/EmulatorPort.h"
#include "audio/YMF262.h"
#include "platform/SpscRing.h"

namespace vorpline {

// Carries the engine's port writes from the main thread to the software chip on the thread
// that renders it, in order, without locks: the audio callback drains the queue before each
// block it renders, so a write is heard from the next block on.
class RegisterQueue : public EmulatorPort {
public:
    static constexpr size_t kCapacity = 1 << 16;

    // Main thread. Waits (yielding) in the rare case that the renderer is behind by a whole
    // queue; `drainInline` lets a renderer that runs on this same thread make room instead.
    void Write(uint8_t port, uint8_t value) override;
    void SetInlineDrain(std::function<void()> drainInline) {
        this->drainInline = std::move(drainInline);
    }

    // Rendering thread: hands every queued write to the chip. No allocation, no lock.
    void DrainInto(YMF262& chip);

private:
    SpscRing<uint16_t, kCapacity> ring;
    std::function<void()> drainInline;
};

} // namespace vorpline
