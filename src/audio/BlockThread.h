#pragma once
#include <array>
#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <thread>

#include "platform/SpscRing.h"

namespace vorpline {

// A worker thread fed with blocks of interleaved stereo frames through a lock-free ring, in
// order: the offline renderer's rate conversion and the live output's wave-file writer.
//
// One producer thread pushes; `consume` runs on the worker for every block and `finish` once
// after the last. An exception thrown there stops the work (later blocks are dropped) and is
// kept: the producer sees it at its next Push or at Finish, or polls Failed().
class BlockThread {
public:
    static constexpr size_t kBlockFrames = 4096;
    using Consume = std::function<void(const int16_t* frames, size_t count)>;
    using Finish = std::function<void()>;

    BlockThread(Consume consume, Finish finish = {});
    ~BlockThread();
    BlockThread(const BlockThread&) = delete;
    BlockThread& operator=(const BlockThread&) = delete;

    // Waits while the ring is full; rethrows the worker's failure. Up to kBlockFrames frames.
    void Push(const int16_t* frames, size_t count);
    // Never waits: false when the ring is full (or the worker failed). No allocation, no lock:
    // safe on the audio thread.
    bool TryPush(const int16_t* frames, size_t count);
    // Drains the ring, runs `finish`, stops the thread; rethrows the worker's failure.
    void Close();
    bool Failed() const { return failed.load(std::memory_order_acquire); }
    // Blocks waiting for the worker. Any thread.
    size_t Pending() const { return ring.Size(); }
    std::exception_ptr Failure() const { return Failed() ? failure : nullptr; }

private:
    struct Block {
        std::array<int16_t, 2 * kBlockFrames> samples;
        size_t frames = 0; // 0 = end of stream
    };

    bool Fill(const int16_t* frames, size_t count);
    void Run();
    void Stop();

    Consume consume;
    Finish finish;
    SpscRing<Block, 16> ring;
    std::atomic<bool> failed{false};
    std::exception_ptr failure;
    std::thread worker;
};

} // namespace vorpline
