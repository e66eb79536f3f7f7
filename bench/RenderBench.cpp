// Speed of the offline render path against the bare emulator, and of the engine's hot calls.
//
//   ./build-test/vorpline_bench --benchmark_filter='Render|Raw'
//
// BM_FullRenderPath / BM_RawEmulator/Accurate/6 is the cost of everything around the chip
// (engine, resampling to 44100 Hz, wave file); all render one second of all 18 channels
// sounding and are timed on the wall clock, since the conversion runs beside the chip on a
// second thread. BM_RawEmulator/Accurate/N / BM_RawEmulator/Fast/N is what the fast core saves
// with N notes held on each part.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "audio/OfflineChip.h"
#include "audio/YMF262.h"
#include "bench/BenchPatches.h"
#include "engine/EmulatorBackend.h"
#include "engine/OPL3.h"
#include "engine/PitchControl.h"
#include "files/WaveFileWriter.h"
#include "platform/VirtualTimerService.h"

namespace vorpline {
namespace {

constexpr uint64_t kSecond = YMF262::kNativeRate;

using bench::LoudPatch;
using bench::PolySix;

// The engine on the offline chip writing a wave file, as the renderer builds it.
struct RenderRig {
    std::string path = (std::filesystem::temp_directory_path() / "vorpline-bench.wav").string();
    WaveFileWriter wave;
    OfflineChip chip{44100, [this](const int16_t* f, size_t n) { wave.Append(f, n); }};
    EmulatorBackend backend{chip};
    VirtualTimerService timers;
    OPL3 engine{backend, timers, {}};
    PitchControl pitch{engine};

    RenderRig() {
        wave.Open(path, 44100);
        engine.ApplyPatch(LoudPatch(), PolySix());
    }
    ~RenderRig() {
        chip.Finish();
        wave.Close();
        std::filesystem::remove(path);
    }
};

void BM_FullRenderPath(benchmark::State& state) {
    RenderRig rig;
    uint8_t base = 48;
    for (auto _ : state) {
        // Ten chords a second on both parts: every voice of both parts re-struck.
        for (int step = 0; step < 10; ++step) {
            for (int v = 0; v < 6; ++v) {
                rig.pitch.NoteOff(0, static_cast<uint8_t>(base + 2 * v));
                rig.pitch.NoteOff(1, static_cast<uint8_t>(base + 2 * v));
            }
            base = base == 48 ? 50 : 48;
            for (int v = 0; v < 6; ++v) {
                rig.pitch.NoteOn(0, static_cast<uint8_t>(base + 2 * v), 100);
                rig.pitch.NoteOn(1, static_cast<uint8_t>(base + 2 * v), 100);
            }
            rig.chip.RenderUntil(rig.chip.ChipPosition() + kSecond / 10);
        }
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kSecond));
}
BENCHMARK(BM_FullRenderPath)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_RawEmulator(benchmark::State& state, EmulatorCore core) {
    // The same sound programmed straight into the emulator: the argument is the notes held on
    // each part, 6 = all 18 channels, 1 = one voice of each part.
    RenderRig registers; // only for its register image
    for (int v = 0; v < state.range(0); ++v) {
        registers.pitch.NoteOn(0, static_cast<uint8_t>(48 + 2 * v), 100);
        registers.pitch.NoteOn(1, static_cast<uint8_t>(48 + 2 * v), 100);
    }
    YMF262 chip(core);
    chip.Init(1, YMF262::kClock, YMF262::kNativeRate);
    const auto& shadow = registers.engine.RegisterShadow();
    for (int reg = 0; reg < 0x200; ++reg) {
        chip.Write(0, reg < 0x100 ? 0 : 2, static_cast<uint8_t>(reg));
        chip.Write(0, reg < 0x100 ? 1 : 3, shadow[static_cast<size_t>(reg)]);
    }
    std::vector<int16_t> block(2 * 1024);
    for (auto _ : state) {
        for (uint64_t done = 0; done < kSecond; done += 1024) {
            size_t frames = static_cast<size_t>(std::min<uint64_t>(1024, kSecond - done));
            chip.UpdateOne(0, block.data(), frames);
        }
        benchmark::DoNotOptimize(block.data());
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kSecond));
}
BENCHMARK_CAPTURE(BM_RawEmulator, Accurate, EmulatorCore::kAccurate)
    ->Arg(6)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_RawEmulator, Fast, EmulatorCore::kFast)
    ->Arg(6)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_WriteRegister(benchmark::State& state) {
    RenderRig rig;
    uint8_t value = 0;
    for (auto _ : state) {
        rig.engine.WriteRegister(0x1A0, value++);
    }
}
BENCHMARK(BM_WriteRegister);

void BM_NoteOnNoteOffPoly6(benchmark::State& state) {
    RenderRig rig;
    uint8_t note = 40;
    for (auto _ : state) {
        rig.pitch.NoteOn(0, note, 100);
        rig.pitch.NoteOff(0, note);
        note = note == 80 ? 40 : note + 1;
    }
}
BENCHMARK(BM_NoteOnNoteOffPoly6);

} // namespace
} // namespace vorpline
