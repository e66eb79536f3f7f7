#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "controls/Button.h"
#include "controls/ComboBox.h"
#include "controls/Form.h"
#include "controls/Label.h"
#include "presets/PresetFolder.h"

namespace vorpline {

class ConfirmService;
class IniFile;

// The preset panel every preset window has: a box to pick or type a name, a "Preset" label and
// the buttons Save, Reset, Default and Delete, working on one folder of files. A window gives
// its folder, texts and three operations (read a file into its contents, write its contents
// to a file, put its built-in contents in place); this class does the rest: listing, loading
// by pick, Enter, Reset or step, saving with the checks and messages, the two confirmations,
// the caption and the configuration key.
//
// The name "Default" always means the built-in contents: it is never read, written or deleted.
// Main thread only.
class PresetWindow {
public:
    struct Controls {
        Form& form;
        ComboBox& ComboBoxPreset;
        Label& LabelPreset;
        Button& ButtonSave;
        Button& ButtonReset;
        Button& ButtonDefault;
        Button& ButtonDelete;
    };

    struct Setup {
        std::filesystem::path folder;
        std::string extension;
        std::string captionPrefix;       // "LFO - "
        std::string confirmationCaption; // "LFO"
        std::string configKey;           // "LFO Preset"
        // Loads preset `name` into the window (the name is unchecked: use PresetFolder::PathOf
        // or a reader that checks). False = not loaded; the window decides what it then shows.
        std::function<bool(const std::string& name)> read;
        // Writes the window's contents as preset `name` (already checked as a file name).
        std::function<bool(const std::string& name)> write;
        // The built-in contents.
        std::function<void()> applyDefault;
        // The main window's label counts: "Preset 3" for the third entry.
        bool numberedLabel = false;
        // Fixed-size formats list only files of exactly this many bytes.
        std::optional<std::uintmax_t> fileSize = std::nullopt;
    };

    struct Services {
        std::function<std::string()> applicationTitle;
        // The information window titled "Error".
        std::function<void(const std::string& message)> showError;
        ConfirmService* confirm = nullptr; // null = every question answered "Cancel"
    };

    // Wires the handlers into the controls.
    PresetWindow(Controls controls, Setup setup, Services services);
    PresetWindow(const PresetWindow&) = delete;
    PresetWindow& operator=(const PresetWindow&) = delete;

    void SetConfirmService(ConfirmService* service) { services.confirm = service; }
    // Who answers this window's questions; other dialogs over the window ask the same way.
    ConfirmService* Confirmations() const { return services.confirm; }
    // The box with the list and the current name, for dialogs that pick presets by name.
    const ComboBox& PresetBox() const { return c.ComboBoxPreset; }
    const PresetFolder& Folder() const { return folder; }
    // The main window's bank selector moves the window to another folder.
    void SetFolder(std::filesystem::path path) { folder.SetFolder(std::move(path)); }

    // Refills the list from the folder; the text stays.
    void RebuildList();
    // Loads the preset named by the text; true when it was loaded ("Default" always is).
    bool Load();
    // Puts `name` into the box and loads it.
    bool LoadByName(const std::string& name);
    // A preset file anywhere (its extension the folder's), read as if it stood in the folder;
    // its name is the file's stem. The folder stays where it was.
    bool LoadFile(const std::filesystem::path& file);
    // The built-in contents, then: no entry selected, text "Default", caption without a name.
    void ApplyDefault();
    // Moves the selection by `delta` and loads: past the end to the first entry, before the
    // start (or from no selection backwards) to the last.
    void Step(int delta);
    // Caption: prefix + application title, with " - " + name when a stored preset is current.
    void ShowCaption(const std::string& name = {});
    // The label and caption after a successful load of `name`, selecting its list entry.
    void ShowLoaded(const std::string& name);
    // The label and caption when nothing stored is current.
    void ShowUnloaded();

    // The last preset from the configuration key (default "Default"): list, text, load.
    void LoadSettings(const IniFile& ini, const std::string& section);
    void SaveSettings(IniFile& ini, const std::string& section) const;

    // --- handlers ---
    void ComboBoxPresetSelect();
    void ComboBoxPresetKeyUp(int key);
    void ButtonSaveClick();
    void ButtonResetClick();
    void ButtonDefaultClick();
    void ButtonDeleteClick();

private:
    // False, with the reason shown, for "Default" and for names no file may have.
    bool Usable(const std::string& name, const std::string& defaultRefusal) const;
    bool Confirm(const std::string& message) const;
    void Error(const std::string& message) const;
    // Index of the list entry equal to `text` ignoring case, or ComboBox::kNone.
    int FindCaseless(const std::string& text) const;

    Controls c;
    Setup setup;
    Services services;
    PresetFolder folder;
};

} // namespace vorpline
