#include "platform/RealTimerService.h"

#include <exception>
#include <stdexcept>
#include <utility>

namespace vorpline {

RealTimerService::RealTimerService(Poster poster)
    : poster_(std::move(poster)), start_(Clock::now()) {
    if (!poster_) {
        throw std::invalid_argument("RealTimerService needs a way to post work to the main "
                                    "thread, got an empty poster");
    }
    thread_ = std::thread(&RealTimerService::Run, this);
}

RealTimerService::~RealTimerService() {
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

RealTimerService::TimerId RealTimerService::StartPeriodic(std::chrono::milliseconds period,
                                                          Callback onTick) {
    if (period <= std::chrono::milliseconds::zero() || !onTick) {
        return 0;
    }
    TimerId id = 0;
    {
        std::lock_guard lock(mutex_);
        id = NextFreeIdLocked();
        timers_.emplace(id, Timer{period, Clock::now() + period,
                                  std::make_shared<const Callback>(std::move(onTick))});
    }
    wake_.notify_all();
    return id;
}

void RealTimerService::Stop(TimerId id) {
    if (id == 0) {
        return;
    }
    std::unique_lock lock(mutex_);
    timers_.erase(id);
    // No wake-up needed: the thread re-checks the map when the erased deadline comes round.
    if (std::this_thread::get_id() == thread_.get_id()) {
        return;
    }
    tickDone_.wait(lock, [&] { return runningId_ != id; });
}

void RealTimerService::Post(Callback onMainThread) {
    if (onMainThread) {
        poster_(std::move(onMainThread));
    }
}

uint32_t RealTimerService::NowMs() const {
    const auto elapsed =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start_);
    return static_cast<uint32_t>(static_cast<uint64_t>(elapsed.count()));
}

RealTimerService::Clock::time_point RealTimerService::FollowingDeadline(Clock::time_point previous,
                                                                        Clock::duration period,
                                                                        Clock::time_point now) {
    const Clock::time_point next = previous + period;
    if (next > now) {
        return next;
    }
    const auto periodsBehind = (now - previous) / period; // >= 1 here
    return previous + (periodsBehind + 1) * period;
}

RealTimerService::TimerId RealTimerService::NextFreeIdLocked() {
    // Ids only repeat after 2^32 starts; skip any still in use when that happens.
    do {
        ++lastId_;
    } while (lastId_ == 0 || lastId_ == runningId_ || timers_.count(lastId_) != 0);
    return lastId_;
}

void RealTimerService::Run() {
    std::unique_lock lock(mutex_);
    while (!quit_) {
        auto due = timers_.end();
        for (auto it = timers_.begin(); it != timers_.end(); ++it) {
            if (due == timers_.end() || it->second.deadline < due->second.deadline) {
                due = it;
            }
        }
        if (due == timers_.end()) {
            wake_.wait(lock);
            continue;
        }
        if (Clock::now() < due->second.deadline) {
            // Timers may be started or stopped meanwhile, so look again after any wake-up. The
            // deadline is copied: Stop may erase the timer while this thread waits, and the
            // wait reads its deadline again when it wakes.
            const Clock::time_point deadline = due->second.deadline;
            wake_.wait_until(lock, deadline);
            continue;
        }

        const TimerId id = due->first;
        Timer& timer = due->second;
        timer.deadline = FollowingDeadline(timer.deadline, timer.period, Clock::now());
        std::shared_ptr<const Callback> onTick = timer.onTick;
        runningId_ = id;
        lock.unlock();

        std::exception_ptr failure;
        try {
            (*onTick)();
        } catch (...) {
            failure = std::current_exception();
        }
        // If Stop erased the timer meanwhile this is the last reference: destroy the callback
        // (and whatever it captured) outside the lock.
        onTick.reset();

        lock.lock();
        if (failure) {
            timers_.erase(id);
        }
        runningId_ = 0;
        tickDone_.notify_all();
        if (failure) {
            lock.unlock();
            try {
                poster_([failure] { std::rethrow_exception(failure); });
            } catch (...) {
                // The main loop cannot be reached, so there is nobody left to tell; the timer
                // thread itself must survive for the other timers.
            }
            lock.lock();
        }
    }
}

} // namespace vorpline
