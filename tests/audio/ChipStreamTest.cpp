#include "audio/ChipStream.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "engine/EmulatorBackend.h"
#include "engine/OPL3.h"
#include "platform/VirtualTimerService.h"
#include "support/TestPatches.h"

namespace vorpline::test {
namespace {

struct Stream {
    uint32_t rate;
    size_t frames;
    size_t maxDelay; // frames: 2 ms, but the converter's portions are not much shorter below
                     // 44100 Hz
};

class ChipStreamLatency : public ::testing::TestWithParam<Stream> {};

// A note played between two buffers, as the main thread does between two audio callbacks:
// from the first frame of the next buffer to the first audible one. Notes are spaced by
// silences of varying length, so they meet the converter's blocks at different phases.
TEST_P(ChipStreamLatency, ANoteIsHeardEarlyInTheNextBuffer) {
    const auto [rate, frames, maxDelay] = GetParam();
    YMF262 chip;
    ASSERT_EQ(chip.Init(1, YMF262::kClock, YMF262::kNativeRate), YMF262::kInitOk);
    chip.ResetChip(0);
    RegisterQueue registers;
    ChipStream stream(chip, registers, rate, frames);
    EmulatorBackend backend(registers);
    VirtualTimerService timers;
    OPL3 engine(backend, timers, OPL3::Settings{});
    auto [patch, ext] = SustainedSine();
    engine.ApplyPatch(patch, ext);

    std::vector<int16_t> buffer(2 * frames);
    // Renders one buffer; the index of its first audible frame, or `frames` if none.
    auto firstAudible = [&] {
        stream.Render(buffer.data(), frames);
        auto loud =
            std::find_if(buffer.begin(), buffer.end(), [](int16_t s) { return std::abs(s) > 8; });
        return static_cast<size_t>(loud - buffer.begin()) / 2;
    };
    size_t worst = 0;
    for (int note = 0; note < 12; ++note) {
        for (int quiet = 0; quiet < 3 + note % 5;) {
            quiet = firstAudible() == frames ? quiet + 1 : 0;
        }
        engine.Part(0).NoteOn(69, 127, 0);
        size_t delay = 0;
        size_t at = firstAudible();
        for (; at == frames; at = firstAudible()) {
            delay += frames;
            ASSERT_LT(delay, rate) << "note " << note << " never sounded";
        }
        worst = std::max(worst, delay + at);
        engine.Part(0).NoteOff(69);
    }
    EXPECT_LE(worst, maxDelay) << "worst delay in frames at " << rate << " Hz";
}

INSTANTIATE_TEST_SUITE_P(Rates, ChipStreamLatency,
                         ::testing::Values(Stream{48000, 128, 96}, Stream{48000, 64, 96},
                                           Stream{44100, 256, 88}, Stream{22050, 512, 100},
                                           Stream{11025, 128, 100}, Stream{96000, 256, 192},
                                           Stream{49716, 128, 8}));

} // namespace
} // namespace vorpline::test
