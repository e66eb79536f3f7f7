#include "audio/BlockThread.h"

#include <algorithm>
#include <stdexcept>

namespace vorpline {

BlockThread::BlockThread(Consume consume, Finish finish)
    : consume(std::move(consume)), finish(std::move(finish)), worker([this] { Run(); }) {}

BlockThread::~BlockThread() {
    if (worker.joinable()) {
        Stop();
    }
}

bool BlockThread::Fill(const int16_t* frames, size_t count) {
    Block* slot = ring.PushSlot();
    if (slot == nullptr) {
        return false;
    }
    std::copy(frames, frames + 2 * count, slot->samples.begin());
    slot->frames = count;
    ring.Commit();
    return true;
}

void BlockThread::Push(const int16_t* frames, size_t count) {
    if (count == 0) {
        return;
    }
    if (count > kBlockFrames) {
        throw std::invalid_argument("block of " + std::to_string(count) + " frames is too large");
    }
    if (!worker.joinable()) {
        throw std::logic_error("block thread already closed");
    }
    for (;;) {
        if (Failed()) {
            std::rethrow_exception(failure);
        }
        if (Fill(frames, count)) {
            return;
        }
        ring.WaitForRoom();
    }
}

bool BlockThread::TryPush(const int16_t* frames, size_t count) {
    if (count == 0) {
        return true;
    }
    if (count > kBlockFrames || Failed()) {
        return false;
    }
    return Fill(frames, count);
}

void BlockThread::Stop() {
    // The worker keeps taking blocks after a failure, so room always comes.
    Block* slot = nullptr;
    while ((slot = ring.PushSlot()) == nullptr) {
        ring.WaitForRoom();
    }
    slot->frames = 0;
    ring.Commit();
    worker.join();
}

void BlockThread::Close() {
    if (worker.joinable()) {
        Stop();
    }
    if (Failed()) {
        std::rethrow_exception(failure);
    }
}

void BlockThread::Run() {
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
        while (Block* block = next()) {
            consume(block->samples.data(), block->frames);
            ring.Release();
        }
        if (finish) {
            finish();
        }
    } catch (...) {
        failure = std::current_exception();
        failed.store(true, std::memory_order_release);
        while (next() != nullptr) {
            ring.Release();
        }
    }
}

} // namespace vorpline
