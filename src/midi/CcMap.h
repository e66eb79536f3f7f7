#pragma once
#include <array>
#include <cstdint>
#include <optional>

namespace vorpline {

// The 35 functions a MIDI controller can drive, in the order of the control-change map.
enum CcTargetIndex : uint8_t {
    kCcMasterVolume = 0,
    kCcMasterPan,
    kCcSwitch1,
    kCcSwitch2,
    kCcLfoModulation,
    kCcCircuitBend,
    kCcFeedback1,
    kCcTuning1234,
    kCcOutput1234,
    kCcAlgorithm,
    kCcTremolo,
    kCcVibrato,
    kCcFeedback5,
    kCcTuning56,
    kCcOutput56,
    kCcWaveformMod, // first of the operator functions
    kCcKeyScaling,
    kCcOperatorTuning,
    kCcAttack,
    kCcDecay,
    kCcSustainHold,
    kCcRelease,
    kCcOperatorVolume, // last of the operator functions
    kCcAuxiliary1,
    kCcAuxiliary8 = kCcAuxiliary1 + 7,
    kCcFrequency,
    kCcResonance,
    kCcInputGain,
    kCcOutputGain,
};
inline constexpr int kCcTargetCount = kCcOutputGain + 1;

// Controller number of each function. Entries 128..255 can never match an incoming
// controller, which is how the map switches a function off.
using CcNumberTable = std::array<uint8_t, kCcTargetCount>;

// The functions as the map lists them.
inline constexpr std::array<const char*, kCcTargetCount> kCcFunctionNames = {
    "Master Volume",
    "Master Pan",
    "Switch 1 (Damper)",
    "Switch 2",
    "LFO Modulation",
    "Circuit Bend",
    "Operator Feedback 1",
    "Operator Tuning 1-4",
    "Operator Output 1-4",
    "Operator Algorithm",
    "Operator Tremolo",
    "Operator Vibrato",
    "Operator Feedback 5",
    "Operator Tuning 5/6",
    "Operator Output 5/6",
    "Operator Waveform/Mod",
    "Operator Key Scaling",
    "Operator Tuning",
    "Operator Attack",
    "Operator Decay",
    "Operator Sustain/Hold",
    "Operator Release",
    "Operator Volume",
    "Auxiliary 1",
    "Auxiliary 2",
    "Auxiliary 3",
    "Auxiliary 4",
    "Auxiliary 5",
    "Auxiliary 6",
    "Auxiliary 7",
    "Auxiliary 8",
    "Frequency",
    "Resonance",
    "Input gain",
    "Output gain"};

// 71..78 serve both the operator functions and the auxiliaries; the earlier row wins, so out
// of the box those controllers edit operators.
inline constexpr CcNumberTable kDefaultCcNumbers = {7,  10, 64, 69, 1,  9,  93, 14, 16, 17, 18, 19,
                                                    91, 20, 21, 74, 71, 76, 73, 75, 78, 72, 77, 71,
                                                    72, 73, 74, 75, 76, 77, 78, 80, 81, 82, 83};

// The lowest function whose entry is `controller`. An auxiliary match still counts as the
// match, so it hides any later function on the same number.
inline std::optional<CcTargetIndex> FindCcFunction(const CcNumberTable& numbers,
                                                   uint8_t controller) {
    for (int i = 0; i < kCcTargetCount; ++i) {
        if (numbers[static_cast<std::size_t>(i)] == controller) {
            return static_cast<CcTargetIndex>(i);
        }
    }
    return std::nullopt;
}

// The control-change map as the message hub sees it: which controller drives which function,
// and a window that wants to hear of every controller played on the parts' channels (its log
// and MIDI learn). The map window implements it; tests and benchmarks use a fixed table.
// Main thread only.
class CcMap {
public:
    virtual ~CcMap() = default;
    virtual const CcNumberTable& Numbers() const = 0;
    // A control change from the MIDI input on a part's channel, after it took effect.
    virtual void ControllerObserved(uint8_t controller, uint8_t value) = 0;
};

} // namespace vorpline
