#include "audio/RegisterQueue.h"

namespace vorpline {

void RegisterQueue::Write(uint8_t port, uint8_t value) {
    // Ports 0 and 2 take a register number, 1 and 3 the value for it.
    const bool isAddress = (port & 1) == 0;
    if (!isAddress && addressDropped) {
        ++dropped;
        return;
    }
    const auto packed = static_cast<uint16_t>(port << 8 | value);
    bool queued = ring.TryPush(packed);
    if (!queued && drainInline) {
        drainInline();
        queued = ring.TryPush(packed);
    }
    if (isAddress) {
        addressDropped = !queued;
    }
    if (!queued) {
        ++dropped;
    }
}

bool RegisterQueue::TakeOverflow() {
    if (dropped == 0 || overflowReported) {
        return false;
    }
    overflowReported = true;
    return true;
}

void RegisterQueue::DrainInto(YMF262& chip) {
    uint16_t packed = 0;
    while (ring.TryPop(packed)) {
        chip.Write(0, packed >> 8, static_cast<uint8_t>(packed & 0xFF));
    }
}

} // namespace vorpline
