#include "presets/PresetWindow.h"

#include <stdexcept>

#include "platform/AsciiCase.h"
#include "platform/IniFile.h"
#include "ui/ConfirmService.h"

namespace vorpline {

namespace {

constexpr int kEnter = '\r';

} // namespace

PresetWindow::PresetWindow(Controls controls, Setup setup, Services services)
    : c(controls), setup(std::move(setup)), services(std::move(services)),
      folder(this->setup.folder, this->setup.extension, this->setup.fileSize) {
    c.ComboBoxPreset.onSelect = [this] { ComboBoxPresetSelect(); };
    c.ComboBoxPreset.onKeyUp = [this](int key) { ComboBoxPresetKeyUp(key); };
    c.ButtonSave.onClick = [this] { ButtonSaveClick(); };
    c.ButtonReset.onClick = [this] { ButtonResetClick(); };
    c.ButtonDefault.onClick = [this] { ButtonDefaultClick(); };
    c.ButtonDelete.onClick = [this] { ButtonDeleteClick(); };
}

void PresetWindow::RebuildList() {
    c.ComboBoxPreset.SetItems(folder.List());
}

bool PresetWindow::Load() {
    const std::string name = c.ComboBoxPreset.Text();
    if (name == PresetFolder::kDefaultName) {
        ApplyDefault();
        return true;
    }
    bool loaded = setup.read && setup.read(name);
    if (loaded) {
        ShowLoaded(name);
    } else {
        ShowUnloaded();
    }
    return loaded;
}

bool PresetWindow::LoadByName(const std::string& name) {
    c.ComboBoxPreset.SetText(name);
    return Load();
}

bool PresetWindow::LoadFile(const std::filesystem::path& file) {
    const std::filesystem::path home = folder.Folder();
    const std::string name = file.stem().string();
    folder.SetFolder(file.parent_path());
    const bool loaded = setup.read && setup.read(name);
    folder.SetFolder(home);
    if (loaded) {
        ShowLoaded(name);
    } else {
        ShowUnloaded();
    }
    return loaded;
}

void PresetWindow::ApplyDefault() {
    if (setup.applyDefault) {
        setup.applyDefault();
    }
    c.ComboBoxPreset.SetText(PresetFolder::kDefaultName);
    // "Default" may be the list's only entry; the built-in contents are not that entry.
    c.ComboBoxPreset.SetItemIndex(ComboBox::kNone);
    ShowUnloaded();
}

void PresetWindow::Step(int delta) {
    const int count = c.ComboBoxPreset.Count();
    if (count == 0) {
        return;
    }
    int index = c.ComboBoxPreset.ItemIndex() + delta;
    if (index < 0) {
        index = count - 1;
    } else if (index >= count) {
        index = 0;
    }
    c.ComboBoxPreset.SetItemIndex(index);
    Load();
}

void PresetWindow::ShowCaption(const std::string& name) {
    std::string caption =
        setup.captionPrefix + (services.applicationTitle ? services.applicationTitle() : "");
    if (!name.empty()) {
        caption += " - " + name;
    }
    c.form.SetCaption(caption);
}

void PresetWindow::ShowLoaded(const std::string& name) {
    c.ComboBoxPreset.SetText(name);
    const int index = c.ComboBoxPreset.ItemIndex();
    if (setup.numberedLabel) {
        c.LabelPreset.SetCaption(index == ComboBox::kNone ? "Preset"
                                                          : "Preset " + std::to_string(index + 1));
    }
    ShowCaption(name);
}

void PresetWindow::ShowUnloaded() {
    if (setup.numberedLabel) {
        c.LabelPreset.SetCaption("Preset");
    }
    ShowCaption();
}

void PresetWindow::LoadSettings(const IniFile& ini, const std::string& section) {
    std::string name = ini.ReadString(section, setup.configKey, PresetFolder::kDefaultName);
    RebuildList();
    c.ComboBoxPreset.SetText(name);
    Load();
}

void PresetWindow::SaveSettings(IniFile& ini, const std::string& section) const {
    try {
        ini.WriteString(section, setup.configKey, c.ComboBoxPreset.Text());
    } catch (const std::invalid_argument&) {
        // A text that cannot stand in an INI line names no file either; the next start
        // falls back to "Default".
        ini.DeleteKey(section, setup.configKey);
    }
}

// --- handlers ---

void PresetWindow::ComboBoxPresetSelect() {
    Load();
}

void PresetWindow::ComboBoxPresetKeyUp(int key) {
    const int index = FindCaseless(c.ComboBoxPreset.Text());
    if (index == ComboBox::kNone) {
        if (setup.numberedLabel) {
            c.LabelPreset.SetCaption("Preset");
        }
        return;
    }
    if (key != kEnter) {
        if (setup.numberedLabel) {
            c.LabelPreset.SetCaption("Preset " + std::to_string(index + 1));
        }
        return;
    }
    // File names here are case-sensitive: load the entry the lookup found, in its spelling.
    c.ComboBoxPreset.SetText(c.ComboBoxPreset.Item(index));
    Load();
}

void PresetWindow::ButtonSaveClick() {
    const std::string name = c.ComboBoxPreset.Text();
    if (name.empty()) {
        Error("You must supply a name for the preset.");
        return;
    }
    if (!Usable(name, "The Default preset cannot be saved.")) {
        return;
    }
    // A bank folder the user removed comes back rather than failing every save.
    std::error_code ignored;
    std::filesystem::create_directories(folder.Folder(), ignored);
    if (!setup.write || !setup.write(name)) {
        Error("Preset save failed.");
        return;
    }
    RebuildList();
    Load();
}

void PresetWindow::ButtonResetClick() {
    Load();
}

void PresetWindow::ButtonDefaultClick() {
    if (Confirm("Reset to default?")) {
        ApplyDefault();
    }
}

void PresetWindow::ButtonDeleteClick() {
    const std::string name = c.ComboBoxPreset.Text();
    if (name.empty()) {
        return;
    }
    if (!Usable(name, "The default preset cannot be deleted.")) {
        return;
    }
    if (!Confirm("Delete preset?")) {
        return;
    }
    if (!folder.Remove(name)) {
        Error("Preset delete failed.");
    }
    RebuildList();
    ApplyDefault();
}

// --- helpers ---

bool PresetWindow::Usable(const std::string& name, const std::string& defaultRefusal) const {
    std::string problem =
        name == PresetFolder::kDefaultName ? defaultRefusal : PresetFolder::NameProblem(name);
    if (!problem.empty()) {
        Error(problem);
    }
    return problem.empty();
}

bool PresetWindow::Confirm(const std::string& message) const {
    return services.confirm != nullptr &&
           services.confirm->Confirm(message, setup.confirmationCaption);
}

void PresetWindow::Error(const std::string& message) const {
    if (services.showError) {
        services.showError(message);
    }
}

int PresetWindow::FindCaseless(const std::string& text) const {
    const auto& items = c.ComboBoxPreset.Items();
    for (size_t i = 0; i < items.size(); ++i) {
        if (EqualsIgnoringAsciiCase(items[i], text)) {
            return static_cast<int>(i);
        }
    }
    return ComboBox::kNone;
}

} // namespace vorpline
