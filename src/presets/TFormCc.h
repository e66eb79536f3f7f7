#pragma once
#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

#include "controls/Button.h"
#include "controls/CheckBox.h"
#include "controls/ComboBox.h"
#include "controls/Form.h"
#include "controls/Label.h"
#include "controls/ReportList.h"
#include "controls/ValueListGrid.h"
#include "midi/CcMap.h"
#include "presets/PresetWindow.h"
#include "ui/ToolWindow.h"

namespace vorpline {

// The control-change map: which MIDI controller drives each of the 35 functions. The grid
// holds the numbers as typed; the table (Numbers) holds what they mean and is what the message
// hub, and later the LFOs, look controllers up in. Numbers are typed, learnt from the
// controllers the musician moves, parked on controller numbers MIDI leaves undefined, and kept
// as ".txt" presets in "vpx/control change". The window also logs the controllers it sees.
//
// Main thread only.
class TFormCc : public Form, public CcMap, public ToolWindow {
public:
    static constexpr const char* kConfigKey = "CC Preset";
    static constexpr const char* kFolder = "control change";
    static constexpr std::size_t kLogRows = 128;
    // A preset is 35 short lines; anything far larger is not one and is not read whole.
    static constexpr std::size_t kMaxPresetBytes = 64 * 1024;
    // The controller numbers MIDI leaves undefined, in the order "Undefine all" hands them out.
    static constexpr std::array<uint8_t, 40> kUndefinedControllers = {
        3,   9,   14,  15,  20,  21,  22,  23,  24,  25,  26,  27,  28,  29,
        30,  31,  85,  86,  87,  88,  89,  90,  102, 103, 104, 105, 106, 107,
        108, 109, 110, 111, 112, 113, 114, 115, 116, 117, 118, 119};

    TFormCc(std::filesystem::path presetRoot, PresetWindow::Services services);

    // --- the tool window ---
    Form& Window() override { return *this; }
    // Caption, then the preset stored under "CC Preset" (default "Default"), loaded.
    void LoadSettings(const IniFile& ini, const std::string& section,
                      const std::string& applicationTitle) override;
    void SaveSettings(IniFile& ini, const std::string& section) const override;
    void ConnectPeers(HubPeers& peers) override;
    PresetWindow* Presets() override { return &presets; }

    // --- the map ---
    const CcNumberTable& Numbers() const override { return numbers; }
    const CcNumberTable& DefaultNumbers() const { return defaults; }
    // Logs (while "Enable" is ticked) and learns (while a row is learning).
    void ControllerObserved(uint8_t controller, uint8_t value) override;
    // The row learning writes to, or -1.
    int LearningRow() const { return learningRow; }

    // --- handlers ---
    void ValueListEditorStringsChange();
    void ValueListEditorClick();
    void ValueListEditorMouseDown(int row, int column, bool right);
    void StartLearningClick();
    void StopLearningClick();
    void UndefineClick();
    void UndefineAllClick();
    // Hiding the window ends learning, as a musician would not expect a hidden window to keep
    // rewriting the map.
    void FormClose();

    // The grid: function names and the numbers as typed.
    ValueListGrid ValueListEditor;
    // PopupMenuLearn, the grid's pop-up menu.
    MenuItem StartLearning;
    MenuItem StopLearning;
    MenuItem Undefine;
    MenuItem UndefineAll;
    // Which function is learning, or nothing.
    Label LabelStatus;
    // The log of incoming controllers, newest on top.
    ReportList ListView;
    CheckBox CheckBoxEnable;
    // "Reserved Controllers": the numbers that never go through the map.
    Label LabelHelp;
    ReportList ListViewHelp;
    // The preset panel.
    ComboBox ComboBoxPreset;
    Label LabelPreset;
    Button ButtonSave;
    Button ButtonReset;
    Button ButtonDefault;
    Button ButtonDelete;

private:
    void Wire();
    void SetLearningRow(int row);
    bool ReadPreset(const std::string& name);
    bool WritePreset(const std::string& name) const;
    void ApplyDefaultNumbers();

    CcNumberTable numbers{};
    CcNumberTable defaults{};
    int learningRow = -1;
    std::size_t undefinedCursor = 0;
    std::function<void(const std::string& message)> showError;
    PresetWindow presets;
};

} // namespace vorpline
