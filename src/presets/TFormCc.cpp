#include "presets/TFormCc.h"

#include "midi/HubPeers.h"
#include "platform/FileBytes.h"
#include "presets/CcPresetText.h"

namespace vorpline {

namespace {

std::vector<std::string> FunctionNames() {
    return {kCcFunctionNames.begin(), kCcFunctionNames.end()};
}

std::vector<std::string> DefaultTexts() {
    std::vector<std::string> texts;
    for (uint8_t number : kDefaultCcNumbers) {
        texts.push_back(std::to_string(number));
    }
    return texts;
}

bool IsAuxiliary(const std::string& name) {
    return name.starts_with("Auxiliary");
}

} // namespace

TFormCc::TFormCc(std::filesystem::path presetRoot, PresetWindow::Services servicesIn)
    : Form("FormCc", "Control Change"),
      ValueListEditor("ValueListEditor", FunctionNames(), DefaultTexts()),
      StartLearning("StartLearning", "Start learning"),
      StopLearning("StopLearning", "Stop learning"), Undefine("Undefine", "Undefine"),
      UndefineAll("UndefineAll", "Undefine all"), LabelStatus("LabelStatus", ""),
      ListView("ListView", {"Number", "Value"}), CheckBoxEnable("CheckBoxEnable", "Enable"),
      LabelHelp("LabelHelp", "Reserved Controllers"),
      ListViewHelp("ListViewHelp", {"Number", "Function"},
                   {{"100", "RPN LSB"},
                    {"101", "RPN MSB"},
                    {"38", "Data LSB"},
                    {"6", "Data MSB"},
                    {"37", "Porta. LSB"},
                    {"5", "Porta. MSB"},
                    {"96", "Increment"},
                    {"97", "Decrement"}}),
      ComboBoxPreset("ComboBoxPreset", {}, 0, true), LabelPreset("LabelPreset", "Preset"),
      ButtonSave("ButtonSave", "Save"), ButtonReset("ButtonReset", "Reset"),
      ButtonDefault("ButtonDefault", "Default"), ButtonDelete("ButtonDelete", "Delete"),
      showError(servicesIn.showError),
      presets({*this, ComboBoxPreset, LabelPreset, ButtonSave, ButtonReset, ButtonDefault,
               ButtonDelete},
              {presetRoot / kFolder, ".txt", "Control Change - ", "Control Change", kConfigKey,
               [this](const std::string& name) { return ReadPreset(name); },
               [this](const std::string& name) { return WritePreset(name); },
               [this] { ApplyDefaultNumbers(); }},
              std::move(servicesIn)) {
    // The grid's first row is current from the start, so the menu always has a row to act on.
    ValueListEditor.SetRow(0);
    StopLearning.SetEnabled(false);
    ValueListEditorStringsChange();
    defaults = numbers;
    Wire();
}

void TFormCc::Wire() {
    ValueListEditor.onStringsChange = [this] { ValueListEditorStringsChange(); };
    ValueListEditor.onClick = [this] { ValueListEditorClick(); };
    ValueListEditor.onMouseDown = [this](int row, int column, bool right) {
        ValueListEditorMouseDown(row, column, right);
    };
    StartLearning.onClick = [this] { StartLearningClick(); };
    StopLearning.onClick = [this] { StopLearningClick(); };
    Undefine.onClick = [this] { UndefineClick(); };
    UndefineAll.onClick = [this] { UndefineAllClick(); };
    Observe([this] {
        if (!Visible()) {
            FormClose();
        }
    });
}

// --- the tool window ---

void TFormCc::LoadSettings(const IniFile& ini, const std::string& section,
                           const std::string& /*applicationTitle*/) {
    // The title comes from the services, which follow the running output.
    presets.ShowCaption();
    presets.LoadSettings(ini, section);
}

void TFormCc::SaveSettings(IniFile& ini, const std::string& section) const {
    presets.SaveSettings(ini, section);
}

void TFormCc::ConnectPeers(HubPeers& peers) {
    peers.Connect(static_cast<CcMap&>(*this));
}

// --- the map ---

void TFormCc::ControllerObserved(uint8_t controller, uint8_t value) {
    if (CheckBoxEnable.Checked()) {
        ListView.InsertTop({std::to_string(controller), std::to_string(value)}, kLogRows);
    }
    if (learningRow >= 0) {
        // Only a real change rewrites the row, so a knob held still costs nothing.
        ValueListEditor.SetValue(learningRow, std::to_string(controller));
    }
}

// --- handlers ---

void TFormCc::ValueListEditorStringsChange() {
    for (int row = 0; row < ValueListEditor.RowCount(); ++row) {
        numbers[static_cast<size_t>(row)] = CcNumberOf(ValueListEditor.Value(row));
    }
}

void TFormCc::ValueListEditorClick() {
    if (learningRow >= 0) {
        SetLearningRow(ValueListEditor.Row());
    }
}

void TFormCc::ValueListEditorMouseDown(int row, int column, bool right) {
    // The menu acts on the row under the pointer; a left click on a number is the grid's own
    // editing and moves nothing here.
    if ((right || column == 0) && row >= 0) {
        ValueListEditor.SetRow(row);
    }
}

void TFormCc::StartLearningClick() {
    SetLearningRow(ValueListEditor.Row());
}

void TFormCc::StopLearningClick() {
    SetLearningRow(-1);
}

void TFormCc::UndefineClick() {
    ValueListEditor.SetValue(ValueListEditor.Row(), std::to_string(kUndefinedControllers[0]),
                             false);
    ValueListEditorStringsChange();
}

void TFormCc::UndefineAllClick() {
    undefinedCursor = 0;
    for (int row = 0; row < ValueListEditor.RowCount(); ++row) {
        if (IsAuxiliary(ValueListEditor.Keys()[static_cast<size_t>(row)])) {
            continue;
        }
        ValueListEditor.SetValue(row, std::to_string(kUndefinedControllers[undefinedCursor]),
                                 false);
        undefinedCursor = (undefinedCursor + 1) % kUndefinedControllers.size();
    }
    ValueListEditorStringsChange();
}

void TFormCc::FormClose() {
    if (learningRow >= 0) {
        StopLearningClick();
    }
}

void TFormCc::SetLearningRow(int row) {
    learningRow = row >= 0 && row < ValueListEditor.RowCount() ? row : -1;
    const bool learning = learningRow >= 0;
    StartLearning.SetEnabled(!learning);
    StopLearning.SetEnabled(learning);
    ValueListEditor.SetMarkedRow(learningRow);
    LabelStatus.SetCaption(
        learning ? "Learning: " + ValueListEditor.Keys()[static_cast<size_t>(learningRow)] : "");
}

// --- presets ---

bool TFormCc::ReadPreset(const std::string& name) {
    std::optional<std::filesystem::path> path = presets.Folder().PathOf(name);
    std::error_code error;
    if (!path || !std::filesystem::exists(*path, error)) {
        return false;
    }
    FileBytes file = ReadFileBytes(*path, kMaxPresetBytes + 1);
    if (!file || file.bytes.size() > kMaxPresetBytes) {
        if (showError) {
            showError("The control change preset \"" + name + "\" cannot be read: " +
                      (file ? "it is larger than 64 KiB." : file.error + "."));
        }
        return false;
    }
    CcPresetText text(file.bytes);
    for (int row = 0; row < ValueListEditor.RowCount(); ++row) {
        if (std::optional<std::string> value =
                text.ValueOf(ValueListEditor.Keys()[static_cast<size_t>(row)])) {
            ValueListEditor.SetValue(row, NormaliseCcNumber(*value), false);
        }
    }
    ValueListEditorStringsChange();
    return true;
}

bool TFormCc::WritePreset(const std::string& name) const {
    std::optional<std::filesystem::path> path = presets.Folder().PathOf(name);
    return path && ReplaceFileContents(*path, CcPresetText::Format(ValueListEditor.Strings()));
}

void TFormCc::ApplyDefaultNumbers() {
    for (int row = 0; row < ValueListEditor.RowCount(); ++row) {
        ValueListEditor.SetValue(row, std::to_string(defaults[static_cast<size_t>(row)]), false);
    }
    ValueListEditorStringsChange();
}

} // namespace vorpline
