#include "ui/EnvelopeCurve.h"

#include <algorithm>
#include <cmath>

#include "engine/EnvelopeRates.h"
#include "ui/TFrameOp.h"

namespace vorpline {

namespace {

constexpr double kSilentDb = -96;
// Points along the attack's curve, at halving times back from its end: as dense at the start
// as at the end on a logarithmic time axis.
constexpr int kAttackHalvings = 16;

double SustainDb(int sustain) {
    // The nibble's 4 bits go to the attenuation's top bits, except that 15 stands for 31.
    return sustain >= 15 ? -93.0 : -3.0 * std::clamp(sustain, 0, 15);
}

// The chip's attack lowers the attenuation by a fixed fraction of itself at every step, so
// in dB it falls exponentially with time; its speed follows from the 10%-90% amplitude rise
// (-20 dB to -0.92 dB).
void AddAttack(std::vector<EnvelopePoint>& points, const EnvelopeTimes& times) {
    const double perMs = std::log(20.0 / 0.9151) / std::max(times.attackRiseMs, 1e-9);
    points.push_back({0, kSilentDb});
    for (int i = kAttackHalvings; i > 0; --i) {
        const double t = std::ldexp(times.attackMs, -i);
        points.push_back({t, kSilentDb * std::exp(-perMs * t)});
    }
    points.push_back({times.attackMs, 0});
}

} // namespace

EnvelopeSettings SettingsOf(const TFrameOp& frame, int note) {
    return {frame.TrackBarAttack.Position(),
            frame.TrackBarDecay.Position(),
            frame.TrackBarSustain.Position(),
            frame.TrackBarRelease.Position(),
            frame.CheckBoxRateScaling.Checked(),
            frame.CheckBoxHold.Checked(),
            note};
}

EnvelopeCurve MakeEnvelopeCurve(const EnvelopeSettings& settings) {
    static const FNumberTable kFNumbers;
    const int offset = KeyScaleOffset(kFNumbers.Compute(std::clamp(settings.note, 0, 127), 0),
                                      settings.rateScaling);
    const EnvelopeTimes& attack = EnvelopeTimesAt(EffectiveRate(settings.attack, offset));
    const EnvelopeTimes& decay = EnvelopeTimesAt(EffectiveRate(settings.decay, offset));
    const EnvelopeTimes& release = EnvelopeTimesAt(EffectiveRate(settings.release, offset));

    EnvelopeCurve curve;
    curve.attackMs = attack.attackMs;
    curve.sustainMs = curve.releaseMs = curve.silentMs = kNever;
    if (attack.attackMs == kNever) {
        curve.points = {{0, kSilentDb}};
        curve.endless = true;
        return curve;
    }
    AddAttack(curve.points, attack);

    double level = SustainDb(settings.sustain);
    double now = attack.attackMs;
    if (decay.decayMs == kNever && level < 0) {
        // The decay never moves: the top is held until the key-off.
        level = 0;
    } else {
        // A sustain level of 0 dB is there at once, at any decay rate.
        now += level < 0 ? decay.decayMs * level / kSilentDb : 0;
        curve.sustainMs = now;
        curve.points.push_back({now, level});
    }
    if (settings.hold || curve.sustainMs == kNever) {
        now += std::clamp(now, EnvelopeCurve::kMinHoldMs, EnvelopeCurve::kMaxHoldMs);
        curve.points.push_back({now, level});
    }
    curve.releaseMs = now;
    if (release.decayMs == kNever) {
        curve.endless = true;
        return curve;
    }
    now += release.decayMs * (kSilentDb - level) / kSilentDb;
    curve.silentMs = now;
    curve.points.push_back({now, kSilentDb});
    return curve;
}

} // namespace vorpline
