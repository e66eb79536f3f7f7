#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

#include "platform/TimerService.h"

namespace vorpline {

// Portamento of one part: its pitch offset glides in 50-cent steps, one step per tick of a
// periodic timer whose period (ms) is the portamento time. The timer thread only moves the
// three counters and posts; the main thread retunes the voice when the post arrives. The
// counters are atomics because both threads touch them.
class Glide {
public:
    static constexpr int32_t kStepCents = 50;
    // Runs on the main thread with the steps still to go after this tick.
    using TickHandler = std::function<void(int remaining)>;

    Glide(TimerService& timers, TickHandler onTick);
    ~Glide();
    Glide(const Glide&) = delete;
    Glide& operator=(const Glide&) = delete;

    // Portamento time 0..127 = tick period in ms; 0 switches portamento off. Setting the value
    // it already has does nothing (not even restarting a stopped timer). Main thread.
    void SetTime(uint16_t time);
    // A running timer is what makes steals glide. Main thread.
    bool Active() const { return timer != 0; }

    int32_t Offset() const { return offset.load(std::memory_order_relaxed); }
    int32_t Step() const { return step.load(std::memory_order_relaxed); }
    int32_t StepsLeft() const { return stepsLeft.load(std::memory_order_relaxed); }
    void SetOffset(int32_t cents) { offset.store(cents, std::memory_order_relaxed); }
    void StopSteps() { stepsLeft.store(0, std::memory_order_relaxed); }
    // Engine reset: no offset, no glide, upward steps.
    void Reset();

    // The three ways a glide starts when the part's only voice moves from note `from` to `to`.
    // Pitch continues from wherever the last glide had got to.
    void FromCurrent(int from, int to);
    // Pitch jumps back to `from` and glides to `to`.
    void FromPrevious(int from, int to);
    // Pitch starts at `to` and glides to `from`, where it stays.
    void Reverse(int from, int to);

    // The timer's work, public so virtual-time tests and benchmarks can drive it. Timer thread.
    void Tick();

private:
    void AimAtZero();

    TimerService& timers;
    TickHandler onTick;
    TimerService::TimerId timer = 0;
    uint16_t lastTime = 0;
    std::atomic<int32_t> offset{0};
    std::atomic<int32_t> step{kStepCents};
    std::atomic<int32_t> stepsLeft{0};
    // Posted ticks may still be queued when the engine goes away.
    std::shared_ptr<Glide*> self;
};

} // namespace vorpline
