#include "platform/RealTimerService.h"
#include "platform/MainLoopQueue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>
#include <utility>

namespace vorpline {
namespace {

using std::chrono::milliseconds;
using Clock = RealTimerService::Clock;

// Waits are bounded only so a broken build fails instead of hanging; nothing asserts on time.
constexpr auto kGenerousWait = std::chrono::seconds(30);

// Counts timer ticks; the test thread polls for a number of them.
class TickCounter {
public:
    void Tick() { ++count; }
    bool WaitFor(int atLeast) const {
        const auto giveUp = Clock::now() + kGenerousWait;
        while (count < atLeast && Clock::now() < giveUp) {
            std::this_thread::sleep_for(milliseconds(1));
        }
        return count >= atLeast;
    }
    int Count() const { return count; }

private:
    std::atomic<int> count{0};
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

// A destructor that failed to wake the thread would hang here, one that freed the timers under a
// running callback would crash (or race, under the thread sanitizer).
TEST(RealTimerServiceTest, DestroyingWithLiveTimersReturns) {
    TickCounter ticks;
    RealTimerService timers([](TimerService::Callback) {});
    for (int i = 0; i < 3; ++i) {
        timers.StartPeriodic(milliseconds(1 + i), [&ticks] { ticks.Tick(); });
    }
    ASSERT_TRUE(ticks.WaitFor(10));
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
    // A 10 ms timer due at 0 looked at `now` ms later: on time or a little late gives exactly
    // one period on; a whole period or more behind, the first deadline on the phase still ahead.
    const std::pair<int, int> nowToNext[] = {{0, 10}, {9, 10}, {10, 20}, {57, 60}};
    for (auto [now, next] : nowToNext) {
        EXPECT_EQ(RealTimerService::FollowingDeadline(Clock::time_point{}, milliseconds(10),
                                                      Clock::time_point{} + milliseconds(now)),
                  Clock::time_point{} + milliseconds(next))
            << "now " << now;
    }
}

} // namespace
} // namespace vorpline
