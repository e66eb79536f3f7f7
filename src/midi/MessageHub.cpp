#include "midi/MessageHub.h"

#include "engine/OPL3.h"
#include "engine/PitchControl.h"
#include "ui/TFormMain.h"

namespace vorpline {

namespace {

enum EventType : int {
    kNoteOff = 0x8,
    kNoteOn = 0x9,
    kControlChange = 0xB,
    kProgramChange = 0xC,
    kChannelPressure = 0xD,
    kPitchBend = 0xE,
    kSystem = 0xF,
};

enum Rpn : uint16_t {
    kRpnBendRange = 0,
    kRpnFineTuning = 1,
    kRpnCoarseTuning = 2,
    kRpnModRange = 5
};

constexpr int kNotesPerItem = 12; // one key-range item per octave

// Cents of a data entry: 64 is the centre, one step is a semitone (MSB) or a cent (LSB).
int CoarseCents(uint8_t value) {
    return value * 100 - 6400;
}
int FineCents(uint8_t value) {
    return value - 64;
}

} // namespace

MessageHub::MessageHub(TFormMain& form, OPL3& chip, PitchControl& pitch)
    : form(form), chip(chip), pitch(pitch), functions(form, chip, pitch, state, peers) {
    chip.SetGlideTickHandler([this](int part, int remaining) {
        uint8_t marker = part == OPL3::kPart1234 ? kFromProgram : kGlide56;
        ShortEvent(PackEvent(0xE0, 0, 0, marker), static_cast<uint32_t>(remaining));
    });
    // Typing a transposition replaces the RPN tuning: coarse becomes the typed value.
    form.onTransposeTyped = [this](int cents) {
        state.coarseTuning = cents;
        state.fineTuning = 0;
    };
}

MessageHub::~MessageHub() {
    chip.SetGlideTickHandler({});
    form.onTransposeTyped = {};
}

bool MessageHub::Dispatch(uint32_t message, uintptr_t wParam, uintptr_t lParam) {
    switch (message) {
    case kWomDone:
        if (!form.Closing() && onWaveDone) {
            onWaveDone(lParam);
        }
        return true;
    case kMimData:
        ShortEvent(static_cast<uint32_t>(lParam), static_cast<uint32_t>(wParam));
        return true;
    case kWomOpen:
    case kWomClose:
    case kMimOpen:
    case kMimClose:
    case kMimLongData:
    case kMimError:
    case kMimLongError:
    case kMimMoreData:
        return true; // long messages, errors and overflow notices are dropped
    default:
        return false;
    }
}

void MessageHub::ShortEvent(uint32_t packed, uint32_t param) {
    if (form.Closing()) {
        return;
    }
    if (PartMarker(packed) != kFromMidi) {
        InternalEvent(packed, param);
        return;
    }
    if (!inputOpen || !inputOpen()) {
        return;
    }
    // A device never sends a data byte with the top bit set; a damaged one cannot make a note
    // or a controller out of range.
    MidiEvent(static_cast<uint8_t>(packed), (packed >> 8) & 0x7F, (packed >> 16) & 0x7F);
}

void MessageHub::MidiEvent(uint8_t status, uint8_t data1, uint8_t data2) {
    int type = status >> 4;
    int channel = status & 15;
    if (type == kSystem) {
        SystemEvent(channel);
        return;
    }
    bool m1 = form.ComboBoxMidiChannel1234.ItemIndex() == channel;
    bool m2 = form.ComboBoxMidiChannel56.ItemIndex() == channel;
    if (m1 || m2) {
        ChannelEvent(type, data1, data2, m1, m2);
    }
    if (type == kNoteOn && data2 != 0 && peers.DrumKit().ListensTo(channel)) {
        peers.DrumKit().PlayByNote(data1, data2);
    }
}

void MessageHub::SystemEvent(int kind) {
    if (kind == 0xF) { // system reset
        AllNotesOff();
        return;
    }
    ClockReceiver& clock = peers.Clock();
    switch (kind) {
    case 0x8:
        clock.Tick(ClockReceiver::kTimingClock);
        break;
    case 0xA:
        clock.Start();
        break;
    case 0xB:
        clock.Continue();
        break;
    case 0xC:
        clock.Stop();
        break;
    default: // time code, song position, active sensing...: each one a tick of its own source
        clock.Tick(ClockReceiver::kOtherSystem);
        break;
    }
}

void MessageHub::ChannelEvent(int type, uint8_t data1, uint8_t data2, bool m1, bool m2) {
    bool matches[2] = {m1, m2};
    switch (type) {
    case kNoteOn:
        if (data2 != 0) {
            for (int part : {OPL3::kPart1234, OPL3::kPart56}) {
                if (matches[part] && InKeyRange(part, data1)) {
                    NoteOn(part, data1, data2);
                }
            }
            break;
        }
        [[fallthrough]]; // velocity 0 releases
    case kNoteOff:
        for (int part : {OPL3::kPart1234, OPL3::kPart56}) {
            if (matches[part] && InKeyRange(part, data1)) {
                NoteOff(part, data1);
            }
        }
        break;
    case kControlChange:
        Controller(data1, data2, {m1, m2, CcSource::kNone, CcSource::kNone});
        peers.Map().ControllerObserved(data1, data2);
        break;
    case kChannelPressure:
        // Pressure deepens the chip's global vibrato early and its tremolo late.
        form.ComboBoxVD.SetItemIndex(data1 >= 32 ? 1 : 0);
        form.ComboBoxTD.SetItemIndex(data1 >= 96 ? 1 : 0);
        form.ComboBoxVD.Change();
        form.ComboBoxTD.Change();
        break;
    case kPitchBend:
        for (int part : {OPL3::kPart1234, OPL3::kPart56}) {
            if (matches[part]) {
                pitch.PitchBend(part, data2 * 128 + data1);
            }
        }
        break;
    default: // polyphonic pressure, program change
        break;
    }
}

void MessageHub::InternalEvent(uint32_t packed, uint32_t param) {
    auto data1 = static_cast<uint8_t>(packed >> 8);
    auto data2 = static_cast<uint8_t>(packed >> 16);
    switch ((packed >> 4) & 0xF) {
    case kNoteOff:
        NoteOff(OPL3::kPart1234, data1);
        NoteOff(OPL3::kPart56, data1);
        break;
    case kNoteOn: // the producers send their own note-offs: velocity 0 is just quiet
        NoteOn(OPL3::kPart1234, data1, data2);
        NoteOn(OPL3::kPart56, data1, data2);
        break;
    case kControlChange:
        Controller(data1, data2,
                   {true, true, static_cast<uint8_t>(param >> 8), static_cast<uint8_t>(param)});
        break;
    case kProgramChange:
        StepPreset(static_cast<int8_t>(data2));
        break;
    case kPitchBend:
        if (PartMarker(packed) == kFromProgram) {
            pitch.GlideTick(OPL3::kPart1234, static_cast<int>(param));
        } else if (PartMarker(packed) == kGlide56) {
            pitch.GlideTick(OPL3::kPart56, static_cast<int>(param));
        }
        break;
    default:
        break;
    }
}

void MessageHub::Controller(uint8_t controller, uint8_t value, const CcSource& source) {
    bool matches[2] = {source.part1234, source.part56};
    switch (controller) {
    case 5: // portamento time MSB: the time is a 7-bit value, the LSB (37) carries it
        return;
    case 37:
        for (int part : {OPL3::kPart1234, OPL3::kPart56}) {
            if (matches[part]) {
                state.portamentoTime[static_cast<size_t>(part)] = value;
                chip.SetPortamentoTime(part, value);
            }
        }
        return;
    case 96:
        StepPreset(1);
        return;
    case 97:
        StepPreset(-1);
        return;
    case 100:
        state.rpn = value;
        return;
    case 101:
        state.rpn = static_cast<uint16_t>(state.rpn | value << 8);
        return;
    case 6:
    case 38:
        DataEntry(controller, value, source);
        return;
    default:
        break;
    }
    if (std::optional<CcTargetIndex> function = FindCcFunction(peers.Map().Numbers(), controller)) {
        functions.Apply(*function, value, source);
    }
}

void MessageHub::DataEntry(uint8_t controller, uint8_t value, const CcSource& source) {
    bool coarse = controller == 6;
    bool matches[2] = {source.part1234, source.part56};
    switch (state.rpn) {
    case kRpnBendRange:
    case kRpnModRange:
        for (int part : {OPL3::kPart1234, OPL3::kPart56}) {
            if (!matches[part]) {
                continue;
            }
            if (state.rpn == kRpnBendRange) {
                int range = coarse ? CoarseCents(value) : pitch.BendRange(part) + FineCents(value);
                pitch.SetBendRange(part, range);
            } else {
                int& range = state.modulationRange[static_cast<size_t>(part)];
                range = coarse ? CoarseCents(value) : range + FineCents(value);
            }
        }
        break;
    case kRpnFineTuning:
        if (!coarse) {
            state.fineTuning = FineCents(value);
            form.SetMasterTuning(state.coarseTuning + state.fineTuning);
        }
        break;
    case kRpnCoarseTuning:
        if (coarse) {
            state.coarseTuning = CoarseCents(value);
            form.SetMasterTuning(state.coarseTuning + state.fineTuning);
        }
        break;
    default: // no RPN addressed, or one this synthesizer does not have
        break;
    }
}

void MessageHub::StepPreset(int delta) {
    if (onStepPreset) {
        onStepPreset(delta);
    }
}

void MessageHub::AllNotesOff() {
    chip.ResetChip(false);
    form.ShowNotes(OPL3::kPart1234, 0);
    form.ShowNotes(OPL3::kPart56, 0);
}

bool MessageHub::InKeyRange(int part, uint8_t note) {
    PartPanel panel = form.Panel(part);
    int octave = note / kNotesPerItem;
    return panel.low.ItemIndex() <= octave && octave <= panel.high.ItemIndex();
}

void MessageHub::NoteOn(int part, uint8_t note, uint8_t velocity) {
    form.ShowNotes(part, pitch.NoteOn(part, note, velocity));
}

void MessageHub::NoteOff(int part, uint8_t note) {
    form.ShowNotes(part, pitch.NoteOff(part, note));
}

} // namespace vorpline
