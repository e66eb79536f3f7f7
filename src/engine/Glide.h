#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

#include "platform/TimerService.h"

namespace vorpline {

// Portamento of one part: its pitch offset glides in 50-cent steps, one step per tick of a
// periodic timer whose period (ms) is the portamento time.
//
// The timer thread only posts; the step is counted when the post reaches the main thread, in
// the same turn of the main loop that retunes the voice. So the offset, the step and the steps
// left have one owner, and a tick that was on its way while a note-off or a new glide was
// handled counts against the glide as it is now, not as it was when the timer fired: it can
// neither undo a glide that just started nor finish one that a note-off ended.
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

    // Main thread, like everything below but Tick.
    int32_t Offset() const { return offset; }
    int32_t Step() const { return step; }
    int32_t StepsLeft() const { return stepsLeft; }
    void SetOffset(int32_t cents) { offset = cents; }
    void StopSteps() { SetStepsLeft(0); }
    // Engine reset: no offset, no glide, upward steps.
    void Reset();

    // The three ways a glide starts when the part's only voice moves from note `from` to `to`.
    // Pitch continues from wherever the last glide had got to.
    void FromCurrent(int from, int to);
    // Pitch jumps back to `from` and glides to `to`.
    void FromPrevious(int from, int to);
    // Pitch starts at `to` and glides to `from`, where it stays.
    void Reverse(int from, int to);

    // The timer's work: posts one step to the main thread. Public so tests and benchmarks can
    // play the timer thread, for instance one whose posts the main loop has not reached yet.
    // Any thread.
    void Tick();

private:
    void AimAtZero();
    void SetStepsLeft(int32_t steps);
    // One step of the glide, on the main thread.
    void Advance();

    TimerService& timers;
    TickHandler onTick;
    TimerService::TimerId timer = 0;
    uint16_t lastTime = 0;
    int32_t offset = 0;
    int32_t step = kStepCents;
    int32_t stepsLeft = 0;
    // Written only by the main thread; the timer thread reads it to skip posting while no
    // glide runs. A stale read costs at most one tick of delay or one post that does nothing.
    std::atomic<bool> gliding{false};
    // Posted ticks may still be queued when the engine goes away.
    std::shared_ptr<Glide*> self;
};

} // namespace vorpline
