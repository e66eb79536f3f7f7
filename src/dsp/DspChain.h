#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>

#include "audio/AudioProcessor.h"

namespace vorpline {

// Everything the effects chain reads while it runs; the DSP window computes it from its controls.
struct DspParameters {
    bool enabled = false;
    // 0: input gain, crush, filter, output gain; 1: input gain, filter, crush, output gain;
    // any other value: no stage (the samples are only clipped).
    int patch = 0;
    // 0 off, 1 low pass, 2 high pass, 3 resonant low pass, 4 resonant band pass,
    // 5 resonant high pass.
    int filterMode = 0;
    // 0 off, 1 the same noise on both channels, 2 noise per channel.
    int noiseMode = 0;
    // Low bits cleared by the crusher; 0 (or 32 and above) leaves the samples alone.
    int crushBits = 0;
    // Linear factors: 1.0 leaves the level alone.
    double preGain = 1.0;
    double outGain = 1.0;
    // Filter coefficients as the window's ComputeFilter sets them.
    double a = 0.0;
    double b = 0.0;
};

// The DSP engine behind the DSP window: input gain, a bit crusher with optional noise, one of
// five filters and output gain, on interleaved signed 16-bit stereo frames, in place.
//
// Threads: one thread publishes parameters (the main thread), one thread processes (the audio
// thread, or the main thread when the output renders there). The parameters cross as one block
// under a sequence counter, so Process never sees the filter mode of one setting with the
// coefficients of another (a resonant coefficient in the plain low pass would blow up for a
// whole buffer). Process never waits: if a publication is in progress it keeps the block it
// had. It takes no lock and allocates nothing.
class DspChain : public AudioProcessor {
public:
    // The filter state stays inside ±kStateLimit. The resonant filters are unstable with high
    // frequency and resonance; unbounded, their state would overflow. 2^24 is far above any
    // stable signal (the 16-bit input at the largest input gain stays below 2^19) and keeps
    // every later product far inside the range the stages work in.
    static constexpr int32_t kStateLimit = 1 << 24;

    DspChain() = default;

    // Publishing thread only. Takes effect from the next buffer on.
    void Publish(const DspParameters& parameters);

    // Processing thread only. Runs the stages on `count` frames; returns without touching the
    // buffer when the chain is not enabled.
    void Process(int16_t* frames, size_t count) override;

private:
    struct Stereo {
        int64_t l;
        int64_t r;
    };
    struct FilterState {
        double s0 = 0.0;
        double s1 = 0.0;
    };

    // Processing thread: the latest block if one can be read whole, else false.
    bool TryRead(DspParameters& out) const;
    void Crush(Stereo& x);
    int64_t Filter(int64_t x, FilterState& state) const;
    // 0..32767, like the C library's rand, but owned by the processing thread.
    uint32_t Random();

    // The published block, field by field; readable whole while `sequence` is even and
    // unchanged across the read.
    std::atomic<uint32_t> sequence{0};
    std::atomic<bool> enabled{false};
    std::atomic<int> patch{0};
    std::atomic<int> filterMode{0};
    std::atomic<int> noiseMode{0};
    std::atomic<int> crushBits{0};
    std::atomic<double> preGain{1.0};
    std::atomic<double> outGain{1.0};
    std::atomic<double> a{0.0};
    std::atomic<double> b{0.0};
    static_assert(std::atomic<double>::is_always_lock_free);

    // Processing thread only.
    DspParameters current;
    FilterState left;
    FilterState right;
    uint32_t randomState = 0x2545F491u;
};

} // namespace vorpline
