#pragma once
#include <array>
#include <cstdint>

#include "platform/TimerService.h"

namespace vorpline::lv2 {

// The plugin's time: the frames its host has asked for, at the host's rate. Periodic timers
// (portamento) fall due on frame positions, so the run loop can split a block where one is
// due and a glide moves in the plugin's own block time, whatever the host's block size.
//
// Everything runs on the thread that calls run(): posted work runs at once, inside Post, as the
// hub would run it on the next turn of a main loop that has nothing else to do. A fixed number
// of timers and no locks: starting, stopping and firing never allocate (a callback that fits a
// std::function's own storage, such as one capturing a pointer, stays there).
class BlockTimers final : public TimerService {
public:
    // Each part's portamento needs one; the rest is headroom.
    static constexpr size_t kCapacity = 8;
    static constexpr uint64_t kNoDeadline = UINT64_MAX;

    explicit BlockTimers(uint32_t rate) : rate(rate) {}

    // 0 when all kCapacity timers run or the period is not positive.
    TimerId StartPeriodic(std::chrono::milliseconds period, Callback onTick) override;
    void Stop(TimerId id) override;
    void Post(Callback onMainThread) override;
    bool PostsInline() const override { return true; }
    uint32_t NowMs() const override;

    uint64_t Position() const { return position; }
    // Frames from now to the earliest deadline (0 = one is due now), or kNoDeadline.
    uint64_t FramesToNextDeadline() const;
    // Fires every tick due at the current position, earliest first.
    void FireDue();
    // Moves the clock on by `frames`, then fires what fell due.
    void Advance(uint64_t frames);

private:
    struct Slot {
        TimerId id = 0; // 0 = free
        double startFrame = 0;
        double periodFrames = 0;
        uint64_t fired = 0;
        Callback onTick;

        uint64_t Deadline() const;
    };

    uint32_t rate;
    uint64_t position = 0;
    TimerId lastId = 0;
    std::array<Slot, kCapacity> slots;
};

} // namespace vorpline::lv2
