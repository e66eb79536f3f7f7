#pragma once
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>

namespace vorpline {

// Work handed to the main thread by other threads (timer ticks, device callbacks). The
// command-line programs drive it with WaitAndRunFor; the Qt program posts into its own event
// loop instead and does not need this class.
class MainLoopQueue {
public:
    using Work = std::function<void()>;

    // Queues `work` to run on the main thread, after everything queued before it. Empty
    // functions are ignored. Any thread.
    void Post(Work work);

    // Runs the work that was queued when the call started, in posting order. Work posted by
    // that work waits for the next call, so an item that re-posts itself cannot trap the loop.
    // If an item throws, the items after it stay queued ahead of newer work and the exception
    // propagates to the caller. Returns how many items ran. Main thread.
    std::size_t RunPending();

    // Waits up to `timeout` for work, then runs what is queued as RunPending does. Returns as
    // soon as one batch has run (or 0 once the timeout passed with nothing queued) so the
    // caller can check its own exit conditions between batches. Main thread.
    std::size_t WaitAndRunFor(std::chrono::milliseconds timeout);

    // Number of items waiting. Any thread; only a snapshot, other threads may post meanwhile.
    std::size_t Size() const;

private:
    mutable std::mutex mutex_;
    std::condition_variable workArrived_;
    std::deque<Work> queue_;
};

} // namespace vorpline
