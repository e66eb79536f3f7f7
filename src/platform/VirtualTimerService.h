#pragma once
#include "platform/TimerService.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>

namespace vorpline {

// Timers on a clock that only moves when told to, for tests and the offline renderer.
// Time is in milliseconds as a double, starting at 0; deadlines are computed as start +
// n * period rather than accumulated, so fractional start times do not drift.
//
// Advancing fires every deadline up to the target in time order (ties in the order the timers
// were started), setting the clock to each deadline before its callback, and runs the work the
// callback Posted straight after it, at the same virtual time and before the next deadline:
// the same as the real service with a main loop that reacts instantly.
//
// Everything except Post belongs to the one thread that drives Advance; callbacks and posted
// work run on it and may start and stop timers, including their own. An exception from a
// callback or posted work propagates out of AdvanceTo/RunPosted with the clock left at the
// deadline being served; the service stays usable.
class VirtualTimerService final : public TimerService {
public:
    // Rounds of posted-work-posting-more-work that RunPosted allows at one virtual instant
    // before giving up with std::runtime_error instead of spinning forever.
    static constexpr std::size_t kMaxPostRounds = 10000;

    // First deadline one `period` after the current virtual time. Returns 0 for a period <= 0
    // or an empty callback.
    TimerId StartPeriodic(std::chrono::milliseconds period, Callback onTick) override;
    // Unknown ids and 0 are ignored.
    void Stop(TimerId id) override;
    // Queues work for the driving thread; it runs at the next AdvanceTo/AdvanceBy/RunPosted.
    // Empty work is ignored. Any thread.
    void Post(Callback onMainThread) override;
    // Current virtual time truncated to whole milliseconds, wrapping at 2^32.
    uint32_t NowMs() const override;

    // Current virtual time in milliseconds, exact.
    double Now() const { return now_; }

    // Runs queued posted work at the current time, then every tick with a deadline <= `targetMs`
    // as described above, and leaves the clock at `targetMs`. Throws std::invalid_argument if
    // the target is not finite or lies before Now(), std::logic_error if called from inside a
    // callback or posted work.
    void AdvanceTo(double targetMs);
    // AdvanceTo(Now() + deltaMs); `deltaMs` must be finite and >= 0.
    void AdvanceBy(double deltaMs);
    // Runs queued posted work, including work that it posts in turn, without moving the clock.
    // Same errors as AdvanceTo for reentry, std::runtime_error after kMaxPostRounds rounds.
    void RunPosted();

    // Earliest pending deadline in milliseconds, or none without timers. A caller with events
    // of its own can advance to min(its next event, NextDeadline()) to interleave exactly.
    std::optional<double> NextDeadline() const;

private:
    struct Timer {
        double startMs;
        double periodMs;
        uint64_t ticksFired;
        uint64_t order; // creation order, breaks deadline ties
        // Shared so a callback stays alive while it runs even if it stops its own timer.
        std::shared_ptr<const Callback> onTick;

        double Deadline() const { return startMs + static_cast<double>(ticksFired + 1) * periodMs; }
    };

    // Guards against AdvanceTo/RunPosted being re-entered from a callback.
    class BusyScope;

    std::map<TimerId, Timer>::iterator EarliestDue(double targetMs);
    void RunPostedRounds();

    std::map<TimerId, Timer> timers_;
    double now_ = 0.0;
    TimerId lastId_ = 0;
    uint64_t nextOrder_ = 0;
    bool busy_ = false;

    std::mutex postedMutex_; // only the posted queue may be touched from other threads
    std::deque<Callback> posted_;
};

} // namespace vorpline
