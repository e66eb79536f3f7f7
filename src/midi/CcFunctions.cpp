#include "midi/CcFunctions.h"

#include <algorithm>
#include <array>

#include "engine/OPL3.h"
#include "engine/PitchControl.h"
#include "ui/TFormMain.h"

namespace vorpline {

namespace {

constexpr int kMaxRate = 15;

bool Bit(uint8_t value, int bit) {
    return (value >> bit) & 1;
}

// A combo box set by a controller runs its handler like a track bar or a check box does: only
// when the choice really changes, so a stream of equal values does not rewrite the chip.
void Select(ComboBox& box, int index) {
    if (box.ItemIndex() != index) {
        box.SetItemIndex(index);
        box.Change();
    }
}

// The envelope rates run the other way round on the panel: a high value is a slow rate.
int Rate(uint8_t value, int shift) {
    return kMaxRate - ((value >> shift) & 15);
}

void WaveformMod(TFrameOp& f, uint8_t v) {
    f.CheckBoxVibrato.SetChecked(Bit(v, 6));
    f.CheckBoxTremolo.SetChecked(Bit(v, 5));
    Select(f.ComboBoxWS, (v >> 2) & 7);
}

void KeyScaling(TFrameOp& f, uint8_t v) {
    f.CheckBoxRateScaling.SetChecked(Bit(v, 6));
    Select(f.ComboBoxLevelScaling, (v >> 4) & 3);
}

// Spreads 0..127 over the operator's tuning entries; the last item, "Edit list", is a command
// and stays out of reach (also for an out-of-range value from an internal producer).
void OperatorTuning(TFrameOp& f, uint8_t v) {
    int entries = f.ComboBoxFreqMultiplier.Count() - 1;
    if (entries > 0) {
        int index = static_cast<int>(v / (128.0 / entries));
        Select(f.ComboBoxFreqMultiplier, std::min(index, entries - 1));
    }
}

void Attack(TFrameOp& f, uint8_t v) {
    f.TrackBarAttack.SetPosition(Rate(v, 3));
}

void Decay(TFrameOp& f, uint8_t v) {
    f.TrackBarDecay.SetPosition(Rate(v, 3));
}

void SustainHold(TFrameOp& f, uint8_t v) {
    f.TrackBarSustain.SetPosition(Rate(v, 2));
    f.CheckBoxHold.SetChecked(Bit(v, 6));
}

void Release(TFrameOp& f, uint8_t v) {
    f.TrackBarRelease.SetPosition(Rate(v, 3));
}

void Volume(TFrameOp& f, uint8_t v) {
    f.TrackBarVolume.SetPosition((v >> 1) & 63);
}

// By function index from kCcWaveformMod on.
constexpr std::array<void (*)(TFrameOp&, uint8_t), kCcOperatorVolume - kCcWaveformMod + 1>
    kOperatorActions = {WaveformMod, KeyScaling,  OperatorTuning, Attack,
                        Decay,       SustainHold, Release,        Volume};

// The part a part-panel function belongs to: the 5/6 functions come after the 1-4 ones.
int PartOf(CcTargetIndex function) {
    return function >= kCcFeedback5 ? OPL3::kPart56 : OPL3::kPart1234;
}

} // namespace

CcFunctions::CcFunctions(TFormMain& form, OPL3& chip, PitchControl& pitch,
                         const ControllerState& state, const HubPeers& peers)
    : form(form), chip(chip), pitch(pitch), state(state), peers(peers) {}

void CcFunctions::Apply(CcTargetIndex function, uint8_t v, const CcSource& source) {
    if (function >= kCcWaveformMod && function <= kCcOperatorVolume) {
        ForOperators(kOperatorActions[function - kCcWaveformMod], v, source.op);
        return;
    }
    switch (function) {
    case kCcMasterVolume:
        form.TrackBarVolume.SetPosition((v >> 2) & 31);
        break;
    case kCcMasterPan:
        form.TrackBarPan.SetPosition(v - 64);
        break;
    case kCcSwitch1:
        Damper(v, source);
        break;
    case kCcSwitch2:
        peers.Clock().Switch2(v, source.slot, source.op);
        break;
    case kCcLfoModulation:
        peers.Clock().LfoModulation(v, source.slot, source.op);
        break;
    case kCcCircuitBend:
        peers.Bend().CcEvent(v);
        break;
    case kCcFeedback1:
    case kCcFeedback5:
        Select(form.Panel(PartOf(function)).feedback, (v >> 4) & 7);
        break;
    case kCcTuning1234:
    case kCcTuning56:
        LfoPitch(PartOf(function), v, source.slot);
        break;
    case kCcOutput1234:
    case kCcOutput56: {
        PartPanel panel = form.Panel(PartOf(function));
        panel.left.SetChecked(Bit(v, 6));
        panel.right.SetChecked(Bit(v, 5));
        break;
    }
    case kCcAlgorithm:
        Select(form.ComboBoxCNT, (v >> 4) & 7);
        break;
    case kCcTremolo:
        Select(form.ComboBoxTD, (v >> 6) & 1);
        break;
    case kCcVibrato:
        Select(form.ComboBoxVD, (v >> 6) & 1);
        break;
    case kCcFrequency:
    case kCcResonance:
    case kCcInputGain:
    case kCcOutputGain:
        DspFunction(function, v);
        break;
    default: // the auxiliaries belong to the LFOs' own routing, not to the panel
        break;
    }
}

void CcFunctions::Damper(uint8_t v, const CcSource& source) {
    if (source.part1234) {
        chip.DamperUpdate(OPL3::kPart1234, v);
    }
    if (source.part56) {
        chip.DamperUpdate(OPL3::kPart56, v);
    }
    peers.Clock().Switch1(v, source.slot, source.op);
}

void CcFunctions::DspFunction(CcTargetIndex function, uint8_t v) {
    DspReceiver& dsp = peers.Dsp();
    switch (function) {
    case kCcFrequency:
        dsp.SetFrequency(v);
        break;
    case kCcResonance:
        dsp.SetResonance(v);
        break;
    case kCcInputGain:
        dsp.SetInputGain(v);
        break;
    default:
        dsp.SetOutputGain(v);
        break;
    }
}

void CcFunctions::LfoPitch(int part, uint8_t v, uint8_t slot) {
    int entry = slot == CcSource::kNone ? kExternalLfoSlot : slot;
    if (entry >= PitchControl::kLfoCount) {
        return; // no such LFO
    }
    // Whole cents per step first, as the range is spread over 127 steps around the centre 64.
    int cents = state.ModulationRange(part) / 127 * (v - 64);
    pitch.SetLfoPitch(part, entry, cents);
}

void CcFunctions::ForOperators(OperatorAction action, uint8_t v, uint8_t op) {
    if (op == CcSource::kNone) {
        for (TFrameOp* frame : form.FrameOps) {
            if (frame->CheckBoxCC.Checked()) {
                action(*frame, v);
            }
        }
    } else if (op < form.FrameOps.size()) {
        action(*form.FrameOps[op], v);
    }
}

} // namespace vorpline
