// The plugin's run() for one 64-frame block at 48000 Hz with all 18 channels sounding (six
// notes on both parts: six 4-operator voices and six 2-operator voices), against the raw
// emulator making the same stretch of sound (64 frames at 48000 Hz = 66.3 chip frames).
#include <benchmark/benchmark.h>

#include <array>
#include <vector>

#include "app/Instrument.h"
#include "audio/YMF262.h"
#include "engine/OPL3.h"
#include "lv2/PluginParameters.h"
#include "lv2/Synth.h"
#include "presets/TSbi.h"
#include "support/TestPatches.h"

namespace {

using vorpline::EmulatorCore;
using vorpline::YMF262;
using vorpline::lv2::Synth;

constexpr uint32_t kRate = 48000;
constexpr size_t kBlock = 64;

void PluginRun(benchmark::State& state) {
    Synth synth(kRate, {});
    auto [patch, ext] = vorpline::test::SustainedSine();
    synth.LoadPatch(vorpline::TSbi::Encode('6', "Sine", patch, ext));
    std::vector<float> values;
    for (const auto& p : vorpline::lv2::PluginParameters()) {
        values.push_back(static_cast<float>(p.get(synth.Synthesizer())));
    }
    std::vector<const float*> ports;
    for (const float& v : values) {
        ports.push_back(&v);
    }
    for (uint8_t note = 60; note < 66; ++note) {
        const uint8_t on[] = {0x90, note, 100};
        synth.Midi(on, sizeof on);
    }
    std::array<float, kBlock> left{};
    std::array<float, kBlock> right{};
    synth.ApplyPorts(ports);
    synth.Render(left.data(), right.data(), kBlock);
    const auto& engine = synth.Synthesizer().Engine();
    const int channels = 2 * engine.Part(vorpline::OPL3::kPart1234).Count() +
                         engine.Part(vorpline::OPL3::kPart56).Count();
    for (auto _ : state) {
        synth.ApplyPorts(ports); // a host's run(): every port compared, none changed
        synth.Render(left.data(), right.data(), kBlock);
        benchmark::DoNotOptimize(left.data());
    }
    state.counters["channels"] = channels;
    state.counters["peak"] = *std::max_element(left.begin(), left.end());
}
BENCHMARK(PluginRun)->Unit(benchmark::kMicrosecond);

void RawEmulator(benchmark::State& state) {
    YMF262 chip(EmulatorCore::kAccurate);
    chip.Init(1, YMF262::kClock, YMF262::kNativeRate);
    chip.ResetChip(0);
    std::array<int16_t, 2 * 67> buffer{};
    size_t frame = 0;
    for (auto _ : state) {
        // 66 or 67 chip frames, as 64 output frames at 48000 Hz need on average.
        const size_t next = (frame + kBlock) * YMF262::kNativeRate / kRate;
        const size_t start = frame * YMF262::kNativeRate / kRate;
        chip.UpdateOne(0, buffer.data(), next - start);
        frame = (frame + kBlock) % (kRate * 100);
        benchmark::DoNotOptimize(buffer.data());
    }
}
BENCHMARK(RawEmulator)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
