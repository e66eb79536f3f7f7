// Cost of the DSP stage on one device buffer with every stage working.
//
//   ./build-test/vorpline_bench --benchmark_filter=Dsp
//
// One 64-frame buffer per iteration: input gain, crush with stereo noise, resonant filter and
// output gain, in both patch orders.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "dsp/TFormDSP.h"

namespace vorpline {
namespace {

constexpr size_t kFrames = 64;

void BM_DspProcess64(benchmark::State& state) {
    TFormDSP dsp(44100);
    const int patch = static_cast<int>(state.range(0));
    // patch, enable, input gain, output gain, crush, stereo noise, resonant band pass, frequency,
    // resonance.
    dsp.ApplySettings(std::to_string(patch) + ",1,80,50,6,2,4,70,40");
    // A sawtooth copied in fresh each time (a 256-byte copy, a few ns of the figure), so the
    // filter never settles into a trivial state.
    std::vector<int16_t> source(kFrames * 2);
    for (size_t i = 0; i < source.size(); ++i) {
        source[i] = static_cast<int16_t>((i / 2 * 1500) & 0xFFFF);
    }
    std::vector<int16_t> frames(source.size());
    for (auto _ : state) {
        std::copy(source.begin(), source.end(), frames.begin());
        dsp.Process(frames.data(), kFrames);
        benchmark::DoNotOptimize(frames.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kFrames));
}
BENCHMARK(BM_DspProcess64)->Arg(0)->Arg(1);

} // namespace
} // namespace vorpline
