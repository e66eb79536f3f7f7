// Cost of one event through the main window's message hub, from the packed MIDI message to the
// engine's register writes (into a backend that drops them, so the chip's own cost is left out).
//
//   ./build-hub/vorpline_bench --benchmark_filter=Hub
//
// The "per_event" counter is the time of one event in seconds.
#include <benchmark/benchmark.h>

#include "engine/ChipBackend.h"
#include "engine/OPL3.h"
#include "engine/PitchControl.h"
#include "midi/MessageHub.h"
#include "platform/VirtualTimerService.h"
#include "presets/TFormCc.h"
#include "ui/TFormMain.h"

namespace vorpline {
namespace {

class DroppingBackend : public ChipBackend {
public:
    void Write(int, uint8_t, uint8_t, uint16_t) override { ++writes; }
    uint64_t writes = 0;
};

// The synth panel on an engine in Poly 6, both parts on channel 1, the MIDI input open.
struct HubRig {
    DroppingBackend backend;
    VirtualTimerService timers;
    OPL3 engine{backend, timers, {}};
    PitchControl pitch{engine};
    TFormMain form{std::filesystem::path()};
    MessageHub hub{form, engine, pitch};
    // The map window itself, at its defaults, logging every controller as a musician watching
    // it would.
    TFormCc map{std::filesystem::path("/nonexistent"), {}};

    HubRig() {
        form.AttachEngine(engine, pitch);
        form.ApplyDefaultOperators();
        hub.inputOpen = [] { return true; };
        map.CheckBoxEnable.SetChecked(true);
        map.ConnectPeers(hub.peers);
    }
};

benchmark::Counter PerEvent(int eventsPerIteration) {
    return benchmark::Counter(eventsPerIteration, benchmark::Counter::kIsIterationInvariantRate |
                                                      benchmark::Counter::kInvert);
}

void BM_HubNoteOnOff(benchmark::State& state) {
    HubRig rig;
    uint8_t note = 36;
    for (auto _ : state) {
        rig.hub.ShortEvent(PackEvent(0x90, note, 100), 0);
        rig.hub.ShortEvent(PackEvent(0x80, note, 0), 0);
        note = note == 96 ? 36 : note + 1;
    }
    benchmark::DoNotOptimize(rig.backend.writes);
    state.counters["per_event"] = PerEvent(2);
}
BENCHMARK(BM_HubNoteOnOff);

void BM_HubOperatorAttackOnSixOperators(benchmark::State& state) {
    HubRig rig;
    for (TFrameOp* frame : rig.form.FrameOps) {
        frame->CheckBoxCC.SetChecked(true);
    }
    const uint8_t attack = kDefaultCcNumbers[kCcAttack];
    uint8_t value = 0;
    for (auto _ : state) {
        // Every event moves the six track bars, so every one reaches the chip.
        rig.hub.ShortEvent(PackEvent(0xB0, attack, value), 0);
        value = static_cast<uint8_t>((value + 8) & 0x7F);
    }
    benchmark::DoNotOptimize(rig.backend.writes);
    state.counters["per_event"] = PerEvent(1);
}
BENCHMARK(BM_HubOperatorAttackOnSixOperators);

} // namespace
} // namespace vorpline
