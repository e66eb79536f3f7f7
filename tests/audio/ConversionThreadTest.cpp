#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>
#include <thread>
#include <vector>

#include "audio/ConversionThread.h"
#include "platform/SpscRing.h"

namespace vorpline {
namespace {

std::vector<int16_t> Tone(size_t frames) {
    std::vector<int16_t> samples(2 * frames);
    for (size_t i = 0; i < frames; ++i) {
        auto v = static_cast<int16_t>(12000 * std::sin(0.031 * static_cast<double>(i)));
        samples[2 * i] = v;
        samples[2 * i + 1] = static_cast<int16_t>(-v);
    }
    return samples;
}

TEST(ConversionThread, GivesExactlyWhatConvertingInLineGives) {
    const auto input = Tone(50000);
    std::vector<int16_t> expected(2 * 60000);
    Resampler inLine(49716, 44100);
    size_t n = 0;
    for (size_t at = 0; at < 50000; at += 1000) {
        n += inLine.Process(&input[2 * at], 1000, &expected[2 * n], expected.size() / 2 - n);
    }
    while (size_t m = inLine.Flush(&expected[2 * n], expected.size() / 2 - n)) {
        n += m;
    }
    expected.resize(2 * n);

    std::vector<int16_t> got;
    ConversionThread thread(49716, 44100, [&got](const int16_t* f, size_t count) {
        got.insert(got.end(), f, f + 2 * count);
    });
    // Uneven blocks, more than the ring holds.
    size_t at = 0;
    for (size_t size = 1; at < 50000; size = size * 7 % ConversionThread::kBlockFrames + 1) {
        size_t count = std::min(size, 50000 - at);
        thread.Push(&input[2 * at], count);
        at += count;
    }
    thread.Finish();
    EXPECT_EQ(got, expected);
}

TEST(ConversionThread, SinkFailureReachesTheProducerWithoutHanging) {
    const auto input = Tone(ConversionThread::kBlockFrames);
    ConversionThread thread(49716, 48000, [](const int16_t*, size_t) {
        throw std::runtime_error("Wave file output write failed [9]");
    });
    bool thrown = false;
    for (int i = 0; i < 100 && !thrown; ++i) {
        try {
            thread.Push(input.data(), ConversionThread::kBlockFrames);
        } catch (const std::runtime_error& e) {
            EXPECT_STREQ(e.what(), "Wave file output write failed [9]");
            thrown = true;
        }
    }
    EXPECT_TRUE(thrown);
    EXPECT_THROW(thread.Finish(), std::runtime_error);
}

TEST(SpscRing, KeepsOrderAcrossThreads) {
    SpscRing<int, 16> ring;
    constexpr int kCount = 200000;
    std::thread producer([&ring] {
        for (int i = 0; i < kCount;) {
            if (ring.TryPush(i)) {
                ++i;
            } else {
                ring.WaitForRoom();
            }
        }
    });
    int expected = 0;
    while (expected < kCount) {
        ring.WaitForData();
        int value = -1;
        ASSERT_TRUE(ring.TryPop(value));
        ASSERT_EQ(value, expected);
        ++expected;
    }
    producer.join();
    EXPECT_EQ(ring.Size(), 0u);
    int unused;
    EXPECT_FALSE(ring.TryPop(unused));
}

} // namespace
} // namespace vorpline
