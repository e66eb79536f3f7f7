#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "controls/CheckBox.h"
#include "controls/ComboBox.h"
#include "controls/Label.h"
#include "controls/PopupMenu.h"
#include "controls/TrackBar.h"
#include "midi/CcMap.h"

namespace vorpline {

class MidiOut;

// Runs the tick calculator modally: `beatsPerBar` (-1 = a plain converter without "OK") and the
// ticks it starts from; returns the ticks when the user chose "OK". An empty function stands
// for a program without the calculator: its menu items then do nothing.
using TickCalculator = std::function<std::optional<int>(int beatsPerBar, int ticks)>;

// One LFO: a function generator stepped by the clock's ticks (24 per quarter note). Once
// triggered it waits its first delay, then walks a cycle of `duration` ticks from its start
// phase, evaluating one of ten shapes (LfoShape) at each step and sending the 7-bit result to
// one function of the control-change map; after each cycle it waits its repeat delay, until
// its cycle count runs out. Its settings are its controls, read afresh at every tick.
//
// Values for the synthesizer are posted (Links::post) and applied later by the message hub;
// values for the auxiliary functions go straight out of the window's MIDI output port.
// Main thread only (the clock's timer posts its ticks to the main thread).
class TFrameLFO {
public:
    static constexpr std::size_t kRecordSize = 52;
    static constexpr int32_t kEndless = 0x7FFFFFFF;
    // The four tick settings: position x multiplier ticks, the track bar reaching
    // multiplier x 192; so 0..192, 0..768, 0..3072 or 0..12288 ticks.
    static constexpr int kBaseRange = 192;
    static constexpr int kMaxTicks = 8 * kBaseRange * 8;
    static constexpr int kNoValue = -1;

    enum TriggerKind : int {
        kTrigStart = 0,
        kTrigDown,
        kTrigDownUp,
        kTrigUp,
        kTrigUpDown,
        kTrigDownOnce,
        kTrigUpOnce,
        kTrigSw1Down,
        kTrigSw1DownUp,
        kTrigSw2Down,
        kTrigSw2DownUp,
    };
    enum ReceiveTarget : int {
        kRecvAmplitude = 0,
        kRecvDuration,
        kRecvDuty,
        kRecvFlip,
        kRecvFunction,
        kRecvMirror,
        kRecvOffset,
    };
    enum class TickSetting : int { Delay = 0, Delay2, Attack, Duration };

    // What the LFO reaches outside itself; set by the LFO window.
    struct Links {
        // A value for the synthesizer: packed = control change (0xB0, controller, value) marked
        // as made by the program; param = LFO index << 8 | (destination index - 1), 0xFF for
        // the first destination item (all destinations of the function).
        std::function<void(uint32_t packed, uint32_t param)> post;
        // Zeroes the sixteen LFO pitch offsets (eight LFOs, two parts).
        std::function<void()> clearLfoPitch;
        // The window's master enable.
        std::function<bool()> masterEnabled;
        TickCalculator calculator;
    };

    // The run state, readable for a plot of where the LFO stands in its cycle.
    struct RunState {
        int CyclesLeft = 0; // 0 (or less) = stopped; kEndless = never stops
        int SavedCycles = 0;
        int DelayCountdown = 0;
        int PhasePosition = 0; // 0..duration-1
        int StartPhase = 0;
        int ElapsedTicks = 0; // steps since the trigger: drives the attack
        int LastSentValue = kNoValue;
        int TriggerNote = -1;
        int SwitchState1 = 0;
        int SwitchState2 = 0;
    };

    TFrameLFO();
    TFrameLFO(const TFrameLFO&) = delete;
    TFrameLFO& operator=(const TFrameLFO&) = delete;

    // `sendList` becomes the items of ComboBoxSend (the map's functions, in CcTargetIndex
    // order); `table` (may be null: the LFO runs but sends nothing) and `aux` (may be null)
    // must outlive the frame. Then Reset.
    void Init(int index, const std::vector<std::string>& sendList, const CcNumberTable* table,
              MidiOut* aux, Links links);
    // Every setting to its reset value, stopped, both switches up.
    void Reset();
    // Restarts from the start phase with a fresh count, first delay and attack, sending the
    // start value at once. Without `force` only an LFO whose trigger is "Start" starts.
    void Trigger(bool force);
    void Tick();
    void Pause();
    void Resume();

    // Event inputs; each acts only while the LFO is enabled. Values are 0..127.
    void NoteEvent(uint8_t note, uint8_t velocity, bool on);
    void Switch1Event(uint8_t value);
    void Switch2Event(uint8_t value);
    void ModulationEvent(uint8_t value);

    // The 52-byte record of an ".lfo" file; byte 1 is not written (the caller fills the
    // buffer with 0xFF). LoadRecord takes any bytes: list indexes out of range select nothing,
    // numbers are held to their controls' ranges, and the enable is set last.
    void StoreRecord(std::span<uint8_t, kRecordSize> record) const;
    void LoadRecord(std::span<const uint8_t, kRecordSize> record);

    int Index() const { return index; }
    const RunState& State() const { return state; }
    bool Running() const { return state.CyclesLeft >= 1; }

    TrackBar& Bar(TickSetting setting);
    const TrackBar& Bar(TickSetting setting) const;
    int Ticks(TickSetting setting) const;
    int ResolutionMultiplier(TickSetting setting) const;
    // The track bar's tick marks: one eighth of its range.
    int TickMarkFrequency(TickSetting setting) const { return Bar(setting).Max() / 8; }
    // Sets a value in ticks with automatic resolution: the smallest multiplier 1, 2, 4, 8
    // whose range holds it; held to 0..12288.
    void SetTicks(TickSetting setting, int ticks);
    // Another resolution, keeping the value in ticks as far as the new step allows.
    void SetResolution(TickSetting setting, int multiplier);
    // n as the shapes read it: the text as an integer, at least 1.
    int N() const;
    // Where a cycle of `duration` ticks begins and ends for the current phase: 0..duration-1
    // (0 for a duration of 0 or less).
    int StartPhaseFor(int duration) const;
    // The 7-bit value sent at `position` (0..duration-1) of a cycle of `duration` ticks, as the
    // current function, n, duty, offset, flip and mirror shape it, for `amplitude` (0..128;
    // the attack lowers it while it rises). The engine sends exactly this; a plot draws it.
    int ValueAt(int position, int duration, double amplitude) const;

    // --- handlers ---
    void ComboBoxSendChange();
    void ComboBoxFunctionChange();
    void CheckBoxEnableClick();
    void CheckBoxAutoFlipClick();
    void CheckBoxAutoMirrorClick();
    // The track bars' OnChange: the value labels.
    void TrackBarChange();

    // The LFO's number, 1..8.
    Label PanelOsc;
    CheckBox CheckBoxEnable;
    Label LabelSend;
    ComboBox ComboBoxSend;
    Label LabelDest;
    ComboBox ComboBoxDest;
    Label LabelTarget;
    ComboBox ComboBoxTarget;
    CheckBox CheckBoxRecv;
    Label LabelTrig;
    ComboBox ComboBoxTrig;
    Label LabelNote;
    ComboBox ComboBoxNote;
    Label LabelOctave;
    ComboBox ComboBoxOctave;
    Label LabelFunction;
    ComboBox ComboBoxFunction;
    Label Labeln;
    ComboBox ComboBoxn;
    Label LabelCycles;
    ComboBox ComboBoxCycles;
    // The labels of the track bars reset their setting when clicked.
    Label LabelDelay;
    TrackBar TrackBarDelay;
    Label LabelDelayVal;
    Label LabelDelay2;
    TrackBar TrackBarDelay2;
    Label LabelDelay2Val;
    Label LabelDuty;
    TrackBar TrackBarDuty;
    Label LabelDutyVal;
    Label LabelAngle;
    TrackBar TrackBarAngle;
    Label LabelAngleVal;
    Label LabelAmplitude;
    TrackBar TrackBarAmplitude;
    Label LabelAmplitudeVal;
    Label LabelOffset;
    TrackBar TrackBarOffset;
    Label LabelOffsetVal;
    Label LabelAttack;
    TrackBar TrackBarAttack;
    Label LabelAttackVal;
    Label LabelDuration;
    TrackBar TrackBarDuration;
    Label LabelDurationVal;
    CheckBox CheckBoxFlip;
    CheckBox CheckBoxMirror;
    Label GroupBoxAutomate;
    CheckBox CheckBoxAutoFlip;
    CheckBox CheckBoxAutoMirror;
    Label GroupBoxStartAs;
    CheckBox CheckBoxFlipInit;
    CheckBox CheckBoxMirrorInit;

    // The track bars' pop-up menus.
    PopupMenu PopupMenuDuration;
    PopupMenu PopupMenuDel1;
    PopupMenu PopupMenuDel2;
    PopupMenu PopupMenuAttack;
    PopupMenu PopupMenuPhase;
    PopupMenu PopupMenuAmp;
    PopupMenu PopupMenuOffset;

private:
    void Wire();
    void BuildMenus();
    void AddTickItems(PopupMenu& menu, TickSetting setting,
                      std::initializer_list<const char*> captions);
    void AddResolutionMenu(PopupMenu& menu, TickSetting setting);
    void OpenCalculator(TickSetting setting, int beatsPerBar);
    // Position and multiplier as they come; the label follows.
    void ApplyTicks(TickSetting setting, int multiplier, int position);
    void UpdateFunctionControls();
    void SyncAutomateEnables();
    void TriggerBy(uint8_t note);
    void SwitchEvent(int& switchState, int downTrigger, int downUpTrigger, uint8_t value);
    void EvaluateAndSend();
    void SendValue(int value);

    int index = 0;
    const CcNumberTable* table = nullptr;
    MidiOut* aux = nullptr;
    Links links;
    RunState state;
    std::array<int, 4> multipliers{1, 1, 1, 1};
};

} // namespace vorpline
