#include "audio/Resampler.h"

#include <soxr.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

namespace vorpline {

namespace {

constexpr unsigned kChannels = 2;
// Input is fed to the converter in slices of this many frames, each followed by taking out
// what is ready, so the converter's input queue never holds more than one slice.
constexpr size_t kSliceFrames = 1024;
// Room for the converter's block-wise output running ahead of the exact ratio.
constexpr size_t kSlackFrames = 16;

void ThrowOnError(soxr_error_t error) {
    if (error) {
        throw std::runtime_error(std::string("Resampler: ") + error);
    }
}

} // namespace

Resampler::Resampler(uint32_t inRate, uint32_t outRate, Pace pace)
    : inRate(inRate), outRate(outRate) {
    if (inRate == 0 || outRate == 0) {
        throw std::invalid_argument("Resampler: sample rates must be above 0 Hz");
    }
    if (inRate == outRate) {
        return;
    }
    soxr_io_spec_t io = soxr_io_spec(SOXR_INT16_I, SOXR_INT16_I);
    io.flags |= SOXR_NO_DITHER; // the dither is randomly seeded; output must be repeatable
    soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
    // Conversion runs on the calling thread only, never on worker threads of its own.
    soxr_runtime_spec_t runtime = soxr_runtime_spec(1);
    if (pace == Pace::kLive) {
        // Measured from 49716 Hz to 48000 Hz in 16-frame inputs: a note written between two
        // inputs comes out 45 frames later on average, 80 at most (the high-quality filter
        // above: 270, and up to 420); 60-110 frames at most at the other usual rates. With
        // the passband at 80% some rates (44100, 22050 Hz) get a filter twice as long.
        quality.precision = 16;
        quality.passband_end = 0.75;
        quality.phase_response = 0; // minimum phase
        // 256-point transforms: outputs of a few dozen frames at a time instead of about 800.
        runtime.log2_min_dft_size = 8;
        runtime.log2_large_dft_size = 8;
    }
    soxr_error_t error = nullptr;
    converter = soxr_create(inRate, outRate, kChannels, &error, &io, &quality, &runtime);
    if (!converter || error) {
        soxr_delete(converter);
        converter = nullptr;
        throw std::runtime_error("Resampler: cannot convert " + std::to_string(inRate) + " Hz to " +
                                 std::to_string(outRate) +
                                 " Hz: " + (error ? error : "out of memory"));
    }
}

Resampler::~Resampler() {
    soxr_delete(converter);
}

size_t Resampler::MaxOutputFrames(size_t inFrames) const {
    if (!converter) {
        return inFrames;
    }
    const double exact = static_cast<double>(inFrames) * outRate / inRate;
    return static_cast<size_t>(std::ceil(exact)) + kSlackFrames;
}

size_t Resampler::Process(const int16_t* in, size_t inFrames, int16_t* out,
                          size_t outCapacityFrames) {
    if (flushed) {
        throw std::logic_error("Resampler: Process after Flush");
    }
    if (outCapacityFrames < MaxOutputFrames(inFrames)) {
        throw std::invalid_argument("Resampler: output buffer of " +
                                    std::to_string(outCapacityFrames) + " frames is too small");
    }
    if (!converter) {
        std::copy(in, in + kChannels * inFrames, out);
        return inFrames;
    }
    size_t written = 0;
    for (size_t consumed = 0; consumed < inFrames;) {
        const size_t slice = std::min(kSliceFrames, inFrames - consumed);
        size_t produced = 0;
        // A null "input used" pointer makes the converter take the whole slice.
        ThrowOnError(soxr_process(converter, in + kChannels * consumed, slice, nullptr,
                                  out + kChannels * written, outCapacityFrames - written,
                                  &produced));
        consumed += slice;
        written += produced;
    }
    return written;
}

size_t Resampler::Flush(int16_t* out, size_t outCapacityFrames) {
    flushed = true;
    if (!converter) {
        return 0;
    }
    size_t written = 0;
    while (written < outCapacityFrames) {
        size_t produced = 0;
        ThrowOnError(soxr_process(converter, nullptr, 0, nullptr, out + kChannels * written,
                                  outCapacityFrames - written, &produced));
        if (produced == 0) {
            break;
        }
        written += produced;
    }
    return written;
}

} // namespace vorpline
