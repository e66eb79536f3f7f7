#include "audio/RegisterQueue.h"

#include <thread>

namespace vorpline {

void RegisterQueue::Write(uint8_t port, uint8_t value) {
    auto packed = static_cast<uint16_t>(port << 8 | value);
    while (!ring.TryPush(packed)) {
        if (drainInline) {
            drainInline();
        } else {
            std::this_thread::yield();
        }
    }
}

void RegisterQueue::DrainInto(YMF262& chip) {
    uint16_t packed = 0;
    while (ring.TryPop(packed)) {
        chip.Write(0, packed >> 8, static_cast<uint8_t>(packed & 0xFF));
    }
}

} // namespace vorpline
