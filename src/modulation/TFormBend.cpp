#include "modulation/TFormBend.h"

#include <optional>
#include <utility>

#include "platform/FileBytes.h"
#include "platform/IniFile.h"

namespace vorpline {

namespace {

constexpr uint8_t kUnused = 0xFF;

// The receive boxes by their bit in the flags byte.
constexpr std::array<CheckBox TFormBend::*, TFormBend::kReceiveCount> kReceiveBits = {
    &TFormBend::CheckBoxRegAnd,  &TFormBend::CheckBoxRegOr,  &TFormBend::CheckBoxRegEor,
    &TFormBend::CheckBoxDataAnd, &TFormBend::CheckBoxDataOr, &TFormBend::CheckBoxDataEor};

std::span<const uint8_t, TFrameBend::kRecordSize> RecordAt(std::span<const uint8_t> bytes,
                                                           std::size_t frame) {
    return bytes.subspan(frame * TFrameBend::kRecordSize).first<TFrameBend::kRecordSize>();
}

} // namespace

TFormBend::TFormBend(std::filesystem::path presetRoot, PresetWindow::Services services,
                     TFrameBend::RandomSource randomIn)
    : Form("FormBend", "Circuit Bend"), LabelPreset("LabelPreset", "Preset"),
      ComboBoxPreset("ComboBoxPreset", {}, 0, true), ButtonSave("ButtonSave", "Save"),
      ButtonDelete("ButtonDelete", "Delete"), ButtonReset("ButtonReset", "Reset"),
      ButtonDefault("ButtonDefault", "Default"), CheckBoxEnable("CheckBoxEnable", "Enable"),
      GroupBoxRegister("GroupBoxRegister", "Register"), GroupBoxData("GroupBoxData", "Data"),
      GroupBoxCC("GroupBoxCC", "CC"),
      // The three frames draw from one generator, as they would from the C library's.
      FrameRegister([this] { return random(); }), FrameData([this] { return random(); }),
      FrameCC([this] { return random(); }), LabelReceive("LabelReceive", "Receive"),
      CheckBoxRegAnd("CheckBoxRegAnd", "Reg. AND"), CheckBoxRegOr("CheckBoxRegOr", "Reg. OR"),
      CheckBoxRegEor("CheckBoxRegEor", "Reg. EOR"), CheckBoxDataAnd("CheckBoxDataAnd", "Data AND"),
      CheckBoxDataOr("CheckBoxDataOr", "Data OR"), CheckBoxDataEor("CheckBoxDataEor", "Data EOR"),
      random(randomIn ? std::move(randomIn) : TFrameBend::SeededFromClock()),
      presets({*this, ComboBoxPreset, LabelPreset, ButtonSave, ButtonReset, ButtonDefault,
               ButtonDelete},
              {presetRoot / kFolder, kExtension, "Circuit Bend - ", "Circuit Bend", kConfigKey,
               [this](const std::string& name) { return ReadPreset(name); },
               [this](const std::string& name) { return WritePreset(name); },
               [this] { ApplyDefault(); }, false, kPresetSize},
              std::move(services)) {}

std::array<CheckBox*, TFormBend::kReceiveCount> TFormBend::ReceiveBoxes() {
    std::array<CheckBox*, kReceiveCount> boxes{};
    for (std::size_t bit = 0; bit < boxes.size(); ++bit) {
        boxes[bit] = &(this->*kReceiveBits[bit]);
    }
    return boxes;
}

// --- the tool window ---

void TFormBend::LoadSettings(const IniFile& ini, const std::string& section,
                             const std::string& /*applicationTitle*/) {
    // The title comes from the services, which follow the running output.
    presets.ShowCaption();
    ApplyDefault();
    presets.LoadSettings(ini, section);
    const std::optional<int64_t> enable =
        IniFile::ParseInteger(ini.ReadString(section, kEnableKey, "0"));
    storedEnable = enable.value_or(0) != 0;
    storedEnableApplied = false;
}

void TFormBend::SaveSettings(IniFile& ini, const std::string& section) const {
    presets.SaveSettings(ini, section);
    // A run that ended before start-up finished keeps the stored enable for the next one.
    const bool enable = storedEnableApplied ? CheckBoxEnable.Checked() : storedEnable;
    ini.WriteString(section, kEnableKey, enable ? "1" : "0");
}

void TFormBend::AfterStartUp() {
    storedEnableApplied = true;
    CheckBoxEnable.SetChecked(storedEnable);
}

// --- the engine ---

uint8_t TFormBend::BendRegister(uint8_t address) {
    return CheckBoxEnable.Checked() ? FrameRegister.BendByte(address) : address;
}

uint8_t TFormBend::BendData(uint8_t value) {
    return CheckBoxEnable.Checked() ? FrameData.BendByte(value) : value;
}

void TFormBend::CcEvent(uint8_t value) {
    if (!CheckBoxEnable.Checked()) {
        return;
    }
    const uint8_t v = FrameCC.BendByte(value);
    if (CheckBoxRegAnd.Checked()) {
        FrameRegister.SetAnd(v);
    }
    if (CheckBoxRegOr.Checked()) {
        FrameRegister.SetOr(v);
    }
    if (CheckBoxRegEor.Checked()) {
        FrameRegister.SetEor(v);
    }
    if (CheckBoxDataAnd.Checked()) {
        FrameData.SetAnd(v);
    }
    if (CheckBoxDataOr.Checked()) {
        FrameData.SetOr(v);
    }
    if (CheckBoxDataEor.Checked()) {
        FrameData.SetEor(v);
    }
}

// --- presets ---

std::array<uint8_t, TFormBend::kPresetSize> TFormBend::PresetBytes() const {
    std::array<uint8_t, kPresetSize> bytes;
    bytes.fill(kUnused);
    std::span<uint8_t> all(bytes);
    FrameRegister.StoreRecord(all.subspan(0).first<TFrameBend::kRecordSize>());
    FrameData.StoreRecord(all.subspan(TFrameBend::kRecordSize).first<TFrameBend::kRecordSize>());
    FrameCC.StoreRecord(all.subspan(2 * TFrameBend::kRecordSize).first<TFrameBend::kRecordSize>());
    uint8_t flags = 0;
    for (std::size_t bit = 0; bit < kReceiveBits.size(); ++bit) {
        if ((this->*kReceiveBits[bit]).Checked()) {
            flags |= static_cast<uint8_t>(1u << bit);
        }
    }
    bytes[kFlagsOffset] = flags;
    return bytes;
}

bool TFormBend::LoadPresetBytes(std::span<const uint8_t> bytes) {
    // A failed load leaves the frames reset, not half loaded.
    ResetFrames();
    if (bytes.size() != kPresetSize) {
        return false;
    }
    FrameRegister.LoadRecord(RecordAt(bytes, 0));
    FrameData.LoadRecord(RecordAt(bytes, 1));
    FrameCC.LoadRecord(RecordAt(bytes, 2));
    const uint8_t flags = bytes[kFlagsOffset];
    const std::array<CheckBox*, kReceiveCount> boxes = ReceiveBoxes();
    for (std::size_t bit = 0; bit < boxes.size(); ++bit) {
        boxes[bit]->SetChecked(((flags >> bit) & 1) != 0);
    }
    return true;
}

bool TFormBend::ReadPreset(const std::string& name) {
    ResetFrames();
    std::optional<std::filesystem::path> path = presets.Folder().PathOf(name);
    if (!path) {
        return false;
    }
    // One byte more than a preset has, so a longer file is told from one of the right size.
    const FileBytes file = ReadFileBytes(*path, kPresetSize + 1);
    return file && LoadPresetBytes(file.bytes);
}

bool TFormBend::WritePreset(const std::string& name) const {
    std::optional<std::filesystem::path> path = presets.Folder().PathOf(name);
    if (!path) {
        return false;
    }
    const std::array<uint8_t, kPresetSize> bytes = PresetBytes();
    return ReplaceFileContents(*path, bytes);
}

void TFormBend::ResetFrames() {
    FrameRegister.Reset();
    FrameData.Reset();
    FrameCC.Reset();
}

void TFormBend::ApplyDefault() {
    // The enable is the player's, not the preset's.
    ResetFrames();
    for (CheckBox* box : ReceiveBoxes()) {
        box->SetChecked(false);
    }
}

} // namespace vorpline
