#include "output/ConversionThread.h"

#include <algorithm>
#include <stdexcept>
#include <vector>

namespace vorpline {

ConversionThread::ConversionThread(uint32_t inRate, uint32_t outRate, Sink sink)
    : resampler(inRate, outRate), sink(std::move(sink)), worker([this] { Run(); }) {}

ConversionThread::~ConversionThread() {
    if (worker.joinable()) {
        Stop();
    }
}

void ConversionThread::Push(const int16_t* frames, size_t count) {
    if (count > kBlockFrames) {
        throw std::invalid_argument("conversion block too large");
    }
    if (!worker.joinable()) {
        throw std::logic_error("conversion already finished");
    }
    for (;;) {
        if (failed.load(std::memory_order_acquire)) {
            std::rethrow_exception(failure);
        }
        if (Block* slot = ring.PushSlot()) {
            std::copy(frames, frames + 2 * count, slot->samples.begin());
            slot->frames = count;
            ring.Commit();
            return;
        }
        ring.WaitForRoom();
    }
}

void ConversionThread::Stop() {
    // The worker keeps draining after a failure, so there is always room eventually.
    Block* slot = nullptr;
    while ((slot = ring.PushSlot()) == nullptr) {
        ring.WaitForRoom();
    }
    slot->frames = 0;
    ring.Commit();
    worker.join();
}

void ConversionThread::Finish() {
    if (worker.joinable()) {
        Stop();
    }
    if (failed.load(std::memory_order_acquire)) {
        std::rethrow_exception(failure);
    }
}

// Takes the next block, or nullptr at the end marker.
void ConversionThread::Run() {
    bool ended = false;
    auto next = [this, &ended]() -> Block* {
        if (ended) {
            return nullptr;
        }
        ring.WaitForData();
        Block* block = ring.Front();
        if (block->frames == 0) {
            ring.Release();
            ended = true;
            return nullptr;
        }
        return block;
    };
    try {
        std::vector<int16_t> out(2 * resampler.MaxOutputFrames(kBlockFrames));
        while (Block* block = next()) {
            size_t n = resampler.Process(block->samples.data(), block->frames, out.data(),
                                         out.size() / 2);
            ring.Release();
            if (n > 0) {
                sink(out.data(), n);
            }
        }
        while (size_t n = resampler.Flush(out.data(), out.size() / 2)) {
            sink(out.data(), n);
        }
    } catch (...) {
        failure = std::current_exception();
        failed.store(true, std::memory_order_release);
        // Keep taking blocks so the producer never waits forever; it learns of the failure
        // at its next push.
        while (next() != nullptr) {
            ring.Release();
        }
    }
}

} // namespace vorpline
