#include "modulation/LfoShape.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

namespace vorpline {

bool LfoFunctionUsesN(int function) {
    return function == kLfoCosLog || function == kLfoPower || function == kLfoSine ||
           function == kLfoSinc || function == kLfoTan;
}

bool LfoFunctionUsesDuty(int function) {
    return function == kLfoSquare || function == kLfoTriangle;
}

double LfoShape(int function, int t, int duration, int n, double amplitude, int duty) {
    if (duration <= 0) {
        return 0.0;
    }
    const double a = amplitude;
    const double d = duration;
    const double tt = t;
    n = n < 1 ? 1 : n;
    // Products before quotients: a ramp that should land on a whole number does, so the
    // truncation that follows never drops a step to rounding.
    const double x = tt * n * std::numbers::pi / d;
    // Square and triangle switch at P = D * duty / 100 ticks; t < P is compared in integers.
    const int64_t dutyTicks100 = static_cast<int64_t>(duration) * duty;
    const bool beforeP = static_cast<int64_t>(t) * 100 < dutyTicks100;
    const double p = static_cast<double>(dutyTicks100) / 100.0;
    double y = 0.0;
    switch (function) {
    case kLfoCosLog:
        y = t <= 1 ? a : a * std::cos(x) / std::log(tt);
        break;
    case kLfoLog:
        // t > 1 implies D >= 2, so ln(D) is not 0.
        y = t <= 1 ? -a : 2.0 * a * std::log(tt) / std::log(d) - a;
        break;
    case kLfoPower:
        // (t / D)^n rather than t^n / D^n: a large n overflows the latter.
        y = 2.0 * a * std::pow(tt / d, n) - a;
        break;
    case kLfoSaw:
        y = 2.0 * a * tt / d - a;
        break;
    case kLfoSine:
        y = a * std::sin(x);
        break;
    case kLfoSinc:
        // sin(x) / x tends to 1 at x = 0.
        y = t == 0 ? a : a * std::sin(x) / x;
        break;
    case kLfoSqrt:
        y = 2.0 * a * std::sqrt(tt / d) - a;
        break;
    case kLfoSquare:
        y = beforeP ? a : -a;
        break;
    case kLfoTan:
        y = a * std::tan(x);
        break;
    case kLfoTriangle:
        if (p <= 0.0 || p >= d) {
            // Duty outside 1..99 (never from the controls): a plain ramp rather than 0 / 0.
            y = 2.0 * a * tt / d - a;
        } else {
            y = beforeP ? 2.0 * a * tt / p - a : 2.0 * a * (d - tt) / (d - p) - a;
        }
        break;
    default:
        break;
    }
    // Tan's poles give huge values; a bound keeps them usable for a plot and for LfoValue.
    return std::isnan(y) ? 0.0 : std::clamp(y, -kLfoShapeBound, kLfoShapeBound);
}

int LfoValue(int offset, double y) {
    const double value = offset + y;
    if (!(value > 0.0)) {
        return 0;
    }
    if (value >= 127.0) {
        return 127;
    }
    return static_cast<int>(value);
}

} // namespace vorpline
