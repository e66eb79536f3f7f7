#include "platform/VirtualTimerService.h"

#include <cmath>
#include <iterator>
#include <stdexcept>
#include <string>
#include <utility>

#include "platform/PostedWork.h"

namespace vorpline {

class VirtualTimerService::BusyScope {
public:
    BusyScope(bool& busy, const char* what) : busy_(busy) {
        if (busy_) {
            throw std::logic_error(std::string("VirtualTimerService::") + what +
                                   " called from inside a timer callback or posted work");
        }
        busy_ = true;
    }
    ~BusyScope() { busy_ = false; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    bool& busy_;
};

VirtualTimerService::TimerId VirtualTimerService::StartPeriodic(std::chrono::milliseconds period,
                                                                Callback onTick) {
    if (period <= std::chrono::milliseconds::zero() || !onTick) {
        return 0;
    }
    // Ids only repeat after 2^32 starts; skip any still in use when that happens.
    do {
        ++lastId_;
    } while (lastId_ == 0 || timers_.count(lastId_) != 0);
    timers_.emplace(lastId_, Timer{now_, static_cast<double>(period.count()), 0, nextOrder_++,
                                   std::make_shared<const Callback>(std::move(onTick))});
    return lastId_;
}

void VirtualTimerService::Stop(TimerId id) {
    timers_.erase(id);
}

void VirtualTimerService::Post(Callback onMainThread) {
    if (!onMainThread) {
        return;
    }
    std::lock_guard lock(postedMutex_);
    posted_.push_back(std::move(onMainThread));
}

uint32_t VirtualTimerService::NowMs() const {
    // fmod first: casting a double beyond the 64-bit range would be undefined.
    return static_cast<uint32_t>(std::fmod(std::floor(now_), 4294967296.0));
}

void VirtualTimerService::AdvanceTo(double targetMs) {
    if (!std::isfinite(targetMs) || targetMs < now_) {
        throw std::invalid_argument("VirtualTimerService cannot advance to " +
                                    std::to_string(targetMs) + " ms from " + std::to_string(now_) +
                                    " ms: time only moves forward");
    }
    BusyScope busy(busy_, "AdvanceTo");
    RunPostedRounds();
    for (auto due = EarliestDue(targetMs); due != timers_.end(); due = EarliestDue(targetMs)) {
        Timer& timer = due->second;
        now_ = timer.Deadline();
        ++timer.ticksFired;
        const std::shared_ptr<const Callback> onTick = timer.onTick;
        (*onTick)();
        RunPostedRounds();
    }
    now_ = targetMs;
}

void VirtualTimerService::AdvanceBy(double deltaMs) {
    if (!std::isfinite(deltaMs) || deltaMs < 0.0) {
        throw std::invalid_argument("VirtualTimerService cannot advance by " +
                                    std::to_string(deltaMs) +
                                    " ms: the step must be finite and not negative");
    }
    AdvanceTo(now_ + deltaMs);
}

void VirtualTimerService::RunPosted() {
    BusyScope busy(busy_, "RunPosted");
    RunPostedRounds();
}

std::optional<double> VirtualTimerService::NextDeadline() const {
    std::optional<double> earliest;
    for (const auto& [id, timer] : timers_) {
        const double deadline = timer.Deadline();
        if (!earliest || deadline < *earliest) {
            earliest = deadline;
        }
    }
    return earliest;
}

std::map<VirtualTimerService::TimerId, VirtualTimerService::Timer>::iterator
VirtualTimerService::EarliestDue(double targetMs) {
    auto due = timers_.end();
    double dueDeadline = 0.0;
    for (auto it = timers_.begin(); it != timers_.end(); ++it) {
        const double deadline = it->second.Deadline();
        if (deadline > targetMs) {
            continue;
        }
        if (due == timers_.end() || deadline < dueDeadline ||
            (deadline == dueDeadline && it->second.order < due->second.order)) {
            due = it;
            dueDeadline = deadline;
        }
    }
    return due;
}

void VirtualTimerService::RunPostedRounds() {
    for (std::size_t round = 0;; ++round) {
        std::deque<Callback> batch;
        {
            std::lock_guard lock(postedMutex_);
            batch.swap(posted_);
        }
        if (batch.empty()) {
            return;
        }
        if (round == kMaxPostRounds) {
            std::lock_guard lock(postedMutex_);
            posted_.insert(posted_.begin(), std::make_move_iterator(batch.begin()),
                           std::make_move_iterator(batch.end()));
            throw std::runtime_error(
                "VirtualTimerService: posted work kept posting more work for " +
                std::to_string(kMaxPostRounds) + " rounds at one virtual instant");
        }
        RunBatchInOrder(batch, posted_, postedMutex_);
    }
}

} // namespace vorpline
