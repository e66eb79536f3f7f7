#pragma once
#include <array>
#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <thread>

#include "output/Resampler.h"
#include "platform/SpscRing.h"

namespace vorpline {

// Rate conversion and the sink (the wave file) of an offline render, on a thread of their
// own: the chip emulation, by far the most expensive step, then never waits for them, and a
// render on two cores takes little longer than the emulation alone. Blocks keep their order,
// so the output is the same as converting in line.
//
// Push and Finish belong to one producer thread; the sink runs on the conversion thread.
// An exception thrown by the conversion or the sink stops the thread and is rethrown by the
// next Push or by Finish.
class ConversionThread {
public:
    static constexpr size_t kBlockFrames = 4096;
    using Sink = std::function<void(const int16_t* frames, size_t frameCount)>;

    ConversionThread(uint32_t inRate, uint32_t outRate, Sink sink);
    ~ConversionThread();
    ConversionThread(const ConversionThread&) = delete;
    ConversionThread& operator=(const ConversionThread&) = delete;

    // Up to kBlockFrames interleaved stereo frames; waits while the ring is full.
    void Push(const int16_t* frames, size_t count);
    // Drains the ring and the converter's tail, then stops the thread.
    void Finish();

private:
    struct Block {
        std::array<int16_t, 2 * kBlockFrames> samples;
        size_t frames = 0; // 0 = end of stream
    };

    void Run();
    void Stop();

    Resampler resampler;
    Sink sink;
    SpscRing<Block, 8> ring;
    std::atomic<bool> failed{false};
    std::exception_ptr failure;
    std::thread worker;
};

} // namespace vorpline
