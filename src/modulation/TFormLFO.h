#pragma once
#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "controls/Button.h"
#include "controls/CheckBox.h"
#include "controls/ComboBox.h"
#include "controls/Form.h"
#include "controls/Label.h"
#include "controls/RadioGroup.h"
#include "midi/MidiOut.h"
#include "modulation/ClockFollower.h"
#include "modulation/TFrameLFO.h"
#include "presets/PresetWindow.h"
#include "ui/ToolWindow.h"

namespace vorpline {

// The LFO window: eight LFOs (LFO 1..8 = FrameLFO[0..7]) behind one master enable, the
// auxiliary MIDI output through which the "Auxiliary" functions leave the program, ".lfo"
// presets in "vpx/lfo" (eight 52-byte records, 416 bytes), and the calculator button.
//
// The clock drives it (ClockFollower): ticks, Start/Stop/Continue, the notes the engine plays,
// and the switch and modulation controllers it forwards (Switch1, Switch2, LfoModulation).
// Main thread only.
class TFormLFO : public Form, public ClockFollower, public LfoInputs, public ToolWindow {
public:
    static constexpr int kLfoCount = 8;
    static constexpr const char* kFolder = "lfo";
    static constexpr const char* kExtension = ".lfo";
    static constexpr const char* kConfigKey = "LFO Preset";
    static constexpr const char* kEnableKey = "LFO Enable";
    static constexpr const char* kAuxKey = "Aux Device";
    static constexpr std::size_t kPresetSize = kLfoCount * TFrameLFO::kRecordSize; // 416
    static inline const std::string kRefreshList = "Refresh list";
    // Tabs of PageControlLFO.
    static constexpr int kTabSheet1234 = 0;
    static constexpr int kTabSheet5678 = 1;

    struct Links {
        // A value for the synthesizer (see TFrameLFO::Links::post); the message hub applies it.
        std::function<void(uint32_t packed, uint32_t param)> post;
        // Zeroes the sixteen LFO pitch offsets (PitchControl::SetLfoPitch(part, lfo, 0)).
        std::function<void()> clearLfoPitch;
        TickCalculator calculator;
    };

    // `sendList`: the control-change map's function names (kCcFunctionNames order); `table`:
    // its controller numbers, null when the program has no map (the LFOs run but send
    // nothing). `table` and `ports` must outlive the window. Errors of the auxiliary port go
    // to services.showError.
    TFormLFO(std::filesystem::path presetRoot, PresetWindow::Services services,
             MidiOutPortSystem& ports, std::vector<std::string> sendList,
             const CcNumberTable* table, Links links);

    // --- the tool window ---
    Form& Window() override { return *this; }
    // Caption and first tab; the auxiliary device stored under "Aux Device" (opened when still
    // present); the preset under "LFO Preset", loaded; "LFO Enable" kept for
    // ApplyStoredEnable.
    void LoadSettings(const IniFile& ini, const std::string& section,
                      const std::string& applicationTitle) override;
    void SaveSettings(IniFile& ini, const std::string& section) const override;
    // Program end: every LFO paused, the auxiliary port closed.
    void BeforeShutdown() override;
    PresetWindow* Presets() override { return &presets; }

    // --- the clock ---
    void ClockTick() override;
    // Each LFO paused, then those with trigger "Start" started from their beginning.
    void ClockStart() override;
    // Pauses every LFO, master enable or not; a Stop repeated before the next Start or Continue
    // pauses only those running again, so Continue still resumes the rest.
    void ClockStop() override;
    void ClockContinue() override;
    void ClockNote(uint8_t note, uint8_t velocity, bool on) override;
    void ApplyStoredEnable() override;

    // Switch and modulation controllers: value 0..127; source = the LFO that sent it (0xFF:
    // the MIDI input); destination 0..7 = that LFO, 8 or more = every LFO. A switch never
    // reaches its own source; modulation to all reaches every LFO whose "CC Modulation" box
    // is ticked, the source included, and modulation to one LFO reaches it regardless.
    void Switch1(uint8_t value, uint8_t source, uint8_t destination) override;
    void Switch2(uint8_t value, uint8_t source, uint8_t destination) override;
    void LfoModulation(uint8_t value, uint8_t source, uint8_t destination) override;

    MidiOut& AuxOutput() { return aux; }
    void SetCalculator(TickCalculator calculator);

    // --- handlers ---
    void CheckBoxEnableClick();
    void ComboBoxAuxChange();
    void ButtonCalcClick();

    // PanelLFO.
    Label LabelPreset;
    ComboBox ComboBoxPreset;
    Button ButtonSave;
    Button ButtonDelete;
    Button ButtonReset;
    Button ButtonDefault;
    Label LabelAux;
    ComboBox ComboBoxAux;
    Button ButtonCalc;
    CheckBox CheckBoxEnable;
    // The tabs "1 - 4" (TabSheet1234: FrameLFO0..3) and "5 - 8" (TabSheet5678: FrameLFO4..7).
    RadioGroup PageControlLFO;
    std::array<TFrameLFO, kLfoCount> FrameLFO;

private:
    void Wire();
    void FillAuxList();
    void SwitchTo(uint8_t source, uint8_t destination,
                  const std::function<void(TFrameLFO&)>& event);
    bool ReadPreset(const std::string& name);
    bool WritePreset(const std::string& name) const;
    void ResetAll();

    Links links;
    MidiOut aux;
    bool storedEnable = false;
    // Since the last Stop, no Start or Continue came.
    bool stopped = false;
    bool storedEnableApplied = false;
    PresetWindow presets;
};

} // namespace vorpline
