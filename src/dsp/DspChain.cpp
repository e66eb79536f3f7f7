#include "dsp/DspChain.h"

#include <algorithm>

namespace vorpline {

namespace {

// A reader that finds a publication in progress tries again a few times, then keeps the block
// it had: the publisher writes nine numbers, so a clash is rare and one buffer late is harmless.
constexpr int kReadAttempts = 4;

// Working values between the stages are not clipped (only the result is), but no stage may
// leave the 64-bit range. Far beyond anything the stages produce from sane settings.
constexpr double kWorkLimit = 1099511627776.0; // 2^40

// Floating-point results are truncated toward zero; out-of-range values are pinned first so the
// conversion is always defined, whatever was published.
int64_t Truncate(double value) {
    if (value >= kWorkLimit) {
        return static_cast<int64_t>(kWorkLimit);
    }
    if (value <= -kWorkLimit) {
        return -static_cast<int64_t>(kWorkLimit);
    }
    if (value != value) {
        return 0;
    }
    return static_cast<int64_t>(value);
}

// The filter state is kept in floating point: an integer state truncated at every step stalls
// a few steps from zero when the step gets small (a slow filter after a note), and that
// remainder is a DC offset out of silence. Clamped against blowing up, and flushed to zero
// once far below one step, so a decay never ends in denormals on the audio thread.
double Settle(double value) {
    constexpr double kLimit = DspChain::kStateLimit;
    constexpr double kNegligible = 1e-9;
    if (!(value > -kLimit)) { // also NaN
        return value != value ? 0.0 : -kLimit;
    }
    if (value > kLimit) {
        return kLimit;
    }
    return value > -kNegligible && value < kNegligible ? 0.0 : value;
}

int16_t Clip(int64_t value) {
    return static_cast<int16_t>(std::clamp<int64_t>(value, INT16_MIN, INT16_MAX));
}

} // namespace

void DspChain::Publish(const DspParameters& p) {
    const uint32_t start = sequence.load(std::memory_order_relaxed);
    // Odd while writing. Every field is a release store, so a reader that sees any new field
    // also sees the odd count and drops the read; no standalone fences (the thread sanitizer
    // does not model them).
    sequence.store(start + 1, std::memory_order_relaxed);
    enabled.store(p.enabled, std::memory_order_release);
    patch.store(p.patch, std::memory_order_release);
    filterMode.store(p.filterMode, std::memory_order_release);
    noiseMode.store(p.noiseMode, std::memory_order_release);
    crushBits.store(p.crushBits, std::memory_order_release);
    preGain.store(p.preGain, std::memory_order_release);
    outGain.store(p.outGain, std::memory_order_release);
    a.store(p.a, std::memory_order_release);
    b.store(p.b, std::memory_order_release);
    sequence.store(start + 2, std::memory_order_release);
}

bool DspChain::TryRead(DspParameters& out) const {
    const uint32_t before = sequence.load(std::memory_order_acquire);
    if ((before & 1u) != 0) {
        return false;
    }
    DspParameters read;
    read.enabled = enabled.load(std::memory_order_acquire);
    read.patch = patch.load(std::memory_order_acquire);
    read.filterMode = filterMode.load(std::memory_order_acquire);
    read.noiseMode = noiseMode.load(std::memory_order_acquire);
    read.crushBits = crushBits.load(std::memory_order_acquire);
    read.preGain = preGain.load(std::memory_order_acquire);
    read.outGain = outGain.load(std::memory_order_acquire);
    read.a = a.load(std::memory_order_acquire);
    read.b = b.load(std::memory_order_acquire);
    // The acquiring field loads keep this load after them.
    if (sequence.load(std::memory_order_relaxed) != before) {
        return false;
    }
    out = read;
    return true;
}

uint32_t DspChain::Random() {
    // xorshift32: a few instructions, no shared state; the top 15 bits are the best mixed.
    randomState ^= randomState << 13;
    randomState ^= randomState >> 17;
    randomState ^= randomState << 5;
    return randomState >> 17;
}

void DspChain::Crush(Stereo& x) {
    const int bits = current.crushBits;
    if (bits <= 0 || bits >= 32) {
        return;
    }
    // The magnitude loses its low bits and the sign is put back: rounding toward zero, the
    // same on both sides, so silence and the ±1 a rate converter leaves around it stay silent
    // and a symmetric wave keeps its zero mean. (Clearing the low bits of a two's-complement
    // sample rounds down instead: -1 became -2^bits, a square wave out of silence and a DC
    // offset on everything.)
    const int64_t low = (int64_t{1} << bits) - 1;
    // The noise fills the cleared bits of the magnitude: rand mod 2^bits, and with more than 15
    // bits cleared only the low 15, the generator giving 15 bits. A sample crushed to zero has
    // no sign of its own; the noise then takes a random one, so it too averages zero.
    const auto crush = [low](int64_t value, int64_t noise, bool negativeIfZero) {
        const bool negative = value < 0 || (value == 0 && negativeIfZero);
        const int64_t magnitude = ((value < 0 ? -value : value) & ~low) | noise;
        return negative ? -magnitude : magnitude;
    };
    if (current.noiseMode == 1) {
        const int64_t n = Random() & low;
        const bool sign = (Random() & 1u) != 0;
        x.l = crush(x.l, n, sign);
        x.r = crush(x.r, n, sign);
    } else if (current.noiseMode == 2) {
        const int64_t nl = Random() & low;
        const int64_t nr = Random() & low;
        const uint32_t signs = Random();
        x.l = crush(x.l, nl, (signs & 1u) != 0);
        x.r = crush(x.r, nr, (signs & 2u) != 0);
    } else {
        x.l = crush(x.l, 0, false);
        x.r = crush(x.r, 0, false);
    }
}

int64_t DspChain::Filter(int64_t x, FilterState& state) const {
    const double coefA = current.a;
    const double coefB = current.b;
    const auto input = static_cast<double>(x);
    switch (current.filterMode) {
    case 1:
    case 2: {
        // s0 = (1 - k) x + k s0: one pole, k near 1 for low frequencies.
        state.s0 = Settle(input * coefA - state.s0 * coefB);
        return Truncate(current.filterMode == 1 ? state.s0 : input - state.s0);
    }
    case 3:
    case 4:
    case 5: {
        // State-variable filter: s0 the first integrator, s1 the second; b feeds the band pass
        // back as resonance.
        const double hp = input - state.s0;
        const double bp = state.s0 - state.s1;
        state.s0 = Settle(state.s0 + coefA * (hp + coefB * bp));
        state.s1 = Settle(state.s1 + coefA * (state.s0 - state.s1));
        if (current.filterMode == 3) {
            return Truncate(state.s1);
        }
        return Truncate(current.filterMode == 4 ? bp : hp);
    }
    default:
        return x;
    }
}

void DspChain::Process(int16_t* frames, size_t count) {
    for (int attempt = 0; attempt < kReadAttempts && !TryRead(current); ++attempt) {
    }
    if (!current.enabled) {
        return;
    }
    const auto gain = [](Stereo& x, double factor) {
        x.l = Truncate(static_cast<double>(x.l) * factor);
        x.r = Truncate(static_cast<double>(x.r) * factor);
    };
    const auto filter = [this](Stereo& x) {
        x.l = Filter(x.l, left);
        x.r = Filter(x.r, right);
    };
    for (size_t i = 0; i < count; ++i) {
        int16_t* frame = frames + 2 * i;
        Stereo x{frame[0], frame[1]};
        if (current.patch == 0) {
            gain(x, current.preGain);
            Crush(x);
            filter(x);
            gain(x, current.outGain);
        } else if (current.patch == 1) {
            gain(x, current.preGain);
            filter(x);
            Crush(x);
            gain(x, current.outGain);
        }
        frame[0] = Clip(x.l);
        frame[1] = Clip(x.r);
    }
}

} // namespace vorpline
