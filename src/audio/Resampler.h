#pragma once
#include <cstddef>
#include <cstdint>

struct soxr;

namespace vorpline {

// Streaming sample-rate conversion of interleaved stereo 16-bit audio (no dither, so equal
// input always gives equal output). Equal rates pass samples through untouched.
//
// Usage: Process every input block as it comes, then call Flush until it returns 0 to drain
// the filter tail. The output is aligned with the input (no leading filter delay), so a
// stream of N frames gives about N * outRate / inRate frames in total.
//
// Threads: one instance is used by one thread at a time; instances are independent.
// Process does not allocate itself, but the conversion library grows its internal queues on
// the first calls (and whenever a call brings a larger block than before); with steady block
// sizes it settles quickly.
class Resampler {
public:
    // Throws std::invalid_argument for a zero rate and std::runtime_error if the converter
    // cannot be created.
    // How the converter trades delay against filter steepness and effort.
    // kOffline: linear phase, 20-bit stopband, passband to 91% of the lower rate's Nyquist
    //   frequency, large transform blocks (least work per frame). Its filter and blocks hold
    //   back 3-9 ms of audio, which a file never notices.
    // kLive: what a player hears as latency is the filter's delay plus the portion the
    //   converter holds before it hands anything out. A minimum-phase filter (no pre-echo to
    //   wait for) of 16-bit stopband, the chip's own resolution, with the passband to 75% of
    //   the lower Nyquist frequency (18 kHz at 48000 Hz) and 256-point transforms: output
    //   follows input by about 1 ms at 44100 Hz and above, in small, even portions.
    enum class Pace { kOffline, kLive };

    Resampler(uint32_t inRate, uint32_t outRate, Pace pace = Pace::kOffline);
    ~Resampler();
    Resampler(const Resampler&) = delete;
    Resampler& operator=(const Resampler&) = delete;

    uint32_t InRate() const { return inRate; }
    uint32_t OutRate() const { return outRate; }
    bool IsPassThrough() const { return converter == nullptr; }

    // Output capacity (frames) Process needs for `inFrames` input frames.
    size_t MaxOutputFrames(size_t inFrames) const;

    // Consumes all `inFrames` frames and writes up to `outCapacityFrames` frames to `out`,
    // returning how many. `outCapacityFrames` must be at least MaxOutputFrames(inFrames)
    // (std::invalid_argument otherwise). Converted audio that is ready beyond that stays
    // queued and comes out in later calls. Throws std::logic_error after Flush.
    size_t Process(const int16_t* in, size_t inFrames, int16_t* out, size_t outCapacityFrames);

    // Marks the end of the input and writes up to `outCapacityFrames` frames of the remaining
    // output; call again until it returns 0.
    size_t Flush(int16_t* out, size_t outCapacityFrames);

private:
    uint32_t inRate;
    uint32_t outRate;
    soxr* converter = nullptr;
    bool flushed = false;
};

} // namespace vorpline
