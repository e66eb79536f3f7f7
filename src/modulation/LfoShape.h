#pragma once
#include <array>

namespace vorpline {

// The LFO shapes, in the order of the function list (sorted by name). The marked "(n.PI)" ones
// cover n half-periods per cycle: x = t * n * pi / D.
enum LfoFunction : int {
    kLfoCosLog = 0,
    kLfoLog,
    kLfoPower,
    kLfoSaw,
    kLfoSine,
    kLfoSinc,
    kLfoSqrt,
    kLfoSquare,
    kLfoTan,
    kLfoTriangle,
};
inline constexpr int kLfoFunctionCount = kLfoTriangle + 1;

inline constexpr std::array<const char*, kLfoFunctionCount> kLfoFunctionNames = {
    "Cos(t).Log(t) (n.PI)", "Log(t)",  "Power(t,n)", "Saw",           "Sine(t) (n.PI)",
    "Sine(t)/t (n.PI)",     "Sqrt(t)", "Square",     "Tan(t) (n.PI)", "Triangle"};

inline constexpr double kLfoShapeBound = 1e9;

// Whether a shape reads n, and whether it reads the duty.
bool LfoFunctionUsesN(int function);
bool LfoFunctionUsesDuty(int function);

// The shape's deviation y at position t of a cycle of `duration` ticks (t = 0..duration; a
// mirrored cycle runs from duration down to 1), for amplitude `amplitude` (0..128, lower while
// the attack rises), n (values below 1 count as 1) and duty 1..99 percent. The LFO engine and
// the shape plot both use this, so the picture is what is heard.
//
// Most shapes stay within +/-amplitude; "Tan" and "Cos(t).Log(t)" leave it near their poles,
// which the limit of LfoValue takes care of; y is bounded by +/-kLfoShapeBound. An unknown
// function index gives 0; so does a duration of 0 or less. Never NaN.
double LfoShape(int function, int t, int duration, int n, double amplitude, int duty);

// The 7-bit value sent for a deviation y around `offset` (-64..192): offset + y truncated
// toward zero and limited to 0..127.
int LfoValue(int offset, double y);

} // namespace vorpline
