#include "platform/VirtualTimerService.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <limits>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace vorpline {
namespace {

using std::chrono::milliseconds;
using Event = std::pair<double, std::string>; // virtual time, what happened

TEST(VirtualTimerServiceTest, TimersInterleaveInTimeOrderWithTiesInCreationOrder) {
    VirtualTimerService timers;
    std::vector<Event> events;
    timers.StartPeriodic(milliseconds(15), [&] { events.emplace_back(timers.Now(), "slow"); });
    timers.StartPeriodic(milliseconds(10), [&] { events.emplace_back(timers.Now(), "fast"); });

    timers.AdvanceTo(30.0);

    EXPECT_EQ(events, (std::vector<Event>{
                          {10, "fast"}, {15, "slow"}, {20, "fast"}, {30, "slow"}, {30, "fast"}}));
}

TEST(VirtualTimerServiceTest, CallbacksStartAndStopTimersDuringAdvance) {
    VirtualTimerService timers;
    std::vector<Event> events;
    TimerService::TimerId self = 0;
    TimerService::TimerId victim = 0;
    int selfTicks = 0;
    self = timers.StartPeriodic(milliseconds(10), [&] {
        events.emplace_back(timers.Now(), "self");
        if (++selfTicks == 1) {
            timers.Stop(victim); // due at the same instant, must not fire
            timers.StartPeriodic(milliseconds(5),
                                 [&] { events.emplace_back(timers.Now(), "child"); });
        } else {
            timers.Stop(self);
        }
    });
    victim =
        timers.StartPeriodic(milliseconds(10), [&] { events.emplace_back(timers.Now(), "x"); });

    timers.AdvanceTo(22.0);

    EXPECT_EQ(events,
              (std::vector<Event>{{10, "self"}, {15, "child"}, {20, "self"}, {20, "child"}}));
    EXPECT_EQ(timers.NextDeadline(), 25.0);
}

TEST(VirtualTimerServiceTest, PostedWorkRunsAtTheTickTimeBeforeTheNextDeadline) {
    VirtualTimerService timers;
    std::vector<Event> events;
    timers.Post([&] { events.emplace_back(timers.Now(), "early post"); });
    timers.StartPeriodic(milliseconds(10), [&] {
        events.emplace_back(timers.Now(), "tick");
        timers.Post([&] {
            events.emplace_back(timers.Now(), "post");
            timers.Post([&] { events.emplace_back(timers.Now(), "post of post"); });
        });
    });

    timers.AdvanceTo(20.0);

    EXPECT_EQ(events, (std::vector<Event>{{0, "early post"},
                                          {10, "tick"},
                                          {10, "post"},
                                          {10, "post of post"},
                                          {20, "tick"},
                                          {20, "post"},
                                          {20, "post of post"}}));

    timers.Post([&] { events.emplace_back(timers.Now(), "outside"); });
    timers.RunPosted();
    EXPECT_EQ(events.back(), (Event{20, "outside"}));
}

TEST(VirtualTimerServiceTest, NextDeadlineLetsACallerInterleaveItsOwnEvents) {
    VirtualTimerService timers;
    EXPECT_FALSE(timers.NextDeadline().has_value());

    timers.AdvanceTo(2.5);
    std::vector<double> ticks;
    timers.StartPeriodic(milliseconds(4), [&] { ticks.push_back(timers.Now()); });
    EXPECT_EQ(timers.NextDeadline(), 6.5);

    // The renderer's own events at 8 and 20 ms, ticks in between fired one deadline at a time.
    std::vector<double> steps;
    for (double event : {8.0, 20.0}) {
        while (timers.NextDeadline() && *timers.NextDeadline() <= event) {
            timers.AdvanceTo(*timers.NextDeadline());
            steps.push_back(timers.Now());
        }
        timers.AdvanceTo(event);
        steps.push_back(timers.Now());
    }
    EXPECT_EQ(steps, (std::vector<double>{6.5, 8, 10.5, 14.5, 18.5, 20}));
    EXPECT_EQ(ticks, (std::vector<double>{6.5, 10.5, 14.5, 18.5}));
    EXPECT_EQ(timers.NowMs(), 20u);
}

TEST(VirtualTimerServiceTest, NowMsTruncatesAndWrapsLikeATickCount) {
    VirtualTimerService timers;
    timers.AdvanceTo(17.9);
    EXPECT_EQ(timers.NowMs(), 17u);
    timers.AdvanceTo(4294967296.0 + 5.5);
    EXPECT_EQ(timers.NowMs(), 5u);
}

TEST(VirtualTimerServiceTest, RejectsBadInputAndSurvivesThrowingCallbacks) {
    VirtualTimerService timers;
    EXPECT_EQ(timers.StartPeriodic(milliseconds(0), [] {}), 0u);
    EXPECT_EQ(timers.StartPeriodic(milliseconds(-5), [] {}), 0u);
    EXPECT_EQ(timers.StartPeriodic(milliseconds(5), nullptr), 0u);

    timers.AdvanceTo(10.0);
    EXPECT_THROW(timers.AdvanceTo(9.0), std::invalid_argument);
    EXPECT_THROW(timers.AdvanceBy(-1.0), std::invalid_argument);
    EXPECT_THROW(timers.AdvanceTo(std::numeric_limits<double>::quiet_NaN()), std::invalid_argument);
    EXPECT_THROW(timers.AdvanceTo(std::numeric_limits<double>::infinity()), std::invalid_argument);

    int ticks = 0;
    bool reentryRejected = false;
    timers.StartPeriodic(milliseconds(10), [&] {
        ++ticks;
        try {
            timers.AdvanceBy(1.0);
        } catch (const std::logic_error&) {
            reentryRejected = true;
        }
        if (ticks == 2) {
            throw std::runtime_error("tick failed");
        }
    });
    EXPECT_THROW(timers.AdvanceTo(100.0), std::runtime_error);
    EXPECT_TRUE(reentryRejected);
    EXPECT_EQ(timers.Now(), 30.0); // left at the failing tick
    timers.AdvanceTo(50.0);
    EXPECT_EQ(ticks, 4);

    // Work that re-posts itself forever must end in an error, not a hang.
    std::function<void()> again = [&] { timers.Post(again); };
    timers.Post(again);
    EXPECT_THROW(timers.RunPosted(), std::runtime_error);
}

} // namespace
} // namespace vorpline
