#include "ui/MainPresets.h"

#include <algorithm>

#include "engine/OPL3.h"
#include "engine/PitchControl.h"
#include "midi/ControllerState.h"
#include "platform/FileBytes.h"
#include "platform/IniFile.h"
#include "presets/BankImport.h"
#include "presets/TFormParam.h"
#include "ui/ConfirmService.h"
#include "ui/PatchControls.h"
#include "ui/TFormMain.h"
#include "ui/UiService.h"

namespace vorpline {

namespace {

constexpr int kPanelVolume = 25;
constexpr int kHighestOctave = 10;
constexpr int kPoly6 = 6;
constexpr int kPriorityLast = 2;
constexpr int kBendCentre = 8192;
constexpr uint16_t kMaxPortamento = 127;

// The setters below run the control's handler even when the value does not change, so the
// engine hears every value of the default patch whatever it held before.
void Select(ComboBox& box, int index) {
    box.SetItemIndex(index);
    box.Change();
}

void Tick(CheckBox& box, bool on) {
    if (box.Checked() == on) {
        Fire(box.onClick);
    } else {
        box.SetChecked(on);
    }
}

void Move(TrackBar& bar, int position) {
    if (bar.Position() == position) {
        Fire(bar.onChange);
    } else {
        bar.SetPosition(position);
    }
}

} // namespace

MainPresets::MainPresets(TFormMain& form, std::filesystem::path presetRoot)
    : form(form), sbi(std::move(presetRoot)),
      window({form, form.ComboBoxPreset, form.LabelPreset, form.ButtonSavePreset, form.ButtonReset,
              form.ButtonDefault, form.ButtonDelete},
             {sbi.Root() / BankFolder(), TSbi::kExtension, "FM Synth - ", "FM Synth", "Main Preset",
              [this](const std::string& name) {
                  return ReadWith([&](PatchRecord& patch, PatchExt& ext) {
                      return sbi.Read(BankFolder(), name, patch, ext);
                  });
              },
              [this](const std::string& name) { return WriteCurrent(name); },
              [this] { ApplyDefaultSettings(); }, true},
             {[&form] { return form.ApplicationTitle(); },
              [&form](const std::string& message) { form.ShowInfo(message, "Error"); }, nullptr}) {
    form.ComboBoxBank.onChange = [this] { ComboBoxBankChange(); };
    form.ButtonParam.onClick = [this] { ButtonParamClick(); };
    form.ButtonImportBank.onClick = [this] { ButtonImportBankClick(); };
}

void MainPresets::AttachEngine(OPL3& engine, PitchControl& pitchControl) {
    chip = &engine;
    pitch = &pitchControl;
}

std::string MainPresets::BankFolder() const {
    int index = form.ComboBoxBank.ItemIndex();
    return index >= 0 && index < static_cast<int>(kBankFolders.size())
               ? kBankFolders[static_cast<size_t>(index)]
               : kBankFolders[kDefaultBank];
}

bool MainPresets::LoadPresetFile(const std::filesystem::path& file) {
    bool loaded = ReadWith(
        [&](PatchRecord& patch, PatchExt& ext) { return TSbi::ReadFile(file, patch, ext); });
    if (loaded) {
        window.ShowLoaded(file.stem().string());
    } else {
        window.ShowUnloaded();
    }
    return loaded;
}

bool MainPresets::SelectPreset(const std::string& bank, const std::string& preset) {
    auto it = std::find(kBankFolders.begin(), kBankFolders.end(), bank);
    if (it == kBankFolders.end()) {
        return false;
    }
    form.ComboBoxBank.SetItemIndex(static_cast<int>(it - kBankFolders.begin()));
    ComboBoxBankChange();
    if (IsPresetFile(preset)) {
        return LoadPresetFile(preset);
    }
    form.ComboBoxPreset.SetText(preset);
    return LoadPreset();
}

bool MainPresets::IsPresetFile(const std::string& preset) {
    const std::string& ext = TSbi::kExtension;
    return preset.size() > ext.size() &&
           preset.compare(preset.size() - ext.size(), ext.size(), ext) == 0;
}

void MainPresets::LoadSettings(const IniFile& ini, const std::string& section) {
    auto bank =
        IniFile::ParseInteger(ini.ReadString(section, "Bank", std::to_string(kDefaultBank)));
    // A bank position that is no entry would leave the presets without a folder.
    form.ComboBoxBank.SetItemIndex(bank && *bank >= 0 &&
                                           *bank < static_cast<int>(kBankFolders.size())
                                       ? static_cast<int>(*bank)
                                       : kDefaultBank);
    ComboBoxBankChange();
    window.LoadSettings(ini, section);
}

void MainPresets::BuildPatch(PatchRecord& patch, PatchExt& ext) {
    vorpline::BuildPatch(form, Parameters(), patch, ext);
}

// --- handlers ---

void MainPresets::ComboBoxBankChange() {
    window.SetFolder(sbi.Root() / BankFolder());
    window.RebuildList();
    // Another bank names other presets: nothing is current, the sound stays, and neither the
    // label nor the title may go on naming the old bank's preset.
    form.ComboBoxPreset.SetText("");
    window.ShowUnloaded();
}

void MainPresets::ButtonParamClick() {
    if (form.ui == nullptr) {
        return;
    }
    PresetParameters edited = Parameters();
    TFormParam dialog(edited, form.ApplicationTitle());
    form.ui->ShowParam(dialog);
    // Controllers may have moved a value while the dialog was open (RPN, portamento time):
    // after "Cancel" those stay, only "OK" replaces them. The wheel keeps its bend either way.
    SetParameters(dialog.Accepted() ? edited : Parameters());
}

// --- helpers ---

bool MainPresets::ReadWith(const std::function<bool(PatchRecord&, PatchExt&)>& reader) {
    ResetVoices();
    // The file overlays what the panel holds: a 2-op preset keeps operators 1-4 and every
    // setting, and a rejected file changes nothing.
    PatchRecord patch;
    PatchExt ext;
    BuildPatch(patch, ext);
    bool loaded = reader(patch, ext);
    ShowPatch(form, patch, ext);
    ApplyParameters(ParametersOf(ext));
    if (chip != nullptr) {
        chip->ApplyPatch(patch, ext);
    }
    form.ApplyAttenuator();
    return loaded;
}

bool MainPresets::WriteCurrent(const std::string& name) {
    PatchRecord patch;
    PatchExt ext;
    BuildPatch(patch, ext);
    return sbi.Write(BankFolder(), name, patch, ext);
}

void MainPresets::ResetVoices() {
    if (chip != nullptr) {
        chip->ResetChip(false);
    }
    form.ShowNotes(OPL3::kPart1234, 0);
    form.ShowNotes(OPL3::kPart56, 0);
}

PresetParameters MainPresets::Parameters() const {
    PresetParameters values = params;
    for (size_t part = 0; part < 2; ++part) {
        if (pitch != nullptr) {
            values.bendRange[part] = pitch->BendRange(static_cast<int>(part));
        }
        if (controllers != nullptr) {
            values.modulationRange[part] = controllers->modulationRange[part];
            values.portamentoTime[part] = controllers->portamentoTime[part];
        }
    }
    if (chip != nullptr) {
        values.legatoFlags = chip->LegatoFlags();
    }
    return values;
}

void MainPresets::ApplyParameters(const PresetParameters& values) {
    SetParameters(values);
    if (pitch != nullptr) {
        // A new patch starts unbent.
        pitch->PitchBend(OPL3::kPart1234, kBendCentre);
        pitch->PitchBend(OPL3::kPart56, kBendCentre);
    }
}

void MainPresets::SetParameters(const PresetParameters& values) {
    params = values;
    for (auto& time : params.portamentoTime) {
        time = std::min(time, kMaxPortamento);
    }
    for (int part = 0; part < 2; ++part) {
        const auto i = static_cast<size_t>(part);
        if (pitch != nullptr) {
            pitch->SetBendRange(part, params.bendRange[i]);
        }
        if (controllers != nullptr) {
            controllers->modulationRange[i] = params.modulationRange[i];
            controllers->portamentoTime[i] = params.portamentoTime[i];
        }
        if (chip != nullptr) {
            chip->SetPortamentoTime(part, params.portamentoTime[i]);
        }
    }
    if (chip != nullptr) {
        chip->SetLegatoFlags(params.legatoFlags);
    }
}

void MainPresets::ApplyDefaultSettings() {
    ResetVoices();
    form.ComboBoxTR1.SetText("0 cents");
    form.ComboBoxTR2.SetText("0 cents");
    Select(form.ComboBoxFB, 0);
    Select(form.ComboBoxFB2, 0);
    Select(form.ComboBoxCNT, 0);
    Select(form.ComboBoxTD, 0);
    Select(form.ComboBoxVD, 0);
    for (CheckBox* output :
         {&form.CheckBoxA, &form.CheckBoxB, &form.CheckBoxA2, &form.CheckBoxB2}) {
        Tick(*output, true);
    }
    Move(form.TrackBarPan, 0);
    Move(form.TrackBarVolume, kPanelVolume);
    Select(form.ComboBoxDiv, 0);
    Tick(form.CheckBoxMute, false);
    for (int part = 0; part < 2; ++part) {
        PartPanel p = form.Panel(part);
        Select(p.low, 0);
        Select(p.high, kHighestOctave);
        Select(p.midiChannel, 0);
        // With the drum kit the last mode of part 5/6 is "Poly 3".
        Select(p.mode, part == 0 ? kPoly6 : p.mode.Count() - 1);
        Select(p.priority, kPriorityLast);
    }
    form.ApplyDefaultOperators();
}

} // namespace vorpline

namespace vorpline {

void MainPresets::ButtonImportBankClick() {
    if (!openBankDialog) {
        return;
    }
    FileRequest request;
    request.title = "Import bank";
    request.filter = "OPL3 instrument banks|*.sb;*.o3|All files|*";
    const auto chosen = openBankDialog(request);
    if (!chosen) {
        return;
    }
    // Two bytes more than the largest bank tell an over-long file.
    const FileBytes read = ReadFileBytes(*chosen, 128 * 60 + 2);
    ParsedBank bank;
    if (read) {
        bank = ParseBank(read.bytes);
    } else {
        bank.problem = read.error;
    }
    const BankImportResult result =
        ImportBank(sbi.Root(), bank, std::nullopt, [this](const std::vector<std::string>& names) {
            std::string message = std::to_string(names.size()) + " presets exist already:";
            for (size_t i = 0; i < names.size() && i < 8; ++i) {
                message += "\n" + names[i];
            }
            if (names.size() > 8) {
                message += "\n...";
            }
            return confirm != nullptr &&
                   confirm->Confirm(message + "\nReplace them?", form.ApplicationTitle());
        });
    if (!result.problem.empty()) {
        form.ShowInfo("Cannot import " + std::filesystem::path(*chosen).filename().string() + ": " +
                          result.problem,
                      "Error");
        return;
    }
    if (result.cancelled) {
        return;
    }
    int counts[2] = {0, 0};
    bool selectedBank = false;
    for (const ImportedPreset& p : result.presets) {
        ++counts[p.folder == "4op" ? 1 : 0];
        selectedBank = selectedBank || p.folder == BankFolder();
    }
    if (selectedBank) {
        RebuildList();
    }
    form.ShowInfo("Imported " + std::to_string(counts[0]) + " presets into 2op and " +
                      std::to_string(counts[1]) + " into 4op.",
                  "Information");
}

} // namespace vorpline
