#include "platform/MainLoopQueue.h"

#include <utility>

namespace vorpline {

void MainLoopQueue::Post(Work work) {
    if (!work) {
        return;
    }
    {
        std::lock_guard lock(mutex_);
        queue_.push_back(std::move(work));
    }
    workArrived_.notify_one();
}

std::size_t MainLoopQueue::RunPending() {
    std::deque<Work> batch;
    {
        std::lock_guard lock(mutex_);
        batch.swap(queue_);
    }
    std::size_t ran = 0;
    while (!batch.empty()) {
        Work work = std::move(batch.front());
        batch.pop_front();
        try {
            work();
        } catch (...) {
            // The unrun rest of the batch was queued before anything posted meanwhile, so it
            // goes back in front to keep posting order.
            std::lock_guard lock(mutex_);
            queue_.insert(queue_.begin(), std::make_move_iterator(batch.begin()),
                          std::make_move_iterator(batch.end()));
            throw;
        }
        ++ran;
    }
    return ran;
}

std::size_t MainLoopQueue::WaitAndRunFor(std::chrono::milliseconds timeout) {
    {
        std::unique_lock lock(mutex_);
        if (!workArrived_.wait_for(lock, timeout, [this] { return !queue_.empty(); })) {
            return 0;
        }
    }
    return RunPending();
}

std::size_t MainLoopQueue::Size() const {
    std::lock_guard lock(mutex_);
    return queue_.size();
}

} // namespace vorpline
