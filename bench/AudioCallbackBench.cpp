// What one audio callback costs: 64 frames at 48000 Hz with all 18 channels sounding and the
// DSP stage on, in thread mode (the callback renders). Reported as shares of the buffer's
// duration (1.33 ms): the median and the 99th percentile of the individual callbacks.
//
//   ./build-test/vorpline_bench --benchmark_filter=AudioCallback
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <vector>

#include "bench/BenchPatches.h"
#include "engine/EmulatorBackend.h"
#include "engine/OPL3.h"
#include "dsp/TFormDSP.h"
#include "audio/WaveOut.h"
#include "platform/VirtualTimerService.h"

namespace vorpline {
namespace {

// A device that is only ever asked for audio by the benchmark itself.
class BenchDevice : public AudioBackend {
public:
    std::vector<std::string> OutputDevices() override { return {"Bench"}; }
    uint32_t Start(size_t, uint32_t rate, size_t, Callback cb) override {
        callback = std::move(cb);
        return rate;
    }
    void Stop() override { callback = nullptr; }
    Callback callback;
};

void BM_AudioCallback64(benchmark::State& state) {
    constexpr size_t kFrames = 64;
    constexpr double kRate = 48000;
    BenchDevice device;
    YMF262 chip;
    TFormDSP dsp(48000);
    // Every stage: input gain, crush 4 bits with stereo noise, resonant low pass, output gain.
    dsp.ApplySettings("0,1,70,60,4,2,3,90,40");
    WaveOut wave(device, false);
    wave.Open("Bench", chip, &dsp, 48000, kFrames, 2, "");
    EmulatorBackend backend(wave.Registers());
    VirtualTimerService timers;
    OPL3 engine(backend, timers, {});
    bench::StrikeAllVoices(engine);
    std::vector<int16_t> out(2 * kFrames);
    std::vector<double> seconds;
    for (int i = 0; i < 100; ++i) {
        device.callback(out.data(), kFrames, false);
    }
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        device.callback(out.data(), kFrames, false);
        seconds.push_back(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        benchmark::DoNotOptimize(out.data());
    }
    wave.Close();
    std::sort(seconds.begin(), seconds.end());
    double period = kFrames / kRate;
    state.counters["median_share"] = seconds[seconds.size() / 2] / period;
    state.counters["p99_share"] = seconds[seconds.size() * 99 / 100] / period;
}
BENCHMARK(BM_AudioCallback64)->Iterations(20000);

} // namespace
} // namespace vorpline
