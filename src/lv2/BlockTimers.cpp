#include "lv2/BlockTimers.h"

#include <cmath>

namespace vorpline::lv2 {

uint64_t BlockTimers::Slot::Deadline() const {
    return static_cast<uint64_t>(
        std::llround(startFrame + static_cast<double>(fired + 1) * periodFrames));
}

TimerService::TimerId BlockTimers::StartPeriodic(std::chrono::milliseconds period,
                                                 Callback onTick) {
    if (period.count() <= 0 || !onTick) {
        return 0;
    }
    for (Slot& slot : slots) {
        if (slot.id == 0) {
            slot.id = ++lastId == 0 ? ++lastId : lastId;
            slot.startFrame = static_cast<double>(position);
            slot.periodFrames = static_cast<double>(period.count()) * rate / 1000.0;
            slot.fired = 0;
            slot.onTick = std::move(onTick);
            return slot.id;
        }
    }
    return 0;
}

void BlockTimers::Stop(TimerId id) {
    // The callback stays until the slot is reused: a timer may stop itself while it runs.
    for (Slot& slot : slots) {
        if (id != 0 && slot.id == id) {
            slot.id = 0;
        }
    }
}

void BlockTimers::Post(Callback onMainThread) {
    if (onMainThread) {
        onMainThread();
    }
}

uint32_t BlockTimers::NowMs() const {
    return static_cast<uint32_t>(position * 1000 / rate);
}

uint64_t BlockTimers::FramesToNextDeadline() const {
    uint64_t next = kNoDeadline;
    for (const Slot& slot : slots) {
        if (slot.id != 0) {
            const uint64_t deadline = slot.Deadline();
            next = std::min(next, deadline > position ? deadline - position : 0);
        }
    }
    return next;
}

void BlockTimers::FireDue() {
    // One tick at a time, the earliest first, as long as any is due: a callback may start or
    // stop timers, itself included.
    for (;;) {
        Slot* due = nullptr;
        for (Slot& slot : slots) {
            if (slot.id != 0 && slot.Deadline() <= position &&
                (due == nullptr || slot.Deadline() < due->Deadline())) {
                due = &slot;
            }
        }
        if (due == nullptr) {
            return;
        }
        ++due->fired;
        due->onTick();
    }
}

void BlockTimers::Advance(uint64_t frames) {
    position += frames;
    FireDue();
}

} // namespace vorpline::lv2
