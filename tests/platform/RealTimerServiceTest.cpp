#include "platform/RealTimerService.h"
#include "platform/MainLoopQueue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <thread>

namespace vorpline {
namespace {

using std::chrono::milliseconds;
using Clock = RealTimerService::Clock;

// Waits are bounded only so a broken build fails instead of hanging; nothing asserts on time.
constexpr auto kGenerousWait = std::chrono::seconds(30);

// Counts timer ticks and lets the test thread wait for a number of them.
class TickCounter {
public:
    void Tick() {
        {
            std::lock_guard lock(mutex_);
            ++count_;
        }
        changed_.notify_all();
    }
    bool WaitFor(int atLeast) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, kGenerousWait, [&] { return count_ >= atLeast; });
    }
    int Count() {
        std::lock_guard lock(mutex_);
        return count_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    int count_ = 0;
};

TEST(RealTimerServiceTest, TicksOnItsOwnThreadAndPostsToTheMainLoop) {
    MainLoopQueue queue;
    const auto mainThread = std::this_thread::get_id();
    std::atomic<bool> tickedOnMainThread{false};
    int posted = 0; // main thread only
    RealTimerService timers([&](TimerService::Callback work) { queue.Post(std::move(work)); });
    timers.StartPeriodic(milliseconds(1), [&] {
        if (std::this_thread::get_id() == mainThread) {
            tickedOnMainThread = true;
        }
        timers.Post([&] { ++posted; });
    });

    const auto giveUp = Clock::now() + kGenerousWait;
    while (posted < 5 && Clock::now() < giveUp) {
        queue.WaitAndRunFor(milliseconds(100));
    }
    EXPECT_GE(posted, 5);
    EXPECT_FALSE(tickedOnMainThread);
}

TEST(RealTimerServiceTest, NoCallbackRunsAfterStopReturns) {
    // Everything the callbacks touch is declared before the service so it outlives the thread.
    TickCounter ticks;
    TickCounter other;
    std::atomic<bool> inCallback{false};
    std::atomic<bool> stopReturned{false};
    std::atomic<bool> ranAfterStop{false};
    RealTimerService timers([](TimerService::Callback) {});
    const auto id = timers.StartPeriodic(milliseconds(1), [&] {
        inCallback = true;
        if (stopReturned) {
            ranAfterStop = true;
        }
        // Widens the window in which Stop has to wait for a running callback.
        std::this_thread::sleep_for(milliseconds(2));
        ticks.Tick();
        inCallback = false;
    });
    ASSERT_NE(id, 0u);
    ASSERT_TRUE(ticks.WaitFor(3));

    timers.Stop(id);
    stopReturned = true;
    EXPECT_FALSE(inCallback);
    const int countAtStop = ticks.Count();

    // A second timer proves the thread kept running through what would have been more ticks.
    timers.StartPeriodic(milliseconds(1), [&] { other.Tick(); });
    ASSERT_TRUE(other.WaitFor(20));
    EXPECT_FALSE(ranAfterStop);
    EXPECT_EQ(ticks.Count(), countAtStop);
}

TEST(RealTimerServiceTest, StopFromInsideItsOwnCallbackDoesNotDeadlock) {
    TickCounter ticks;
    TickCounter other;
    std::atomic<TimerService::TimerId> id{0};
    std::atomic<bool> idKnown{false};
    RealTimerService timers([](TimerService::Callback) {});
    id = timers.StartPeriodic(milliseconds(1), [&] {
        if (!idKnown) {
            return; // the first tick may beat the store of the id
        }
        timers.Stop(id);
        ticks.Tick();
    });
    idKnown = true;
    ASSERT_TRUE(ticks.WaitFor(1));

    timers.StartPeriodic(milliseconds(1), [&] { other.Tick(); });
    ASSERT_TRUE(other.WaitFor(20));
    EXPECT_EQ(ticks.Count(), 1);
}

TEST(RealTimerServiceTest, DestroyingWithLiveTimersStopsThemCleanly) {
    TickCounter ticks;
    auto alive = std::make_shared<int>(0);
    std::weak_ptr<int> watch = alive;
    {
        RealTimerService timers([](TimerService::Callback) {});
        for (int i = 0; i < 3; ++i) {
            timers.StartPeriodic(milliseconds(1 + i), [&ticks, alive] { ticks.Tick(); });
        }
        alive.reset();
        ASSERT_TRUE(ticks.WaitFor(10));
    }
    const int countAfterDestruction = ticks.Count();
    EXPECT_TRUE(watch.expired()); // captured state released with the timers
    std::this_thread::sleep_for(milliseconds(20));
    EXPECT_EQ(ticks.Count(), countAfterDestruction);
}

TEST(RealTimerServiceTest, ThrowingCallbackIsStoppedAndItsErrorReachesTheMainLoop) {
    MainLoopQueue queue;
    std::atomic<int> calls{0};
    RealTimerService timers([&](TimerService::Callback work) { queue.Post(std::move(work)); });
    timers.StartPeriodic(milliseconds(1), [&] {
        ++calls;
        throw std::runtime_error("tick failed");
    });
    EXPECT_THROW(queue.WaitAndRunFor(kGenerousWait), std::runtime_error);
    EXPECT_EQ(calls, 1);
}

TEST(RealTimerServiceTest, RejectsWhatCannotBeATimer) {
    EXPECT_THROW(RealTimerService(nullptr), std::invalid_argument);
    RealTimerService timers([](TimerService::Callback) {});
    EXPECT_EQ(timers.StartPeriodic(milliseconds(0), [] {}), 0u);
    EXPECT_EQ(timers.StartPeriodic(milliseconds(-1), [] {}), 0u);
    EXPECT_EQ(timers.StartPeriodic(milliseconds(1), nullptr), 0u);
    timers.Stop(0);
    timers.Stop(12345);
}

TEST(RealTimerServiceTest, DeadlinesStayOnPhaseAndSkipMissedTicks) {
    const Clock::time_point t0{};
    const auto period = milliseconds(10);
    // On time or a little late: exactly one period on, whatever the lateness.
    EXPECT_EQ(RealTimerService::FollowingDeadline(t0, period, t0), t0 + period);
    EXPECT_EQ(RealTimerService::FollowingDeadline(t0, period, t0 + milliseconds(9)), t0 + period);
    // A whole period or more behind: the first deadline on the same phase still ahead.
    EXPECT_EQ(RealTimerService::FollowingDeadline(t0, period, t0 + milliseconds(10)),
              t0 + milliseconds(20));
    EXPECT_EQ(RealTimerService::FollowingDeadline(t0, period, t0 + milliseconds(57)),
              t0 + milliseconds(60));
}

} // namespace
} // namespace vorpline
