#include "engine/Glide.h"

#include <cstdlib>

namespace vorpline {

Glide::Glide(TimerService& timers, TickHandler onTick)
    : timers(timers), onTick(std::move(onTick)), self(std::make_shared<Glide*>(this)) {}

Glide::~Glide() {
    if (timer != 0) {
        timers.Stop(timer);
    }
}

void Glide::SetTime(uint16_t time) {
    if (time == lastTime) {
        return;
    }
    if (timer != 0) {
        timers.Stop(timer);
        timer = 0;
    }
    if (time != 0) {
        timer = timers.StartPeriodic(std::chrono::milliseconds(time), [this] { Tick(); });
    }
    lastTime = time;
}

void Glide::Reset() {
    offset.store(0, std::memory_order_relaxed);
    stepsLeft.store(0, std::memory_order_relaxed);
    step.store(kStepCents, std::memory_order_relaxed);
}

void Glide::AimAtZero() {
    int32_t current = offset.load(std::memory_order_relaxed);
    step.store(current < 0 ? kStepCents : -kStepCents, std::memory_order_relaxed);
    stepsLeft.store(std::abs(current) / kStepCents, std::memory_order_relaxed);
}

void Glide::FromCurrent(int from, int to) {
    offset.fetch_add((from - to) * 100, std::memory_order_relaxed);
    AimAtZero();
}

void Glide::FromPrevious(int from, int to) {
    offset.store((from - to) * 100, std::memory_order_relaxed);
    AimAtZero();
}

void Glide::Reverse(int from, int to) {
    int32_t d = (from - to) * 100;
    offset.store(0, std::memory_order_relaxed);
    step.store(d < 0 ? -kStepCents : kStepCents, std::memory_order_relaxed);
    stepsLeft.store(std::abs(d) / kStepCents, std::memory_order_relaxed);
}

void Glide::Tick() {
    int32_t left = stepsLeft.load(std::memory_order_relaxed);
    if (left == 0) {
        return;
    }
    offset.fetch_add(step.load(std::memory_order_relaxed), std::memory_order_relaxed);
    stepsLeft.store(--left, std::memory_order_relaxed);
    std::weak_ptr<Glide*> alive = self;
    timers.Post([alive, left] {
        if (auto glide = alive.lock()) {
            if ((*glide)->onTick) {
                (*glide)->onTick(left);
            }
        }
    });
}

} // namespace vorpline
