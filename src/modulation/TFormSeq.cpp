#include "modulation/TFormSeq.h"

#include <optional>
#include <span>
#include <vector>

#include "platform/FileBytes.h"
#include "platform/IniFile.h"

namespace vorpline {

namespace {

std::span<uint8_t, TFrameNote::kRecordSize> RecordOf(std::vector<uint8_t>& bytes, std::size_t i) {
    return std::span<uint8_t, TFrameNote::kRecordSize>(bytes.data() + i * TFrameNote::kRecordSize,
                                                       TFrameNote::kRecordSize);
}

} // namespace

TFormSeq::TFormSeq(std::filesystem::path presetRoot, PresetWindow::Services services,
                   HubEventPoster poster)
    : Form("FormSeq", "SEQ"), LabelPreset("LabelPreset", "Preset"),
      ComboBoxPreset("ComboBoxPreset", {"Default"}, 0, true), ButtonSave("ButtonSave", "Save"),
      ButtonDelete("ButtonDelete", "Delete"), ButtonReset("ButtonReset", "Reset"),
      ButtonDefault("ButtonDefault", "Default"), CheckBoxEnable("CheckBoxEnable", "Enable"),
      post(std::move(poster)),
      presets({*this, ComboBoxPreset, LabelPreset, ButtonSave, ButtonReset, ButtonDefault,
               ButtonDelete},
              {presetRoot / kFolder, kExtension, "Sequence - ", "Sequence", kConfigKey,
               [this](const std::string& name) { return ReadPreset(name); },
               [this](const std::string& name) { return WritePreset(name); },
               [this] { ResetAll(); }, false, kPresetSize},
              std::move(services)) {
    for (TFrameNote& step : FrameNote) {
        step.SetPoster([this](uint32_t packed) { Send(packed); });
    }
    InitSteps();
    CheckBoxEnable.onClick = [this] { CheckBoxEnableClick(); };
}

void TFormSeq::InitSteps() {
    for (std::size_t i = 0; i < FrameNote.size(); ++i) {
        FrameNote[i].Init(static_cast<int>(i));
    }
}

// --- the tool window ---

void TFormSeq::LoadSettings(const IniFile& ini, const std::string& section,
                            const std::string& /*applicationTitle*/) {
    // The title comes from the services, which follow the running output.
    presets.ShowCaption();
    InitSteps();
    presets.LoadSettings(ini, section);
    const std::optional<int64_t> enable =
        IniFile::ParseInteger(ini.ReadString(section, kEnableKey, "0"));
    storedEnable = enable.value_or(0) != 0;
    storedEnableApplied = false;
}

void TFormSeq::SaveSettings(IniFile& ini, const std::string& section) const {
    presets.SaveSettings(ini, section);
    // A run that never switched the stored enable on (no clock) keeps it for the next one.
    const bool enable = storedEnableApplied ? CheckBoxEnable.Checked() : storedEnable;
    ini.WriteString(section, kEnableKey, enable ? "1" : "0");
}

// --- the clock ---

void TFormSeq::Send(uint32_t packed) {
    const std::size_t note = packed >> 8 & 0x7F;
    if ((packed & 0xF0) == TFrameNote::kNoteOnStatus) {
        inFlight.set(note);
    } else if (inFlight.test(note)) {
        over.set(note);
    }
    if (post) {
        post(packed, 0);
    }
}

void TFormSeq::ClockTick() {
    inFlight.reset();
    over.reset();
    lastReport = -1;
    chainStartsLeft = kMaxChainStarts;
    if (!CheckBoxEnable.Checked()) {
        return;
    }
    for (TFrameNote& step : FrameNote) {
        step.Tick();
    }
}

void TFormSeq::ClockNote(uint8_t note, uint8_t velocity, bool on) {
    if (note >= inFlight.size()) {
        return;
    }
    const int report = note | (on ? 0x80 : 0);
    const bool repeat = report == lastReport;
    lastReport = report;
    if (!repeat) {
        if (on) {
            inFlight.reset(note);
        } else {
            // Every late note-on report came before this note-off; the release itself reaches
            // the steps as any release does.
            over.reset(note);
        }
    }
    if (on && over.test(note)) {
        return;
    }
    if (!CheckBoxEnable.Checked()) {
        return;
    }
    if (on && chainStartsLeft <= 0) {
        return; // steps answering each other without end: the chain stops here
    }
    for (TFrameNote& step : FrameNote) {
        const bool idle = step.State().StepState == TFrameNote::kIdle;
        step.NoteEvent(note, velocity, on);
        if (idle && step.State().StepState != TFrameNote::kIdle) {
            --chainStartsLeft;
        }
    }
}

void TFormSeq::ApplyStoredEnable() {
    storedEnableApplied = true;
    CheckBoxEnable.SetChecked(storedEnable);
}

void TFormSeq::Stop() {
    for (TFrameNote& step : FrameNote) {
        step.StepNoteOff();
    }
}

void TFormSeq::CheckBoxEnableClick() {
    if (!CheckBoxEnable.Checked()) {
        Stop();
    }
}

// --- presets ---

void TFormSeq::ResetAll() {
    // A step still sounding ends its note as it resets.
    for (TFrameNote& step : FrameNote) {
        step.Reset();
    }
}

bool TFormSeq::ReadPreset(const std::string& name) {
    // A failed load leaves the steps reset, not half loaded.
    ResetAll();
    const std::optional<std::filesystem::path> path = presets.Folder().PathOf(name);
    if (!path) {
        return false;
    }
    FileBytes file = ReadFileBytes(*path, kPresetSize + 1);
    if (!file || file.bytes.size() != kPresetSize) {
        return false;
    }
    for (std::size_t i = 0; i < FrameNote.size(); ++i) {
        FrameNote[i].LoadRecord(RecordOf(file.bytes, i));
    }
    return true;
}

bool TFormSeq::WritePreset(const std::string& name) const {
    const std::optional<std::filesystem::path> path = presets.Folder().PathOf(name);
    if (!path) {
        return false;
    }
    // Byte 3 of every record is covered by no field and stays 0xFF.
    std::vector<uint8_t> bytes(kPresetSize, 0xFF);
    for (std::size_t i = 0; i < FrameNote.size(); ++i) {
        FrameNote[i].StoreRecord(RecordOf(bytes, i));
    }
    return ReplaceFileContents(*path, bytes);
}

} // namespace vorpline
