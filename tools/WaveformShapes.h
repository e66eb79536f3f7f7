#pragma once
// The eight OPL3 waveforms (register 0xE0 bits 0-2) as the chip plays them, for the pictures of
// the waveform menu. Level in [-1, 1] at a phase in [0, 1) of the operator's period.
//
// The chip builds every waveform from one quarter of a log-sine table and an exponential table:
// it picks a quarter (or a doubled-speed reading) and a sign from the top phase bits, or mutes
// the output, which gives the sine variants 0-5 and the square 6 exactly. Waveform 7 ("Pulse")
// reads no sine at all: its attenuation is the phase itself, 1/32 octave per step of the 512
// steps of a half period, so the level falls by 16 octaves (2^-16, silence) across the first
// half; the second half is the same run backwards and negated. One period is a narrow positive
// spike at its start and a narrow negative one at its end: a pulse at each period boundary, not
// a ramp.

#include <cmath>
#include <numbers>

namespace vorpline::pictures {

inline constexpr int kWaveformCount = 8;
inline constexpr int kPulse = 7;
// Octaves of attenuation across half a period of the pulse.
inline constexpr double kPulseOctavesPerHalf = 16.0;

inline double WaveformLevel(int wave, double phase) {
    constexpr double twoPi = 2.0 * std::numbers::pi;
    phase -= std::floor(phase);
    const double s = std::sin(twoPi * phase);
    const bool firstHalf = phase < 0.5;
    switch (wave) {
    case 0: // "Sine"
        return s;
    case 1: // "Sine (half)"
        return firstHalf ? s : 0.0;
    case 2: // "Sine (absolute)"
        return std::abs(s);
    case 3: // "Sine (quarter pulse)": the rising quarter of each half, then silence
        return std::fmod(phase, 0.5) < 0.25 ? std::abs(s) : 0.0;
    case 4: // "Sine (fast)": a whole sine at twice the speed, then silence
        return firstHalf ? std::sin(2.0 * twoPi * phase) : 0.0;
    case 5: // "Sine (fast absolute)"
        return firstHalf ? std::abs(std::sin(2.0 * twoPi * phase)) : 0.0;
    case 6: // "Square"
        return firstHalf ? 1.0 : -1.0;
    default: { // "Pulse"
        const double t = firstHalf ? phase * 2.0 : (1.0 - phase) * 2.0;
        const double level = std::exp2(-kPulseOctavesPerHalf * t);
        return firstHalf ? level : -level;
    }
    }
}

// Where a picture's one period starts. The pulse's period is drawn from its middle, so its one
// event (the negative spike running into the positive one) stands in the centre of the picture
// instead of being split over both edges, where it reads as nothing at menu size.
inline double PictureStartPhase(int wave) {
    return wave == kPulse ? 0.5 : 0.0;
}

} // namespace vorpline::pictures
