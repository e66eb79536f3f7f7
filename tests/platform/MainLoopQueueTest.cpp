#include "platform/MainLoopQueue.h"

#include <gtest/gtest.h>

#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

namespace vorpline {
namespace {

TEST(MainLoopQueueTest, RunPendingRunsOnlyWhatWasQueuedWhenItStarted) {
    MainLoopQueue queue;
    std::vector<int> order;
    queue.Post([&] { order.push_back(1); });
    queue.Post([&] {
        order.push_back(2);
        queue.Post([&] { order.push_back(4); });
    });
    queue.Post([&] { order.push_back(3); });

    EXPECT_EQ(queue.RunPending(), 3u);
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(queue.Size(), 1u);
    EXPECT_EQ(queue.RunPending(), 1u);
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3, 4}));
}

TEST(MainLoopQueueTest, ThrowingWorkLeavesTheRestQueuedInOrder) {
    MainLoopQueue queue;
    std::vector<int> order;
    queue.Post([&] { order.push_back(1); });
    queue.Post([&] {
        queue.Post([&] { order.push_back(4); });
        throw std::runtime_error("bad");
    });
    queue.Post([&] { order.push_back(3); });

    EXPECT_THROW(queue.RunPending(), std::runtime_error);
    EXPECT_EQ(queue.RunPending(), 2u);
    EXPECT_EQ(order, (std::vector<int>{1, 3, 4}));
}

TEST(MainLoopQueueTest, WaitAndRunForPicksUpWorkFromOtherThreads) {
    MainLoopQueue queue;
    EXPECT_EQ(queue.WaitAndRunFor(std::chrono::milliseconds(1)), 0u);

    constexpr int kThreads = 4;
    constexpr int kPostsEach = 500;
    int ran = 0; // only touched on this thread, by the posted work
    std::vector<std::thread> posters;
    for (int t = 0; t < kThreads; ++t) {
        posters.emplace_back([&] {
            for (int i = 0; i < kPostsEach; ++i) {
                queue.Post([&] { ++ran; });
            }
        });
    }
    // Generous bound so a stalled machine ends the test instead of hanging it.
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (ran < kThreads * kPostsEach && std::chrono::steady_clock::now() < giveUp) {
        queue.WaitAndRunFor(std::chrono::milliseconds(100));
    }
    for (auto& poster : posters) {
        poster.join();
    }
    queue.RunPending();
    EXPECT_EQ(ran, kThreads * kPostsEach);
}

} // namespace
} // namespace vorpline
