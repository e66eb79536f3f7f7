#pragma once
#include <cstdint>

#include "midi/CcMap.h"
#include "midi/ControllerState.h"
#include "midi/HubPeers.h"

namespace vorpline {

class OPL3;
class PitchControl;
class TFormMain;
class TFrameOp;

// Who sent a controller value and where it may act.
struct CcSource {
    static constexpr uint8_t kNone = 0xFF;

    bool part1234 = false; // the event's channel is part 1-4's (always true for internal events)
    bool part56 = false;
    uint8_t slot = kNone; // the LFO that sent it; kNone = the MIDI input
    uint8_t op = kNone;   // the operator it is meant for; kNone = every operator ticked "CC"
};

// The 35 functions a controller can drive. Most act the way the user would: they set a control
// of the synth panel and let the control's own handler tell the engine, so the panel always
// shows what is playing. The rest reach the pitch, the engine's damper or a tool window through
// the hub's peers (a window that does not exist ignores them).
// Main thread only.
class CcFunctions {
public:
    // An external "Operator Tuning" controller has no LFO slot of its own. It uses the last of
    // the eight contributions (LFO 8's): a knob and LFO 8 aimed at the same part's pitch then
    // take turns, as any two sources of one setting do, and nothing is ever written beyond the
    // table.
    static constexpr int kExternalLfoSlot = 7;

    CcFunctions(TFormMain& form, OPL3& chip, PitchControl& pitch, const ControllerState& state,
                const HubPeers& peers);

    // value is 0..127 from MIDI; internal producers may send up to 255, which every function
    // folds into its control's range.
    void Apply(CcTargetIndex function, uint8_t value, const CcSource& source);

private:
    using OperatorAction = void (*)(TFrameOp& frame, uint8_t value);

    void Damper(uint8_t value, const CcSource& source);
    void DspFunction(CcTargetIndex function, uint8_t value);
    void LfoPitch(int part, uint8_t value, uint8_t slot);
    void ForOperators(OperatorAction action, uint8_t value, uint8_t op);

    TFormMain& form;
    OPL3& chip;
    PitchControl& pitch;
    const ControllerState& state;
    const HubPeers& peers;
};

} // namespace vorpline
