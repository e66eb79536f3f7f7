#pragma once
#include <chrono>
#include <cstdint>
#include <functional>

namespace vorpline {

// The program's one source of time: periodic timers, a millisecond clock and a way to hand
// work to the main loop. RealTimerService runs a thread on steady_clock; VirtualTimerService
// advances only when told to, so tests and the offline renderer are deterministic.
class TimerService {
public:
    using TimerId = uint32_t; // 0 = no timer
    using Callback = std::function<void()>;

    virtual ~TimerService() = default;

    // Starts a periodic timer. `onTick` runs on the timer thread (real) or inside Advance
    // (virtual): it must only touch state that is safe to share and Post the real work.
    // Any thread. Returns 0 if no timer could be started.
    virtual TimerId StartPeriodic(std::chrono::milliseconds period, Callback onTick) = 0;
    // Stops a timer; after it returns, its callback is not running and will not run again
    // (unless called from inside that callback). Any thread.
    virtual void Stop(TimerId id) = 0;
    // Hands work to the main thread. Any thread.
    virtual void Post(Callback onMainThread) = 0;
    // Whether Post runs the work at once on the calling thread, because the timers fire on the
    // main thread itself (the plugin's block time). A producer may then do the work directly
    // instead of packing it into a callback, which would cost an allocation on an audio thread.
    virtual bool PostsInline() const { return false; }
    // Milliseconds since the service started (wraps like a 32-bit millisecond tick count).
    virtual uint32_t NowMs() const = 0;
};

} // namespace vorpline
