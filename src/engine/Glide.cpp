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

void Glide::SetStepsLeft(int32_t steps) {
    stepsLeft = steps;
    gliding.store(steps != 0, std::memory_order_relaxed);
}

void Glide::Reset() {
    offset = 0;
    step = kStepCents;
    SetStepsLeft(0);
}

void Glide::AimAtZero() {
    step = offset < 0 ? kStepCents : -kStepCents;
    SetStepsLeft(std::abs(offset) / kStepCents);
}

void Glide::FromCurrent(int from, int to) {
    offset += (from - to) * 100;
    AimAtZero();
}

void Glide::FromPrevious(int from, int to) {
    offset = (from - to) * 100;
    AimAtZero();
}

void Glide::Reverse(int from, int to) {
    int32_t d = (from - to) * 100;
    offset = 0;
    step = d < 0 ? -kStepCents : kStepCents;
    SetStepsLeft(std::abs(d) / kStepCents);
}

void Glide::Tick() {
    if (!gliding.load(std::memory_order_relaxed)) {
        return;
    }
    if (timers.PostsInline()) {
        Advance(); // already on the main thread
        return;
    }
    std::weak_ptr<Glide*> alive = self;
    timers.Post([alive] {
        if (auto glide = alive.lock()) {
            (*glide)->Advance();
        }
    });
}

void Glide::Advance() {
    // Ticks already on their way when the glide ended (a note-off, a reset) find nothing left.
    if (stepsLeft == 0) {
        return;
    }
    offset += step;
    SetStepsLeft(stepsLeft - 1);
    if (onTick) {
        onTick(stepsLeft);
    }
}

} // namespace vorpline
