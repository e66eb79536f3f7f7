#pragma once
#include "platform/TimerService.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

namespace vorpline {

// Periodic timers on one background thread paced by steady_clock. Deadlines are drift-free
// (each is the previous deadline plus the period, not "now" plus the period). When the thread
// falls a whole period or more behind (a suspended machine, a callback that blocked), the
// missed ticks are dropped and the timer resumes on its own phase at the first deadline still
// in the future: a burst of catch-up ticks would only hammer the chip with stale work.
//
// Callbacks run one at a time on the timer thread, earliest deadline first, ties in the order
// the timers were started. A callback that throws has its timer stopped and the exception is
// posted to the main thread, where it is rethrown from the posted work.
class RealTimerService final : public TimerService {
public:
    using Clock = std::chrono::steady_clock;
    // Delivers work to the main thread; the command-line programs pass a MainLoopQueue, the
    // Qt program a queued call into its event loop. Called from any thread.
    using Poster = std::function<void(Callback)>;

    // Starts the timer thread. Throws std::invalid_argument when `poster` is empty.
    explicit RealTimerService(Poster poster);
    // Stops and joins the timer thread, waiting for a running callback to finish; pending
    // timers never fire again. Must not run on the timer thread itself (that is, not from
    // inside a callback) since the thread cannot join itself.
    ~RealTimerService() override;

    RealTimerService(const RealTimerService&) = delete;
    RealTimerService& operator=(const RealTimerService&) = delete;

    // First tick one `period` after the call. Returns 0 for a period <= 0 or an empty
    // callback. Any thread, including from inside a callback.
    TimerId StartPeriodic(std::chrono::milliseconds period, Callback onTick) override;
    // Blocks while the timer's callback is running on the timer thread, so the callback must
    // not wait for the thread calling Stop. From inside any callback it returns at once (only
    // one callback runs at a time, so the stopped one is either the caller or idle). Unknown
    // ids and 0 are ignored. Any thread.
    void Stop(TimerId id) override;
    // Forwards to the poster; empty work is ignored. Any thread.
    void Post(Callback onMainThread) override;
    // Whole milliseconds since construction, wrapping at 2^32. Any thread.
    uint32_t NowMs() const override;

    // The deadline after `previous` for a timer of `period` when the thread looks at it at
    // `now`: previous + period if that is still ahead of `now`, else the first later deadline
    // on the same phase that is. Pure; exposed so the catch-up rule can be checked exactly.
    static Clock::time_point FollowingDeadline(Clock::time_point previous, Clock::duration period,
                                               Clock::time_point now);

private:
    struct Timer {
        Clock::duration period;
        Clock::time_point deadline;
        // Shared so a callback stays alive while it runs even if Stop erases its timer.
        std::shared_ptr<const Callback> onTick;
    };

    void Run();
    TimerId NextFreeIdLocked();

    Poster poster_;
    const Clock::time_point start_;

    std::mutex mutex_;
    std::condition_variable wake_;     // timer thread: timers changed or shutting down
    std::condition_variable tickDone_; // Stop callers waiting for a running callback to end
    std::map<TimerId, Timer> timers_;  // ordered by id, which breaks deadline ties
    TimerId lastId_ = 0;
    TimerId runningId_ = 0; // timer whose callback is running now, 0 if none
    bool quit_ = false;

    std::thread thread_; // started last, once everything above exists
};

} // namespace vorpline
