#pragma once
#include <deque>
#include <functional>
#include <iterator>
#include <mutex>

namespace vorpline {

// Runs a batch of posted work in order. If an item throws, the unrun rest goes back in front of
// `queue` (under `mutex`), ahead of anything posted meanwhile, so posting order holds when the
// caller carries on; then the exception propagates. Returns how many items ran.
// The thread that owns the queue's work (the main thread).
template <class Work>
std::size_t RunBatchInOrder(std::deque<Work>& batch, std::deque<Work>& queue, std::mutex& mutex) {
    std::size_t ran = 0;
    while (!batch.empty()) {
        Work work = std::move(batch.front());
        batch.pop_front();
        try {
            work();
        } catch (...) {
            std::lock_guard lock(mutex);
            queue.insert(queue.begin(), std::make_move_iterator(batch.begin()),
                         std::make_move_iterator(batch.end()));
            throw;
        }
        ++ran;
    }
    return ran;
}

} // namespace vorpline
