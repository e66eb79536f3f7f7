#pragma once
#include <array>
#include <filesystem>
#include <functional>
#include <string>

#include "controls/FileDialog.h"
#include "presets/PresetWindow.h"
#include "presets/TSbi.h"
#include "ui/PresetParameters.h"

namespace vorpline {

class ConfirmService;
class IniFile;
struct ControllerState;
class OPL3;
class PitchControl;
class TFormMain;

// The synth panel's presets: the three banks "2op", "4op" and "6op" of ".sbi" files under the
// preset tree, chosen with ComboBoxBank, and the preset panel's list, buttons, label and
// caption. A preset is built from the panel's controls and shown back in them; loading one
// also sends the whole patch to the engine.
//
// Works without an engine (nothing audible then), as the renderer's set-up does.
// Main thread only.
class MainPresets {
public:
    static inline const std::array<std::string, 3> kBankFolders = {"2op", "4op", "6op"};
    static constexpr int kDefaultBank = 2;

    // `presetRoot` is the executable's folder + "vpx". Wires the bank and preset controls.
    MainPresets(TFormMain& form, std::filesystem::path presetRoot);
    MainPresets(const MainPresets&) = delete;
    MainPresets& operator=(const MainPresets&) = delete;

    void AttachEngine(OPL3& engine, PitchControl& pitchControl);
    // The message hub's controller state, home of the modulation ranges and portamento times.
    void AttachControllers(ControllerState& state) { controllers = &state; }
    void SetConfirmService(ConfirmService* service) {
        confirm = service;
        window.SetConfirmService(service);
    }
    // Chooses the bank file for ButtonImportBank; the view supplies it, tests replace it.
    OpenFileService openBankDialog;

    // The values of the parameter dialog and the RPN controllers, gathered from where they
    // live (bend ranges in the pitch control, modulation ranges and portamento times in the
    // controller state, legato flags in the engine; here while those are not attached).
    PresetParameters Parameters() const;
    // Sets them everywhere they live, and both parts start unbent; a preset load does this.
    void ApplyParameters(const PresetParameters& values);
    // "2op", "4op" or "6op" for the bank selected (the 6-op bank if none is).
    std::string BankFolder() const;
    TSbi& Sbi() { return sbi; }
    PresetWindow& Window() { return window; }

    void RebuildList() { window.RebuildList(); }
    // Loads the preset named by ComboBoxPreset; true when it was accepted. On failure the
    // controls and the sound stay as they were.
    bool LoadPreset() { return window.Load(); }
    // A preset file anywhere, read as if it stood in the bank; its name is the file's stem.
    bool LoadPresetFile(const std::filesystem::path& file);
    // The built-in default patch, through the setters the controls use.
    void ApplyDefault() { window.ApplyDefault(); }
    // Controllers 96 (+1) and 97 (-1), the keyboard's step message: the next or previous entry,
    // wrapping both ways, then loaded.
    void StepPreset(int delta) { window.Step(delta); }
    // Bank by folder name and preset by name or ".sbi" path, as the renderer's options say.
    // False if the bank is unknown or the preset was not loaded.
    bool SelectPreset(const std::string& bank, const std::string& preset);
    // Whether SelectPreset takes `preset` as a file path (it ends in ".sbi") rather than a name.
    static bool IsPresetFile(const std::string& preset);
    // Start-up: the bank stored under "Bank" (default 2), then the preset under "Main Preset"
    // (default "Default"), loaded. Shutdown writes both from the controls.
    void LoadSettings(const IniFile& ini, const std::string& section);

    // The current settings as the two records of a preset file.
    void BuildPatch(PatchRecord& patch, PatchExt& ext);

    // --- handlers (the rest of the panel's handlers are Window()'s) ---
    void ComboBoxBankChange();
    void ButtonSavePresetClick() { window.ButtonSaveClick(); }
    // The parameter dialog over the values as they are now; afterwards, whichever button closed
    // it, the engine hears the portamento times and legato flags again.
    void ButtonParamClick();
    // Imports a whole instrument bank file (.sb, .o3) as presets of the 2op and 4op banks,
    // replacing existing presets only after the user's OK; says in the information window what
    // it did, and lists the new presets when the selected bank received some.
    void ButtonImportBankClick();

private:
    bool ReadWith(const std::function<bool(PatchRecord&, PatchExt&)>& reader);
    bool WriteCurrent(const std::string& name);
    void ResetVoices();
    void ApplyDefaultSettings();
    // ApplyParameters without touching the current bends.
    void SetParameters(const PresetParameters& values);

    TFormMain& form;
    TSbi sbi;
    PresetWindow window;
    OPL3* chip = nullptr;
    PitchControl* pitch = nullptr;
    ControllerState* controllers = nullptr;
    ConfirmService* confirm = nullptr;
    PresetParameters params;
};

} // namespace vorpline
