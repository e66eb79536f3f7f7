#pragma once
#include <cstdint>
#include <functional>
#include <vector>

#include "audio/BlockThread.h"
#include "audio/Resampler.h"

namespace vorpline {

// Rate conversion and the sink (the wave file) of an offline render, on a thread of their
// own: the chip emulation, by far the most expensive step, then never waits for them, and a
// render on two cores takes little longer than the emulation alone. Blocks keep their order,
// so the output is the same as converting in line.
//
// Push and Finish belong to one producer thread; the sink runs on the conversion thread.
// An exception thrown by the conversion or the sink stops the work and is rethrown by the
// next Push or by Finish.
class ConversionThread {
public:
    static constexpr size_t kBlockFrames = BlockThread::kBlockFrames;
    using Sink = std::function<void(const int16_t* frames, size_t frameCount)>;

    ConversionThread(uint32_t inRate, uint32_t outRate, Sink sink);

    // Up to kBlockFrames interleaved stereo frames; waits while the ring is full.
    void Push(const int16_t* frames, size_t count) { worker.Push(frames, count); }
    // Drains the ring and the converter's tail, then stops the thread.
    void Finish() { worker.Close(); }

private:
    Resampler resampler;
    Sink sink;
    std::vector<int16_t> out;
    BlockThread worker; // last: its thread uses the members above
};

} // namespace vorpline
