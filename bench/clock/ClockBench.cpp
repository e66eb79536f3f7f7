// How well the internal clock keeps time: the clock window on the real timer service at
// 120 BPM (a tick every 21 ms), its ticks taken where the LFOs and the sequencer take them, on
// the main thread, each against its due time start + n x 21 ms. The timer's deadlines do not
// drift, so every deviation is the lateness of one tick: the timer thread's wake-up plus the
// hand-over to the main loop. A tick the timer had to drop (a thread a whole period behind)
// shows as one missing from the count.
//
//   ./build-bench/vorpline-clock-bench [SECONDS]   (default 60)
//
// Prints the ticks counted against those due, and the median, 99th percentile and worst
// deviation in milliseconds, for the whole run and for its first and last second (drift).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "modulation/ClockFollower.h"
#include "modulation/TFormRT.h"
#include "platform/MainLoopQueue.h"
#include "platform/RealTimerService.h"

namespace {

using namespace vorpline;
using Clock = std::chrono::steady_clock;

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

// Deviations in ms, sorted in place.
double Quantile(std::vector<double>& values, double q) {
    const auto at = static_cast<std::size_t>(q * static_cast<double>(values.size() - 1));
    std::nth_element(values.begin(), values.begin() + static_cast<long>(at), values.end());
    return values[at];
}

void Report(const char* what, std::vector<double> deviations) {
    if (deviations.empty()) {
        return;
    }
    const double worst = *std::max_element(deviations.begin(), deviations.end());
    std::printf("%-12s median %6.3f   99%% %6.3f   worst %7.3f   (%zu ticks)\n", what,
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
    RealTimerService timers([&loop](TimerService::Callback work) { loop.Post(std::move(work)); });
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

    std::vector<double> all, first, last;
    for (std::size_t n = 0; n < follower.times.size(); ++n) {
        const Clock::time_point due = start + period * static_cast<long>(n + 1);
        if (due > end) {
            break; // ran while the loop was ending
        }
        const double late =
            std::chrono::duration<double, std::milli>(follower.times[n] - due).count();
        all.push_back(late);
        if (due < start + std::chrono::seconds(1)) {
            first.push_back(late);
        } else if (due >= end - std::chrono::seconds(1)) {
            last.push_back(late);
        }
    }
    std::printf("internal clock at %s BPM (a tick every %d ms) for %d s: %zu ticks of %lld due\n",
                clock.EditBPM.Text().c_str(), delayMs, seconds, all.size(),
                static_cast<long long>((end - start) / period));
    std::printf("deviation from the due time, ms:\n");
    Report("whole run", all);
    Report("first second", first);
    Report("last second", last);
    return 0;
}
