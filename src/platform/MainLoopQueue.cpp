#include "platform/MainLoopQueue.h"

#include <utility>

#include "platform/PostedWork.h"

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
    return RunBatchInOrder(batch, queue_, mutex_);
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
