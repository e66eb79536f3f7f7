#pragma once
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <string>

#include "controls/Form.h"
#include "ui/MainPanels.h"
#include "ui/OperatorEditor.h"

namespace vorpline {

class FM801;
class Mixer;
class OPL3;
class PitchControl;
class UiService;

// The synthesizer panel, the program's one permanent window. It owns the panel's controls
// (MainPanels), gives each its behaviour and reaches the sound through the engine and the
// output mixer, which start-up attaches once it has created them. Until then the controls
// work but change nothing audible.
// Main thread only.
class TFormMain : public Form, public MainPanels {
public:
    static inline const std::string kApplicationTitle = "Vorpline 4.30";

    // `assetFolder` holds the algorithm pictures cnt0.jpg .. cnt7.jpg (the executable's folder
    // + "assets/small").
    explicit TFormMain(std::filesystem::path assetFolder);
    TFormMain(const TFormMain&) = delete;
    TFormMain& operator=(const TFormMain&) = delete;

    // The panel's pictures: the schematics here, the waveform pictures for the view.
    const std::filesystem::path& AssetFolder() const { return assetFolder; }

    // --- what start-up attaches and sets ---
    void AttachEngine(OPL3& engine, PitchControl& pitchControl);
    // `attenuator` is the same object as `mixer` when the output is an FM801 card, else null;
    // ComboBoxDiv is enabled only with one, and then set to "Off" and applied.
    void AttachMixer(Mixer& mixer, FM801* attenuator = nullptr);
    // Volume, pan and mute; disabled for outputs that have no mixer.
    void EnableVolumeControls(bool on);
    // Puts the mixer's current volume and pan into the track bars and clears Mute, without
    // writing them back.
    void ShowMixerLevels();
    // Registers an optional window behind its module button (null = absent); the button is
    // enabled exactly while a window is registered.
    void SetModuleWindow(Button& button, Form* window);
    // Without the control-change map the frames' "CC" flags mean nothing.
    void EnableOperatorCc(bool on);
    // With the drum kit, part 5/6 has three channels: the modes above "Poly 3" go.
    void RemoveDrumModes();
    // The millisecond clock and double-click time behind ToggleShow of the module buttons.
    std::function<uint32_t()> nowMs;
    uint32_t doubleClickMs = 400;
    UiService* ui = nullptr;

    const std::string& ApplicationTitle() const { return applicationTitle; }
    // Start-up appends the output, e.g. " (SB16@0220)".
    void SetApplicationTitle(std::string title) { applicationTitle = std::move(title); }
    // "FM Synth - " + application title, plus " - " + preset when a stored preset is current.
    void ShowPresetCaption(const std::string& preset = {});
    bool Closing() const { return closing; }
    void SetClosing() { closing = true; }

    // --- used by the other parts of the program ---
    // Shows the value in ComboBoxTranspose and retunes both parts (controllers, presets).
    void SetMasterTuning(int cents);
    // Heard when the user types or picks a transposition: the controller state resets its
    // fine tuning to 0 there.
    std::function<void(int cents)> onTransposeTyped;
    // The note counter of a part (0 = 1-4, 1 = 5/6).
    void ShowNotes(int part, int count);
    // Reloads cnt<index>.jpg for ComboBoxCNT; false (old picture kept) if it cannot be read.
    bool LoadSchematic();
    // Gives ComboBoxDiv's choice to the FM801 attenuator (nothing for other outputs).
    void ApplyAttenuator();
    // The error window: message in a window titled title + " - " + application title.
    void ShowInfo(const std::string& message, const std::string& title);

    void GetOperator(int op, OperatorRecord& record) const { editor.GetOperator(op, record); }
    void PutOperator(int op, const OperatorRecord& record) { editor.PutOperator(op, record); }
    void ClearOperator(int op) { editor.ClearOperator(op); }
    // The tuning list editor for operator `op` (0..5), modal; its "OK" replaces the frame's
    // list. The operator editor then selects the entry to play.
    void EditTuningList(int op);
    // The operators' part of the built-in default patch: every operator cleared.
    void ApplyDefaultOperators();
    OperatorEditor& Operators() { return editor; }

private:
    void WirePart(const PartPanel& panel);
    void WireOutput();
    void WireModules();

    void ComboBoxTransposeChange();
    void PartFeedbackChange(int part);
    void PartOutputClick(int part, bool leftBox);
    void PartModeChange(int part);
    void PartPriorityChange(int part);
    void ComboBoxCNTChange();
    void ComboBoxTDChange();
    void ComboBoxVDChange();
    void TrackBarVolumeChange();
    void CheckBoxMuteClick();
    void ModuleButtonClick(Button& button);

    std::filesystem::path assetFolder;
    OperatorEditor editor;
    OPL3* chip = nullptr;
    PitchControl* pitch = nullptr;
    Mixer* mixer = nullptr;
    FM801* fm801 = nullptr;
    bool fillingLevels = false;
    int schematicIndex = ComboBox::kNone;
    std::map<const Button*, Form*> moduleWindows;
    std::string applicationTitle = kApplicationTitle;
    bool closing = false;
};

} // namespace vorpline
