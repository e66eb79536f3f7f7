// How well the internal clock keeps time: the clock window on the real timer service at
// 120 BPM (a tick every 21 ms), each tick against its due time start + n x 21 ms, both where
// the timer thread fires it and where the LFOs and the sequencer take it, on the main thread.
// The timer's deadlines do not drift, so every deviation is the lateness of one tick: the
// timer thread's wake-up, then the hand-over to the main loop.
//
// When the timer thread falls a whole period behind (a stalled machine), the service fires the
// overdue tick once and drops the ones it missed; the next tick is back on the grid. The drops
// show in the count, the stall in the worst deviation.
//
//   ./build-bench/vorpline-clock-bench [SECONDS]   (default 60)
//
// Prints the ticks counted against those due, then the median, 99th percentile and worst
// deviation in milliseconds on each thread, for the whole run and for its first and last
// second (drift).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <vector>

#include "modulation/ClockFollower.h"
#include "modulation/TFormRT.h"
#include "platform/MainLoopQueue.h"
#include "platform/RealTimerService.h"

namespace {

using namespace vorpline;
using Clock = std::chrono::steady_clock;
using Ms = std::chrono::duration<double, std::milli>;

// The real service, noting when each periodic callback fires on the timer thread.
class WatchedTimers final : public TimerService {
public:
    explicit WatchedTimers(TimerService& inner) : inner(inner) {}
    TimerId StartPeriodic(std::chrono::milliseconds period, Callback onTick) override {
        return inner.StartPeriodic(period, [this, onTick = std::move(onTick)] {
            {
                std::lock_guard lock(mutex);
                fired.push_back(Clock::now());
            }
            onTick();
        });
    }
    void Stop(TimerId id) override { inner.Stop(id); }
    void Post(Callback onMainThread) override { inner.Post(std::move(onMainThread)); }
    uint32_t NowMs() const override { return inner.NowMs(); }

    std::vector<Clock::time_point> Fired() {
        std::lock_guard lock(mutex);
        return fired;
    }

private:
    TimerService& inner;
    std::mutex mutex;
    std::vector<Clock::time_point> fired;
};

// The clock's follower: when each tick ran on the main thread.
struct TickTimes : ClockFollower {
    void ClockTick() override { times.push_back(Clock::now()); }
    void ClockStart() override {}
    void ClockStop() override {}
    void ClockContinue() override {}
    void ClockNote(uint8_t, uint8_t, bool) override {}
    void ApplyStoredEnable() override {}
    std::vector<Clock::time_point> times;
};

double Quantile(std::vector<double>& values, double q) {
    const auto at = static_cast<std::size_t>(q * static_cast<double>(values.size() - 1));
    std::nth_element(values.begin(), values.begin() + static_cast<long>(at), values.end());
    return values[at];
}

// Deviations in ms.
void Report(const char* what, std::vector<double> deviations) {
    if (deviations.empty()) {
        return;
    }
    const double worst = *std::max_element(deviations.begin(), deviations.end());
    std::printf("  %-12s median %6.3f   99%% %6.3f   worst %7.3f   (%zu ticks)\n", what,
                Quantile(deviations, 0.5), Quantile(deviations, 0.99), worst, deviations.size());
}

} // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 60;
    if (seconds < 2) {
        std::fprintf(stderr, "usage: %s [SECONDS]   (at least 2, default 60)\n", argv[0]);
        return 2;
    }
    MainLoopQueue loop;
    RealTimerService service([&loop](TimerService::Callback work) { loop.Post(std::move(work)); });
    WatchedTimers timers(service);
    TickTimes follower;
    TFormRT clock(timers, nullptr, {&follower}, nullptr);
    clock.SetSource(1); // no timer while the tempo is set
    clock.EditBPM.SetText("120");
    clock.ApplyTempo();
    const int delayMs = std::atoi(clock.ComboBoxDEL.Text().c_str());
    const auto period = std::chrono::milliseconds(delayMs);

    // The timer's first deadline is one period after it starts, inside SetSource.
    const Clock::time_point start = Clock::now();
    clock.SetSource(TFormRT::kSourceTimer);
    const Clock::time_point end = start + std::chrono::seconds(seconds);
    while (Clock::now() < end) {
        loop.WaitAndRunFor(std::chrono::milliseconds(50));
    }
    clock.Stop();
    loop.RunPending(); // ticks fired before the stop, still on their way

    // Each firing's due time, as the service schedules them: the next on the grid, or after
    // a firing a whole period late, the first on the grid after it.
    const std::vector<Clock::time_point> fired = timers.Fired();
    std::vector<double> timerLate, mainLate, mainFirst, mainLast;
    long slot = 0;
    bool stalled = false;
    for (std::size_t i = 0; i < fired.size() && i < follower.times.size(); ++i) {
        slot = stalled ? static_cast<long>((fired[i] - start) / period) : slot + 1;
        const Clock::time_point due = start + period * slot;
        if (due > end) {
            break;
        }
        stalled = fired[i] - due >= period;
        timerLate.push_back(Ms(fired[i] - due).count());
        mainLate.push_back(Ms(follower.times[i] - due).count());
        if (due < start + std::chrono::seconds(1)) {
            mainFirst.push_back(mainLate.back());
        } else if (due >= end - std::chrono::seconds(1)) {
            mainLast.push_back(mainLate.back());
        }
    }
    std::printf("internal clock at %s BPM (a tick every %d ms) for %d s: %zu ticks of %lld due\n",
                clock.EditBPM.Text().c_str(), delayMs, seconds, mainLate.size(),
                static_cast<long long>((end - start) / period));
    std::printf("deviation from the due time, ms, where the timer thread fires the tick:\n");
    Report("whole run", timerLate);
    std::printf("and where the main thread runs it:\n");
    Report("whole run", mainLate);
    Report("first second", mainFirst);
    Report("last second", mainLast);
    return 0;
}
