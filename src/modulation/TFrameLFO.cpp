#include "modulation/TFrameLFO.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>

#include "midi/MessageHub.h"
#include "midi/MidiOut.h"
#include "modulation/LfoShape.h"
#include "platform/IniFile.h"

namespace vorpline {

namespace {

using Setting = TFrameLFO::TickSetting;

constexpr uint8_t kControlChange = 0xB0;
constexpr int kAllDestinations = 0xFF;
// The switches' hysteresis: down at 72 and above, up below 56.
constexpr int kSwitchDown = 72;
constexpr int kSwitchUp = 56;

// Record layout: offsets of the fields of the 52-byte record (little-endian integers).
enum RecordOffset : std::size_t {
    kRecEnable = 0,
    kRecSend = 2,
    kRecDest = 3,
    kRecRecv = 4,
    kRecTarget = 5,
    kRecTrigger = 6,
    kRecFunction = 7,
    kRecDuty = 8,
    kRecFlags = 9,
    kRecNote = 10,
    kRecOctave = 11,
    kRecMultipliers = 12, // duration, first delay, repeat delay, attack
    kRecN = 16,
    kRecCycles = 20,
    kRecOffset = 24,
    kRecAmplitude = 28,
    kRecPhase = 32,
    kRecTicks = 36, // duration, first delay, repeat delay, attack: 4 bytes each
};
// Flags byte.
constexpr uint8_t kFlagFlip = 0x01;
constexpr uint8_t kFlagMirror = 0x02;
constexpr uint8_t kFlagAutoFlip = 0x04;
constexpr uint8_t kFlagAutoMirror = 0x08;
constexpr uint8_t kFlagFlipInit = 0x10;
constexpr uint8_t kFlagMirrorInit = 0x20;
// The tick settings in the record's order.
constexpr std::array<Setting, 4> kRecordTickOrder = {Setting::Duration, Setting::Delay,
                                                     Setting::Delay2, Setting::Attack};

std::vector<std::string> Numbered(const std::string& prefix, int count) {
    std::vector<std::string> items;
    for (int i = 1; i <= count; ++i) {
        items.push_back(prefix + std::to_string(i));
    }
    return items;
}

std::vector<std::string> With(std::string first, std::vector<std::string> rest) {
    rest.insert(rest.begin(), std::move(first));
    return rest;
}

// A text box read as an integer ("text as an integer" of the controls): nothing when it is
// not a decimal integer in the 32-bit range.
std::optional<int> TextAsInt(const std::string& text) {
    std::optional<int64_t> value = IniFile::ParseInteger(text);
    if (!value || *value < INT32_MIN || *value > INT32_MAX) {
        return std::nullopt;
    }
    return static_cast<int>(*value);
}

void Put32(std::span<uint8_t, TFrameLFO::kRecordSize> record, std::size_t offset, int32_t value) {
    auto bits = static_cast<uint32_t>(value);
    for (std::size_t i = 0; i < 4; ++i) {
        record[offset + i] = static_cast<uint8_t>(bits >> (8 * i));
    }
}

int32_t Get32(std::span<const uint8_t, TFrameLFO::kRecordSize> record, std::size_t offset) {
    uint32_t bits = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        bits |= static_cast<uint32_t>(record[offset + i]) << (8 * i);
    }
    return static_cast<int32_t>(bits);
}

// A list index as a record byte: "nothing selected" is 0xFF.
uint8_t IndexByte(const ComboBox& box) {
    return static_cast<uint8_t>(box.ItemIndex());
}

bool ValidMultiplier(int m) {
    return m == 1 || m == 2 || m == 4 || m == 8;
}

std::size_t Slot(Setting setting) {
    return static_cast<std::size_t>(setting);
}

} // namespace

TFrameLFO::TFrameLFO()
    : PanelOsc("PanelOsc", "1"), CheckBoxEnable("CheckBoxEnable", "Enable"),
      LabelSend("LabelSend", "Send"), ComboBoxSend("ComboBoxSend"),
      LabelDest("LabelDest", "Destination"), ComboBoxDest("ComboBoxDest"),
      LabelTarget("LabelTarget", "Receive"),
      ComboBoxTarget("ComboBoxTarget",
                     {"Amplitude", "Duration", "Duty", "Flip", "Function", "Mirror", "Offset"}),
      CheckBoxRecv("CheckBoxRecv", "CC Modulation"), LabelTrig("LabelTrig", "Trigger"),
      ComboBoxTrig("ComboBoxTrig",
                   {"Start", "Down", "Down / up", "Up", "Up / down", "Down once", "Up once",
                    "Sw. 1 down", "Sw. 1 d / u", "Sw. 2 down", "Sw. 2 d / u"}),
      LabelNote("LabelNote", "Note"),
      ComboBoxNote("ComboBoxNote",
                   {"Any", "C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"}),
      LabelOctave("LabelOctave", "Octave"),
      ComboBoxOctave("ComboBoxOctave", {"Any", "C-1 B-1", "C0 B0", "C1 B1", "C2 B2", "C3 B3",
                                        "C4 B4", "C5 B5", "C6 B6", "C7 B7", "C8 B8", "C9 G9"}),
      LabelFunction("LabelFunction", "Function"),
      ComboBoxFunction("ComboBoxFunction", {kLfoFunctionNames.begin(), kLfoFunctionNames.end()},
                       kLfoSaw),
      Labeln("Labeln", "n"),
      ComboBoxn("ComboBoxn", {"2", "3", "4", "5", "6", "7", "8", "9", "10"}, 0, true),
      LabelCycles("LabelCycles", "Cycles"),
      ComboBoxCycles("ComboBoxCycles", {"1", "2", "4", "8", "Infinite"}, 4, true),
      LabelDelay("LabelDelay", "Del1"),
      TrackBarDelay("TrackBarDelay", 0, kBaseRange, 0, 8, kBaseRange / 8),
      LabelDelayVal("LabelDelayVal", "0t"), LabelDelay2("LabelDelay2", "Del2"),
      TrackBarDelay2("TrackBarDelay2", 0, kBaseRange, 0, 8, kBaseRange / 8),
      LabelDelay2Val("LabelDelay2Val", "0t"), LabelDuty("LabelDuty", "Duty"),
      TrackBarDuty("TrackBarDuty", 1, 99, 50, 10, 10), LabelDutyVal("LabelDutyVal", "50%"),
      LabelAngle("LabelAngle", "Phase"), TrackBarAngle("TrackBarAngle", 0, 359, 0, 15, 45),
      LabelAngleVal("LabelAngleVal", "0"), LabelAmplitude("LabelAmplitude", "Amp"),
      TrackBarAmplitude("TrackBarAmplitude", 0, 128, 64, 8, 16),
      LabelAmplitudeVal("LabelAmplitudeVal", "+/- 64"), LabelOffset("LabelOffset", "Offset"),
      TrackBarOffset("TrackBarOffset", -64, 192, 64, 8, 32), LabelOffsetVal("LabelOffsetVal", "64"),
      LabelAttack("LabelAttack", "Att"),
      TrackBarAttack("TrackBarAttack", 0, kBaseRange, 0, 8, kBaseRange / 8),
      LabelAttackVal("LabelAttackVal", "0t"), LabelDuration("LabelDuration", "Dur"),
      TrackBarDuration("TrackBarDuration", 0, kBaseRange, 0, 8, kBaseRange / 8),
      LabelDurationVal("LabelDurationVal", "0t"), CheckBoxFlip("CheckBoxFlip", "Flip"),
      CheckBoxMirror("CheckBoxMirror", "Mirror"), GroupBoxAutomate("GroupBoxAutomate", "Automate"),
      CheckBoxAutoFlip("CheckBoxAutoFlip", "Flip"),
      CheckBoxAutoMirror("CheckBoxAutoMirror", "Mirror"),
      GroupBoxStartAs("GroupBoxStartAs", "Start as"), CheckBoxFlipInit("CheckBoxFlipInit", "Flip"),
      CheckBoxMirrorInit("CheckBoxMirrorInit", "Mirror"), PopupMenuDuration("PopupMenuDuration"),
      PopupMenuDel1("PopupMenuDel1"), PopupMenuDel2("PopupMenuDel2"),
      PopupMenuAttack("PopupMenuAttack"), PopupMenuPhase("PopupMenuPhase"),
      PopupMenuAmp("PopupMenuAmp"), PopupMenuOffset("PopupMenuOffset") {
    Wire();
    BuildMenus();
    Reset();
}

void TFrameLFO::Wire() {
    ComboBoxSend.onChange = [this] { ComboBoxSendChange(); };
    ComboBoxFunction.onChange = [this] { ComboBoxFunctionChange(); };
    CheckBoxEnable.onClick = [this] { CheckBoxEnableClick(); };
    CheckBoxAutoFlip.onClick = [this] { CheckBoxAutoFlipClick(); };
    CheckBoxAutoMirror.onClick = [this] { CheckBoxAutoMirrorClick(); };
    for (TrackBar* bar :
         {&TrackBarDelay, &TrackBarDelay2, &TrackBarDuty, &TrackBarAngle, &TrackBarAmplitude,
          &TrackBarOffset, &TrackBarAttack, &TrackBarDuration}) {
        bar->onChange = [this] { TrackBarChange(); };
    }
    LabelAmplitude.onClick = [this] { TrackBarAmplitude.SetPosition(64); };
    LabelOffset.onClick = [this] { TrackBarOffset.SetPosition(64); };
    LabelAngle.onClick = [this] { TrackBarAngle.SetPosition(0); };
    LabelDuty.onClick = [this] { TrackBarDuty.SetPosition(50); };
    const std::pair<Label*, Setting> tickLabels[] = {{&LabelAttack, Setting::Attack},
                                                     {&LabelDelay, Setting::Delay},
                                                     {&LabelDelay2, Setting::Delay2},
                                                     {&LabelDuration, Setting::Duration}};
    for (const auto& entry : tickLabels) {
        const Setting setting = entry.second;
        entry.first->onClick = [this, setting] { ApplyTicks(setting, 1, 0); };
    }
}

void TFrameLFO::BuildMenus() {
    PopupMenu& dur = PopupMenuDuration;
    dur.Add("Calculator", [this] { OpenCalculator(Setting::Duration, 16); });
    AddResolutionMenu(dur, Setting::Duration);
    AddTickItems(dur.AddSubmenu("4 (16)"), Setting::Duration,
                 {"24 (1/4)", "48 (2/4)", "96 (1)", "192 (2)", "384 (4)", "768 (8)", "1536 (16)"});
    // Each meter's calculator counts that meter's beats per bar.
    const struct {
        const char* title;
        int beatsPerBar;
        std::initializer_list<const char*> items;
    } meters[] = {
        {"2 (8)", 8, {"48 (1)", "96 (2)", "192 (4)", "384 (8)", "768 (16)"}},
        {"3 (12)", 12, {"72 (1)", "144 (2)", "216 (3)", "288 (4)", "360 (5)"}},
        {"5 (20)", 20, {"120 (1)", "240 (2)", "480 (4)", "960 (8)"}},
        {"7 (28)", 28, {"168 (1)", "336 (2)", "672 (4)"}},
    };
    for (const auto& meter : meters) {
        PopupMenu& sub = dur.AddSubmenu(meter.title);
        const int beats = meter.beatsPerBar;
        sub.Add("Calculator", [this, beats] { OpenCalculator(Setting::Duration, beats); });
        AddTickItems(sub, Setting::Duration, meter.items);
    }
    dur.Add("x 2", [this] { SetTicks(Setting::Duration, Ticks(Setting::Duration) * 2); });
    dur.Add("/ 2", [this] { SetTicks(Setting::Duration, Ticks(Setting::Duration) / 2); });

    for (auto entry :
         {std::pair{&PopupMenuDel1, Setting::Delay}, std::pair{&PopupMenuDel2, Setting::Delay2}}) {
        PopupMenu* menu = entry.first;
        const Setting setting = entry.second;
        menu->Add("Calculator", [this, setting] { OpenCalculator(setting, 16); });
        AddResolutionMenu(*menu, setting);
        AddTickItems(menu->AddSubmenu("4 (16)"), setting,
                     {"24 (1/4)", "48 (2/4)", "96 (1)", "192 (2)", "384 (4)"});
    }
    PopupMenuAttack.Add("Calculator", [this] { OpenCalculator(Setting::Attack, 16); });
    AddResolutionMenu(PopupMenuAttack, Setting::Attack);

    for (const char* degrees : {"45", "90", "135", "180", "225", "270", "315"}) {
        const int value = std::atoi(degrees);
        PopupMenuPhase.Add(degrees, [this, value] { TrackBarAngle.SetPosition(value); });
    }
    // "x 2" and "/ 2" move the position; the track bar holds it to its range.
    for (auto entry : {std::pair{&PopupMenuAmp, &TrackBarAmplitude},
                       std::pair{&PopupMenuOffset, &TrackBarOffset}}) {
        TrackBar* bar = entry.second;
        PopupMenu* menu = entry.first;
        menu->Add("x 2", [bar] { bar->SetPosition(bar->Position() * 2); });
        menu->Add("/ 2", [bar] { bar->SetPosition(bar->Position() / 2); });
    }
    for (const char* caption :
         {"8", "16 (quarter)", "24", "32 (half)", "40", "48", "56", "64 (maximum)", "128"}) {
        const int value = std::atoi(caption);
        PopupMenuAmp.Add(caption, [this, value] { TrackBarAmplitude.SetPosition(value); });
    }
    for (const char* caption : {"-8", "0", "8", "16", "32 (lower)", "48", "64 (middle)", "80",
                                "96 (upper)", "112", "128"}) {
        const int value = std::atoi(caption);
        PopupMenuOffset.Add(caption, [this, value] { TrackBarOffset.SetPosition(value); });
    }
}

void TFrameLFO::AddTickItems(PopupMenu& menu, TickSetting setting,
                             std::initializer_list<const char*> captions) {
    // The caption starts with the ticks; the bracket holds the bars (or beats) of the meter.
    for (const char* caption : captions) {
        const int ticks = std::atoi(caption);
        menu.Add(caption, [this, setting, ticks] { SetTicks(setting, ticks); });
    }
}

void TFrameLFO::AddResolutionMenu(PopupMenu& menu, TickSetting setting) {
    PopupMenu& sub = menu.AddSubmenu("Resolution");
    const std::pair<const char*, int> items[] = {
        {"1t (192)", 1}, {"2t (768)", 2}, {"4t (3072)", 4}, {"8t (12288)", 8}};
    for (const auto& [caption, m] : items) {
        const int multiplier = m;
        sub.Add(
            caption, [this, setting, multiplier] { SetResolution(setting, multiplier); },
            [this, setting, multiplier] { return ResolutionMultiplier(setting) == multiplier; });
    }
}

void TFrameLFO::OpenCalculator(TickSetting setting, int beatsPerBar) {
    if (!links.calculator) {
        return;
    }
    if (std::optional<int> ticks = links.calculator(beatsPerBar, Ticks(setting))) {
        SetTicks(setting, *ticks);
    }
}

void TFrameLFO::Init(int lfoIndex, const std::vector<std::string>& sendList,
                     const CcNumberTable* numbers, MidiOut* output, Links newLinks) {
    index = lfoIndex;
    PanelOsc.SetCaption(std::to_string(lfoIndex + 1));
    table = numbers;
    aux = output;
    links = std::move(newLinks);
    ComboBoxSend.SetItems(sendList);
    Reset();
}

void TFrameLFO::Reset() {
    CheckBoxEnable.SetChecked(false);
    ComboBoxSend.SetItemIndex(0);
    ComboBoxTarget.SetItemIndex(kRecvAmplitude);
    CheckBoxRecv.SetChecked(false);
    ComboBoxTrig.SetItemIndex(kTrigStart);
    ComboBoxNote.SetItemIndex(0);
    ComboBoxOctave.SetItemIndex(0);
    for (Setting setting : {Setting::Delay, Setting::Delay2, Setting::Attack, Setting::Duration}) {
        ApplyTicks(setting, 1, 0);
    }
    ComboBoxFunction.SetItemIndex(kLfoSaw);
    ComboBoxn.SetText("2");
    ComboBoxCycles.SetText("Infinite");
    TrackBarDuty.SetPosition(50);
    TrackBarAngle.SetPosition(0);
    TrackBarAmplitude.SetPosition(64);
    TrackBarOffset.SetPosition(64);
    CheckBoxAutoFlip.SetChecked(false);
    CheckBoxAutoMirror.SetChecked(false);
    for (CheckBox* box : {&CheckBoxFlip, &CheckBoxMirror, &CheckBoxFlipInit, &CheckBoxMirrorInit}) {
        box->SetChecked(false);
    }
    SyncAutomateEnables();
    state = RunState{};
    ComboBoxSendChange();
    UpdateFunctionControls();
    TrackBarChange();
}

// --- the tick settings ---

TrackBar& TFrameLFO::Bar(TickSetting setting) {
    return const_cast<TrackBar&>(std::as_const(*this).Bar(setting));
}

const TrackBar& TFrameLFO::Bar(TickSetting setting) const {
    switch (setting) {
    case Setting::Delay:
        return TrackBarDelay;
    case Setting::Delay2:
        return TrackBarDelay2;
    case Setting::Attack:
        return TrackBarAttack;
    case Setting::Duration:
        break;
    }
    return TrackBarDuration;
}

int TFrameLFO::ResolutionMultiplier(TickSetting setting) const {
    return multipliers[Slot(setting)];
}

int TFrameLFO::Ticks(TickSetting setting) const {
    return ResolutionMultiplier(setting) * Bar(setting).Position();
}

void TFrameLFO::SetTicks(TickSetting setting, int ticks) {
    ticks = std::clamp(ticks, 0, kMaxTicks);
    int m = 1;
    while (ticks > m * m * kBaseRange) {
        m *= 2;
    }
    ApplyTicks(setting, m, ticks / m);
}

void TFrameLFO::SetResolution(TickSetting setting, int multiplier) {
    if (!ValidMultiplier(multiplier)) {
        return;
    }
    ApplyTicks(setting, multiplier, Ticks(setting) / multiplier);
}

void TFrameLFO::ApplyTicks(TickSetting setting, int multiplier, int position) {
    multipliers[Slot(setting)] = multiplier;
    TrackBar& bar = Bar(setting);
    bar.SetRange(0, multiplier * kBaseRange);
    bar.SetPosition(position);
    TrackBarChange();
}

int TFrameLFO::N() const {
    return std::max(1, TextAsInt(ComboBoxn.Text()).value_or(1));
}

// --- handlers ---

void TFrameLFO::TrackBarChange() {
    LabelDelayVal.SetCaption(std::to_string(Ticks(Setting::Delay)) + "t");
    LabelDelay2Val.SetCaption(std::to_string(Ticks(Setting::Delay2)) + "t");
    LabelAttackVal.SetCaption(std::to_string(Ticks(Setting::Attack)) + "t");
    LabelDurationVal.SetCaption(std::to_string(Ticks(Setting::Duration)) + "t");
    LabelAmplitudeVal.SetCaption("+/- " + std::to_string(TrackBarAmplitude.Position()));
    LabelDutyVal.SetCaption(std::to_string(TrackBarDuty.Position()) + "%");
    LabelOffsetVal.SetCaption(std::to_string(TrackBarOffset.Position()));
    LabelAngleVal.SetCaption(std::to_string(TrackBarAngle.Position()));
}

void TFrameLFO::ComboBoxSendChange() {
    std::vector<std::string> items;
    bool choosable = false;
    const int send = ComboBoxSend.ItemIndex();
    if (send == kCcMasterVolume || send == kCcMasterPan) {
        items = {"Master"};
    } else if (send == kCcSwitch1 || send == kCcSwitch2) {
        items = With("LFO 1 to 8", Numbered("LFO ", 8));
        choosable = true;
    } else if (send == kCcLfoModulation) {
        items = With("LFO CC", Numbered("LFO ", 8));
        choosable = true;
    } else if (send == kCcCircuitBend) {
        items = {"Circuit Bend"};
    } else if (send >= kCcFeedback1 && send < kCcWaveformMod) {
        items = {"Operator 1 to 6"};
    } else if (send >= kCcWaveformMod && send <= kCcOperatorVolume) {
        items = With("Operator CC", Numbered("Operator ", 6));
        choosable = true;
    } else if (send >= kCcAuxiliary1 && send <= kCcAuxiliary8) {
        items = {"External"};
    } else if (send >= kCcFrequency && send <= kCcOutputGain) {
        items = {"DSP"};
    }
    ComboBoxDest.SetItems(std::move(items));
    ComboBoxDest.SetItemIndex(0);
    ComboBoxDest.SetEnabled(choosable);
    LabelDest.SetEnabled(choosable);
}

void TFrameLFO::UpdateFunctionControls() {
    const int function = ComboBoxFunction.ItemIndex();
    const bool usesN = LfoFunctionUsesN(function);
    ComboBoxn.SetEnabled(usesN);
    Labeln.SetEnabled(usesN);
    const bool usesDuty = LfoFunctionUsesDuty(function);
    TrackBarDuty.SetEnabled(usesDuty);
    LabelDuty.SetEnabled(usesDuty);
    LabelDutyVal.SetEnabled(usesDuty);
}

void TFrameLFO::ComboBoxFunctionChange() {
    UpdateFunctionControls();
    if (LfoFunctionUsesN(ComboBoxFunction.ItemIndex())) {
        ComboBoxn.SetText("2");
    }
}

void TFrameLFO::CheckBoxEnableClick() {
    if (!CheckBoxEnable.Checked()) {
        Pause();
        if (links.clearLfoPitch) {
            links.clearLfoPitch();
        }
    } else if (links.masterEnabled && links.masterEnabled()) {
        Trigger(false);
    }
}

void TFrameLFO::CheckBoxAutoFlipClick() {
    if (CheckBoxAutoFlip.Checked()) {
        CheckBoxFlipInit.SetChecked(CheckBoxFlip.Checked());
    } else {
        CheckBoxFlip.SetChecked(CheckBoxFlipInit.Checked());
    }
    SyncAutomateEnables();
}

void TFrameLFO::CheckBoxAutoMirrorClick() {
    if (CheckBoxAutoMirror.Checked()) {
        CheckBoxMirrorInit.SetChecked(CheckBoxMirror.Checked());
    } else {
        CheckBoxMirror.SetChecked(CheckBoxMirrorInit.Checked());
    }
    SyncAutomateEnables();
}

// While automated, the LFO drives the box itself and the "Start as" box says where it begins.
void TFrameLFO::SyncAutomateEnables() {
    CheckBoxFlipInit.SetEnabled(CheckBoxAutoFlip.Checked());
    CheckBoxFlip.SetEnabled(!CheckBoxAutoFlip.Checked());
    CheckBoxMirrorInit.SetEnabled(CheckBoxAutoMirror.Checked());
    CheckBoxMirror.SetEnabled(!CheckBoxAutoMirror.Checked());
}

// --- running ---

void TFrameLFO::Trigger(bool force) {
    state.CyclesLeft = 0;
    state.SavedCycles = 0;
    if (!CheckBoxEnable.Checked() || TrackBarDuration.Position() == 0) {
        return;
    }
    if (!force && ComboBoxTrig.ItemIndex() != kTrigStart) {
        return;
    }
    if (CheckBoxAutoFlip.Checked()) {
        CheckBoxFlip.SetChecked(CheckBoxFlipInit.Checked());
    }
    if (CheckBoxAutoMirror.Checked()) {
        CheckBoxMirror.SetChecked(CheckBoxMirrorInit.Checked());
    }
    state.DelayCountdown = Ticks(Setting::Delay);
    state.ElapsedTicks = 0;
    const int start = StartPhaseFor(Ticks(Setting::Duration));
    state.StartPhase = start;
    state.PhasePosition = start;
    state.LastSentValue = kNoValue;
    EvaluateAndSend();
    // Not a number ("Infinite") and 0 both mean endless; a negative count stops after the
    // start value.
    const int cycles = TextAsInt(ComboBoxCycles.Text()).value_or(0);
    state.CyclesLeft = cycles == 0 ? kEndless : cycles;
    state.SavedCycles = state.CyclesLeft;
}

void TFrameLFO::Tick() {
    if (!CheckBoxEnable.Checked() || state.CyclesLeft < 1) {
        return;
    }
    if (state.DelayCountdown >= 1) {
        --state.DelayCountdown;
        return;
    }
    // The duration may have shrunk since the trigger (track bar, menu, modulation). A start
    // phase beyond the new end could never come round again and the cycle count would never
    // run out, so it moves to 0 as the trigger would have put it.
    const int duration = Ticks(Setting::Duration);
    if (state.PhasePosition >= duration) {
        state.PhasePosition = 0;
    }
    if (state.StartPhase >= duration) {
        state.StartPhase = 0;
    }
    EvaluateAndSend();
    if (state.ElapsedTicks < INT_MAX) {
        ++state.ElapsedTicks;
    }
    if (++state.PhasePosition == duration) {
        state.PhasePosition = 0;
    }
    if (state.PhasePosition == state.StartPhase) {
        if (state.CyclesLeft != kEndless) {
            --state.CyclesLeft;
        }
        state.DelayCountdown = Ticks(Setting::Delay2);
        if (CheckBoxAutoFlip.Checked()) {
            CheckBoxFlip.Toggle();
        }
        if (CheckBoxAutoMirror.Checked()) {
            CheckBoxMirror.Toggle();
        }
    }
}

void TFrameLFO::Pause() {
    state.SavedCycles = state.CyclesLeft;
    state.CyclesLeft = 0;
}

void TFrameLFO::Resume() {
    state.CyclesLeft = state.SavedCycles;
}

void TFrameLFO::EvaluateAndSend() {
    const int duration = Ticks(Setting::Duration);
    if (duration <= 0) {
        return;
    }
    double amplitude = TrackBarAmplitude.Position();
    const int attack = Ticks(Setting::Attack);
    if (attack > state.ElapsedTicks) {
        // A square-root rise from 0 at the trigger to full after `attack` steps.
        amplitude = amplitude / std::sqrt(attack) * std::sqrt(state.ElapsedTicks);
    }
    const int value = ValueAt(state.PhasePosition, duration, amplitude);
    // Only changes of the 7-bit value go out.
    if (value == state.LastSentValue) {
        return;
    }
    state.LastSentValue = value;
    SendValue(value);
}

int TFrameLFO::StartPhaseFor(int duration) const {
    // In integers, so that phase 90 of 96 ticks is exactly 24.
    const int start =
        static_cast<int>(static_cast<int64_t>(duration) * TrackBarAngle.Position() / 360);
    return start >= 0 && start < duration ? start : 0;
}

int TFrameLFO::ValueAt(int position, int duration, double amplitude) const {
    const int t = CheckBoxMirror.Checked() ? duration - position : position;
    double y = LfoShape(ComboBoxFunction.ItemIndex(), t, duration, N(), amplitude,
                        TrackBarDuty.Position());
    if (CheckBoxFlip.Checked()) {
        y = -y;
    }
    return LfoValue(TrackBarOffset.Position(), y);
}

void TFrameLFO::SendValue(int value) {
    const int send = ComboBoxSend.ItemIndex();
    if (table == nullptr || send < 0 || send >= kCcTargetCount) {
        return;
    }
    const uint8_t cc = (*table)[static_cast<std::size_t>(send)];
    if (send >= kCcAuxiliary1 && send <= kCcAuxiliary8) {
        // 128..255 is how the map switches a function off; it is no controller to send.
        if (aux != nullptr && cc < 128) {
            aux->SendControl(static_cast<uint8_t>(value), cc, 0);
        }
        return;
    }
    if (!links.post) {
        return;
    }
    const int dest = ComboBoxDest.ItemIndex();
    const uint32_t destination = dest <= 0 ? kAllDestinations : static_cast<uint32_t>(dest - 1);
    links.post(PackEvent(kControlChange, cc, static_cast<uint8_t>(value), MessageHub::kFromProgram),
               static_cast<uint32_t>(index) << 8 | destination);
}

// --- events ---

void TFrameLFO::TriggerBy(uint8_t note) {
    state.TriggerNote = note;
    Trigger(true);
}

void TFrameLFO::NoteEvent(uint8_t note, uint8_t /*velocity*/, bool on) {
    if (!CheckBoxEnable.Checked()) {
        return;
    }
    const int noteFilter = ComboBoxNote.ItemIndex();
    const int octaveFilter = ComboBoxOctave.ItemIndex();
    if ((noteFilter != 0 && note % 12 + 1 != noteFilter) ||
        (octaveFilter != 0 && note / 12 + 1 != octaveFilter)) {
        return;
    }
    const bool isTriggerNote = note == state.TriggerNote;
    switch (ComboBoxTrig.ItemIndex()) {
    case kTrigDown:
        if (on) {
            TriggerBy(note);
        }
        break;
    case kTrigDownUp:
        if (on) {
            TriggerBy(note);
        } else if (isTriggerNote) {
            Pause();
        }
        break;
    case kTrigUp:
        if (!on) {
            TriggerBy(note);
        }
        break;
    case kTrigUpDown:
        if (!on) {
            TriggerBy(note);
        } else if (isTriggerNote) {
            Pause();
        }
        break;
    case kTrigDownOnce:
    case kTrigUpOnce:
        if (on == (ComboBoxTrig.ItemIndex() == kTrigDownOnce) && state.CyclesLeft <= 0) {
            TriggerBy(note);
        }
        break;
    default:
        break;
    }
}

void TFrameLFO::SwitchEvent(int& switchState, int downTrigger, int downUpTrigger, uint8_t value) {
    const int trigger = ComboBoxTrig.ItemIndex();
    if (!CheckBoxEnable.Checked() || (trigger != downTrigger && trigger != downUpTrigger)) {
        return;
    }
    if (value >= kSwitchDown && switchState == 0) {
        switchState = 1;
        Trigger(true);
    } else if (value < kSwitchUp && switchState == 1) {
        if (trigger == downUpTrigger) {
            Pause();
        }
        switchState = 0;
    }
}

void TFrameLFO::Switch1Event(uint8_t value) {
    SwitchEvent(state.SwitchState1, kTrigSw1Down, kTrigSw1DownUp, value);
}

void TFrameLFO::Switch2Event(uint8_t value) {
    SwitchEvent(state.SwitchState2, kTrigSw2Down, kTrigSw2DownUp, value);
}

void TFrameLFO::ModulationEvent(uint8_t value) {
    if (!CheckBoxEnable.Checked()) {
        return;
    }
    const int v = std::min<int>(value, 127);
    switch (ComboBoxTarget.ItemIndex()) {
    case kRecvAmplitude:
        TrackBarAmplitude.SetPosition(v);
        break;
    case kRecvDuration: {
        const int m = ResolutionMultiplier(Setting::Duration);
        SetTicks(Setting::Duration, m * m * kBaseRange * v / 128);
        break;
    }
    case kRecvDuty:
        TrackBarDuty.SetPosition(v * 25 / 32); // x 0.78125
        break;
    case kRecvFlip:
        CheckBoxFlip.SetChecked(v >= 64);
        break;
    case kRecvFunction:
        // The shape changes under the running LFO; n stays as the user set it.
        ComboBoxFunction.SetItemIndex(10 * v / 128);
        UpdateFunctionControls();
        break;
    case kRecvMirror:
        CheckBoxMirror.SetChecked(v >= 64);
        break;
    case kRecvOffset:
        TrackBarOffset.SetPosition(v * 3 / 2);
        break;
    default:
        break;
    }
}

// --- the record ---

void TFrameLFO::StoreRecord(std::span<uint8_t, kRecordSize> r) const {
    r[kRecEnable] = CheckBoxEnable.Checked() ? 1 : 0;
    r[kRecSend] = IndexByte(ComboBoxSend);
    r[kRecDest] = IndexByte(ComboBoxDest);
    r[kRecRecv] = CheckBoxRecv.Checked() ? 1 : 0;
    r[kRecTarget] = IndexByte(ComboBoxTarget);
    r[kRecTrigger] = IndexByte(ComboBoxTrig);
    r[kRecFunction] = IndexByte(ComboBoxFunction);
    r[kRecDuty] = static_cast<uint8_t>(TrackBarDuty.Position());
    uint8_t flags = 0;
    const std::pair<const CheckBox*, uint8_t> bits[] = {
        {&CheckBoxFlip, kFlagFlip},         {&CheckBoxMirror, kFlagMirror},
        {&CheckBoxAutoFlip, kFlagAutoFlip}, {&CheckBoxAutoMirror, kFlagAutoMirror},
        {&CheckBoxFlipInit, kFlagFlipInit}, {&CheckBoxMirrorInit, kFlagMirrorInit}};
    for (const auto& [box, bit] : bits) {
        flags = static_cast<uint8_t>(flags | (box->Checked() ? bit : 0));
    }
    r[kRecFlags] = flags;
    r[kRecNote] = IndexByte(ComboBoxNote);
    r[kRecOctave] = IndexByte(ComboBoxOctave);
    for (std::size_t i = 0; i < kRecordTickOrder.size(); ++i) {
        r[kRecMultipliers + i] = static_cast<uint8_t>(ResolutionMultiplier(kRecordTickOrder[i]));
        Put32(r, kRecTicks + 4 * i, Ticks(kRecordTickOrder[i]));
    }
    Put32(r, kRecN, TextAsInt(ComboBoxn.Text()).value_or(1));
    int32_t cycles = 1;
    if (ComboBoxCycles.Text() == "Infinite") {
        cycles = kEndless;
    } else if (std::optional<int> typed = TextAsInt(ComboBoxCycles.Text()); typed && *typed > 0) {
        cycles = *typed;
    }
    Put32(r, kRecCycles, cycles);
    Put32(r, kRecOffset, TrackBarOffset.Position());
    Put32(r, kRecAmplitude, TrackBarAmplitude.Position());
    Put32(r, kRecPhase, TrackBarAngle.Position());
}

void TFrameLFO::LoadRecord(std::span<const uint8_t, kRecordSize> r) {
    ComboBoxSend.SetItemIndex(r[kRecSend]);
    ComboBoxSendChange();
    if (r[kRecDest] < ComboBoxDest.Count()) {
        ComboBoxDest.SetItemIndex(r[kRecDest]);
    }
    CheckBoxRecv.SetChecked(r[kRecRecv] != 0);
    ComboBoxTarget.SetItemIndex(r[kRecTarget]);
    ComboBoxTrig.SetItemIndex(r[kRecTrigger]);
    ComboBoxFunction.SetItemIndex(r[kRecFunction]);
    UpdateFunctionControls();
    TrackBarDuty.SetPosition(r[kRecDuty]);
    const uint8_t flags = r[kRecFlags];
    // The automate boxes first: their handlers copy between the boxes set after them.
    CheckBoxAutoFlip.SetChecked((flags & kFlagAutoFlip) != 0);
    CheckBoxAutoMirror.SetChecked((flags & kFlagAutoMirror) != 0);
    CheckBoxFlip.SetChecked((flags & kFlagFlip) != 0);
    CheckBoxMirror.SetChecked((flags & kFlagMirror) != 0);
    CheckBoxFlipInit.SetChecked((flags & kFlagFlipInit) != 0);
    CheckBoxMirrorInit.SetChecked((flags & kFlagMirrorInit) != 0);
    SyncAutomateEnables();
    ComboBoxNote.SetItemIndex(r[kRecNote]);
    ComboBoxOctave.SetItemIndex(r[kRecOctave]);
    for (std::size_t i = 0; i < kRecordTickOrder.size(); ++i) {
        const Setting setting = kRecordTickOrder[i];
        const int multiplier = r[kRecMultipliers + i];
        const int ticks = std::clamp(Get32(r, kRecTicks + 4 * i), 0, kMaxTicks);
        if (ValidMultiplier(multiplier)) {
            ApplyTicks(setting, multiplier, ticks / multiplier);
        } else {
            SetTicks(setting, ticks);
        }
    }
    ComboBoxn.SetText(std::to_string(Get32(r, kRecN)));
    const int32_t cycles = Get32(r, kRecCycles);
    ComboBoxCycles.SetText(cycles == kEndless ? "Infinite" : std::to_string(cycles));
    TrackBarOffset.SetPosition(Get32(r, kRecOffset));
    TrackBarAmplitude.SetPosition(Get32(r, kRecAmplitude));
    TrackBarAngle.SetPosition(Get32(r, kRecPhase));
    TrackBarChange();
    // Last, so that an enabled "Start" LFO starts with everything else in place.
    CheckBoxEnable.SetChecked(r[kRecEnable] != 0);
}

} // namespace vorpline
