#include "modulation/TFormLFO.h"

#include <span>

#include "platform/FileBytes.h"
#include "platform/IniFile.h"

namespace vorpline {

namespace {

// Destinations 0..7 name one LFO; 8 ("LFO 1 to 8") and 0xFF (from the MIDI input) name all.
constexpr uint8_t kFirstShared = TFormLFO::kLfoCount;

std::span<uint8_t, TFrameLFO::kRecordSize> RecordOf(std::vector<uint8_t>& bytes, std::size_t i) {
    return std::span<uint8_t, TFrameLFO::kRecordSize>(bytes.data() + i * TFrameLFO::kRecordSize,
                                                      TFrameLFO::kRecordSize);
}

} // namespace

TFormLFO::TFormLFO(std::filesystem::path presetRoot, PresetWindow::Services services,
                   MidiOutPortSystem& ports, std::vector<std::string> sendList,
                   const CcNumberTable* table, Links linksIn)
    : Form("FormLFO", "LFO"), LabelPreset("LabelPreset", "Preset"),
      ComboBoxPreset("ComboBoxPreset", {}, 0, true), ButtonSave("ButtonSave", "Save"),
      ButtonDelete("ButtonDelete", "Delete"), ButtonReset("ButtonReset", "Reset"),
      ButtonDefault("ButtonDefault", "Default"), LabelAux("LabelAux", "Aux."),
      ComboBoxAux("ComboBoxAux", {MidiOut::kNoOutput, kRefreshList}),
      ButtonCalc("ButtonCalc", "Calc"), CheckBoxEnable("CheckBoxEnable", "Enable"),
      PageControlLFO("PageControlLFO", "", {"1 - 4", "5 - 8"}, kTabSheet1234),
      links(std::move(linksIn)), aux(ports, services.showError),
      presets({*this, ComboBoxPreset, LabelPreset, ButtonSave, ButtonReset, ButtonDefault,
               ButtonDelete},
              {presetRoot / kFolder, kExtension, "LFO - ", "LFO", kConfigKey,
               [this](const std::string& name) { return ReadPreset(name); },
               [this](const std::string& name) { return WritePreset(name); },
               [this] { ResetAll(); }, false, kPresetSize},
              std::move(services)) {
    for (int i = 0; i < kLfoCount; ++i) {
        TFrameLFO::Links frameLinks{[this](uint32_t packed, uint32_t param) {
                                        if (links.post) {
                                            links.post(packed, param);
                                        }
                                    },
                                    [this] {
                                        if (links.clearLfoPitch) {
                                            links.clearLfoPitch();
                                        }
                                    },
                                    [this] { return CheckBoxEnable.Checked(); },
                                    [this](int beatsPerBar, int ticks) -> std::optional<int> {
                                        return links.calculator
                                                   ? links.calculator(beatsPerBar, ticks)
                                                   : std::nullopt;
                                    }};
        FrameLFO[static_cast<std::size_t>(i)].Init(i, sendList, table, &aux, std::move(frameLinks));
    }
    Wire();
}

void TFormLFO::Wire() {
    CheckBoxEnable.onClick = [this] { CheckBoxEnableClick(); };
    ComboBoxAux.onChange = [this] { ComboBoxAuxChange(); };
    ButtonCalc.onClick = [this] { ButtonCalcClick(); };
}

void TFormLFO::SetCalculator(TickCalculator calculator) {
    links.calculator = std::move(calculator);
}

// --- the tool window ---

void TFormLFO::LoadSettings(const IniFile& ini, const std::string& section,
                            const std::string& /*applicationTitle*/) {
    // The title comes from the services, which follow the running output.
    presets.ShowCaption();
    PageControlLFO.SetItemIndex(kTabSheet1234);
    // The list starts on "No midi output"; a port left open would contradict it.
    if (aux.IsOpen()) {
        aux.Close();
    }
    FillAuxList();
    const int stored = ComboBoxAux.IndexOf(ini.ReadString(section, kAuxKey, MidiOut::kNoOutput));
    // The last entry is "Refresh list", never a device.
    if (stored > 0 && stored < ComboBoxAux.Count() - 1) {
        ComboBoxAux.SetItemIndex(stored);
        ComboBoxAuxChange();
    }
    presets.LoadSettings(ini, section);
    const std::optional<int64_t> enable =
        IniFile::ParseInteger(ini.ReadString(section, kEnableKey, "0"));
    storedEnable = enable.value_or(0) != 0;
    storedEnableApplied = false;
}

void TFormLFO::SaveSettings(IniFile& ini, const std::string& section) const {
    presets.SaveSettings(ini, section);
    // A run that never switched the stored enable on (no clock) keeps it for the next one.
    const bool enable = storedEnableApplied ? CheckBoxEnable.Checked() : storedEnable;
    ini.WriteString(section, kEnableKey, enable ? "1" : "0");
    ini.WriteString(section, kAuxKey,
                    ComboBoxAux.ItemIndex() >= 0 ? ComboBoxAux.Text() : MidiOut::kNoOutput);
}

void TFormLFO::BeforeShutdown() {
    for (TFrameLFO& lfo : FrameLFO) {
        lfo.Pause();
    }
    if (aux.IsOpen()) {
        aux.Close();
    }
}

// --- the clock ---

void TFormLFO::ClockTick() {
    if (!CheckBoxEnable.Checked()) {
        return;
    }
    for (TFrameLFO& lfo : FrameLFO) {
        lfo.Tick();
    }
}

void TFormLFO::ClockStart() {
    stopped = false;
    if (!CheckBoxEnable.Checked()) {
        return;
    }
    for (TFrameLFO& lfo : FrameLFO) {
        lfo.Pause();
        lfo.Trigger(false);
    }
}

void TFormLFO::ClockStop() {
    // A second Pause would overwrite the count Continue gives back with 0, and outside clocks
    // repeat Stop (one when the transport stops, another before its Continue): once stopped,
    // only the LFOs started since (by keys or switches) pause.
    for (TFrameLFO& lfo : FrameLFO) {
        if (!stopped || lfo.Running()) {
            lfo.Pause();
        }
    }
    stopped = true;
}

void TFormLFO::ClockContinue() {
    stopped = false;
    if (!CheckBoxEnable.Checked()) {
        return;
    }
    for (TFrameLFO& lfo : FrameLFO) {
        lfo.Resume();
    }
}

void TFormLFO::ClockNote(uint8_t note, uint8_t velocity, bool on) {
    if (!CheckBoxEnable.Checked()) {
        return;
    }
    for (TFrameLFO& lfo : FrameLFO) {
        lfo.NoteEvent(note, velocity, on);
    }
}

void TFormLFO::ApplyStoredEnable() {
    storedEnableApplied = true;
    CheckBoxEnable.SetChecked(storedEnable);
}

void TFormLFO::SwitchTo(uint8_t source, uint8_t destination,
                        const std::function<void(TFrameLFO&)>& event) {
    if (!CheckBoxEnable.Checked()) {
        return;
    }
    for (int i = 0; i < kLfoCount; ++i) {
        if (i != source && (destination >= kFirstShared || destination == i)) {
            event(FrameLFO[static_cast<std::size_t>(i)]);
        }
    }
}

void TFormLFO::Switch1(uint8_t value, uint8_t source, uint8_t destination) {
    SwitchTo(source, destination, [value](TFrameLFO& lfo) { lfo.Switch1Event(value); });
}

void TFormLFO::Switch2(uint8_t value, uint8_t source, uint8_t destination) {
    SwitchTo(source, destination, [value](TFrameLFO& lfo) { lfo.Switch2Event(value); });
}

void TFormLFO::LfoModulation(uint8_t value, uint8_t /*source*/, uint8_t destination) {
    if (!CheckBoxEnable.Checked()) {
        return;
    }
    for (int i = 0; i < kLfoCount; ++i) {
        TFrameLFO& lfo = FrameLFO[static_cast<std::size_t>(i)];
        if (destination >= kFirstShared ? lfo.CheckBoxRecv.Checked() : destination == i) {
            lfo.ModulationEvent(value);
        }
    }
}

// --- handlers ---

void TFormLFO::CheckBoxEnableClick() {
    if (CheckBoxEnable.Checked()) {
        ClockStart();
        return;
    }
    ClockStop();
    if (links.clearLfoPitch) {
        links.clearLfoPitch();
    }
}

void TFormLFO::FillAuxList() {
    std::vector<std::string> items = aux.ListDevices(true);
    items.push_back(kRefreshList);
    ComboBoxAux.SetItems(std::move(items));
    ComboBoxAux.SetItemIndex(0);
}

void TFormLFO::ComboBoxAuxChange() {
    if (aux.IsOpen()) {
        aux.Close();
    }
    const int selected = ComboBoxAux.ItemIndex();
    if (selected == ComboBoxAux.Count() - 1 && ComboBoxAux.Text() == kRefreshList) {
        FillAuxList();
        return;
    }
    if (selected > 0) {
        aux.Open(ComboBoxAux.Text());
    }
}

void TFormLFO::ButtonCalcClick() {
    if (links.calculator) {
        links.calculator(-1, 96);
    }
}

// --- presets ---

void TFormLFO::ResetAll() {
    for (TFrameLFO& lfo : FrameLFO) {
        lfo.Reset();
    }
}

bool TFormLFO::ReadPreset(const std::string& name) {
    // A failed load leaves the LFOs reset, not half loaded.
    ResetAll();
    std::optional<std::filesystem::path> path = presets.Folder().PathOf(name);
    if (!path) {
        return false;
    }
    FileBytes file = ReadFileBytes(*path, kPresetSize + 1);
    if (!file || file.bytes.size() != kPresetSize) {
        return false;
    }
    for (std::size_t i = 0; i < FrameLFO.size(); ++i) {
        FrameLFO[i].LoadRecord(RecordOf(file.bytes, i));
    }
    return true;
}

bool TFormLFO::WritePreset(const std::string& name) const {
    std::optional<std::filesystem::path> path = presets.Folder().PathOf(name);
    if (!path) {
        return false;
    }
    // Bytes no field covers stay 0xFF.
    std::vector<uint8_t> bytes(kPresetSize, 0xFF);
    for (std::size_t i = 0; i < FrameLFO.size(); ++i) {
        FrameLFO[i].StoreRecord(RecordOf(bytes, i));
    }
    return ReplaceFileContents(*path, bytes);
}

} // namespace vorpline
