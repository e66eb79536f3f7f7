#include "presets/TFormDrum.h"

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "platform/FileBytes.h"

namespace vorpline {

namespace {

using Items = std::vector<std::string>;

const Items kOctaveItems = {"C-1 B-1", "C0 B0", "C1 B1", "C2 B2", "C3 B3", "C4 B4",
                            "C5 B5",   "C6 B6", "C7 B7", "C8 B8", "C9 G9"};
const Items kNoteNames = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};
constexpr int kSemitones = 12;
constexpr int kNoteA = 9;
constexpr int kDefaultMidiChannel = 9; // "10", the drum channel of General MIDI

// Kit file layout.
constexpr std::size_t kPitchOffset = 72;  // octave, note per channel
constexpr std::size_t kOutputOffset = 78; // left, right per channel
constexpr std::size_t kAssignOffset = 84; // BD, HH, SD, TOM, TC
constexpr std::size_t kChannelOffset = 89;
constexpr uint8_t kNoEntry = 0xFF;

Items NoteItems() {
    Items items;
    for (int i = 0; i < TFormDrum::kNoteEntries; ++i) {
        items.push_back(TFormDrum::NoteText(TFormDrum::kFirstNote + i));
    }
    return items;
}

Items MidiChannelItems() {
    Items items;
    for (int channel = 1; channel <= 16; ++channel) {
        items.push_back(std::to_string(channel));
    }
    return items;
}

// A stored pitch index: beyond the list, its last entry.
void SelectClamped(ComboBox& box, uint8_t index) {
    box.SetItemIndex(std::min<int>(index, box.Count() - 1));
}

uint8_t IndexByte(const ComboBox& box) {
    return box.ItemIndex() == ComboBox::kNone ? kNoEntry : static_cast<uint8_t>(box.ItemIndex());
}

} // namespace

const std::array<TFormDrum::ChannelControls, TFormDrum::kChannelCount> TFormDrum::kChannels = {{
    {&TFormDrum::ComboBoxOctaveBD, &TFormDrum::ComboBoxNoteBD, &TFormDrum::CheckBoxBDA,
     &TFormDrum::CheckBoxBDB},
    {&TFormDrum::ComboBoxOctaveHHSD, &TFormDrum::ComboBoxNoteHHSD, &TFormDrum::CheckBoxHHSDA,
     &TFormDrum::CheckBoxHHSDB},
    {&TFormDrum::ComboBoxOctaveTOMTC, &TFormDrum::ComboBoxNoteTOMTC, &TFormDrum::CheckBoxTOMTCA,
     &TFormDrum::CheckBoxTOMTCB},
}};

const std::array<ComboBox TFormDrum::*, TFormDrum::kDrumCount> TFormDrum::kAssignments = {
    &TFormDrum::ComboBoxAssignBD, &TFormDrum::ComboBoxAssignHH, &TFormDrum::ComboBoxAssignSD,
    &TFormDrum::ComboBoxAssignTOM, &TFormDrum::ComboBoxAssignTC};

std::string TFormDrum::NoteText(int note) {
    // MIDI note 36 is C1: octave = note / 12 - 2, the sharp after the octave ("37 C1#").
    const std::string& name = kNoteNames[static_cast<std::size_t>(note % kSemitones)];
    std::string text =
        std::to_string(note) + " " + name.substr(0, 1) + std::to_string(note / kSemitones - 2);
    return name.size() > 1 ? text + "#" : text;
}

TFormDrum::TFormDrum(std::filesystem::path presetRoot, PresetWindow::Services services,
                     OPL3* engine)
    : Form("FormDrum", "Drum Kit"),
      voices(engine != nullptr ? std::make_unique<DrumVoices>(*engine) : nullptr),
      LabelPreset("LabelPreset", "Preset"), ComboBoxPreset("ComboBoxPreset", {}, 0, true),
      ButtonSave("ButtonSave", "Save"), ButtonDelete("ButtonDelete", "Delete"),
      ButtonReset("ButtonReset", "Reset"), ButtonDefault("ButtonDefault", "Default"),
      FrameOpBDM(13, "Bass drum (mod.)", voices.get()), FrameOpHH(14, "Hi-hat", voices.get()),
      FrameOpTOM(15, "Tom", voices.get()), FrameOpBDC(16, "Bass drum (car.)", voices.get()),
      FrameOpSD(17, "Snare", voices.get()), FrameOpTC(18, "Cymbal", voices.get()),
      ComboBoxOctaveBD("ComboBoxOctaveBD", kOctaveItems, 0),
      ComboBoxNoteBD("ComboBoxNoteBD", kNoteNames, 0), CheckBoxBDA("CheckBoxBDA", "L"),
      CheckBoxBDB("CheckBoxBDB", "R"), ComboBoxOctaveHHSD("ComboBoxOctaveHHSD", kOctaveItems, 0),
      ComboBoxNoteHHSD("ComboBoxNoteHHSD", kNoteNames, 0), CheckBoxHHSDA("CheckBoxHHSDA", "L"),
      CheckBoxHHSDB("CheckBoxHHSDB", "R"),
      ComboBoxOctaveTOMTC("ComboBoxOctaveTOMTC", kOctaveItems, 0),
      ComboBoxNoteTOMTC("ComboBoxNoteTOMTC", kNoteNames, 0), CheckBoxTOMTCA("CheckBoxTOMTCA", "L"),
      CheckBoxTOMTCB("CheckBoxTOMTCB", "R"),
      ComboBoxMidiChannel("ComboBoxMidiChannel", MidiChannelItems(), kDefaultMidiChannel),
      ComboBoxAssignBD("ComboBoxAssignBD", NoteItems(), 0),
      ComboBoxAssignSD("ComboBoxAssignSD", NoteItems(), 0),
      ComboBoxAssignHH("ComboBoxAssignHH", NoteItems(), 0),
      ComboBoxAssignTOM("ComboBoxAssignTOM", NoteItems(), 0),
      ComboBoxAssignTC("ComboBoxAssignTC", NoteItems(), 0), SpeedButtonBD("SpeedButtonBD", "Bass"),
      SpeedButtonSD("SpeedButtonSD", "Snare"), SpeedButtonHH("SpeedButtonHH", "Hi-hat"),
      SpeedButtonTOM("SpeedButtonTOM", "Tom"), SpeedButtonTC("SpeedButtonTC", "Cymbal"),
      presets({*this, ComboBoxPreset, LabelPreset, ButtonSave, ButtonReset, ButtonDefault,
               ButtonDelete},
              {presetRoot / kFolder, kExtension, "Drum Kit - ", "Drum Kit", kConfigKey,
               [this](const std::string& name) { return ReadPreset(name); },
               [this](const std::string& name) { return WritePreset(name); },
               [this] { ApplyDefault(); }, false, kPresetSize},
              std::move(services)) {
    WireOutputs();
    SpeedButtonBD.onClick = [this] { SpeedButtonBDMouseDown(); };
    SpeedButtonSD.onClick = [this] { SpeedButtonSDMouseDown(); };
    SpeedButtonHH.onClick = [this] { SpeedButtonHHMouseDown(); };
    SpeedButtonTOM.onClick = [this] { SpeedButtonTOMMouseDown(); };
    SpeedButtonTC.onClick = [this] { SpeedButtonTCMouseDown(); };
    // The window starts with the default kit, shown and on the chip alike.
    ApplyDefault();
}

void TFormDrum::WireOutputs() {
    if (voices == nullptr) {
        return;
    }
    for (std::size_t i = 0; i < kChannels.size(); ++i) {
        const int channel = DrumVoices::kFirstChannel + static_cast<int>(i);
        CheckBox& left = this->*kChannels[i].left;
        CheckBox& right = this->*kChannels[i].right;
        left.onClick = [this, channel, &left] {
            voices->SetDrumOutputLeft(channel, left.Checked());
        };
        right.onClick = [this, channel, &right] {
            voices->SetDrumOutputRight(channel, right.Checked());
        };
    }
}

std::array<TFrameOpD*, TFormDrum::kFrameCount> TFormDrum::Frames() {
    return {&FrameOpBDM, &FrameOpBDC, &FrameOpHH, &FrameOpSD, &FrameOpTOM, &FrameOpTC};
}

std::array<const TFrameOpD*, TFormDrum::kFrameCount> TFormDrum::Frames() const {
    return {&FrameOpBDM, &FrameOpBDC, &FrameOpHH, &FrameOpSD, &FrameOpTOM, &FrameOpTC};
}

// --- the tool window ---

void TFormDrum::LoadSettings(const IniFile& ini, const std::string& section,
                             const std::string& /*applicationTitle*/) {
    // The title comes from the services, which follow the running output. A stored kit that
    // fails to load leaves the default kit, on screen and on the chip.
    presets.ShowCaption();
    ApplyDefault();
    presets.LoadSettings(ini, section);
}

void TFormDrum::SaveSettings(IniFile& ini, const std::string& section) const {
    presets.SaveSettings(ini, section);
}

// --- playing ---

int TFormDrum::ChannelNote(int channel) const {
    const ChannelControls& c = kChannels[static_cast<std::size_t>(channel)];
    return std::max((this->*c.octave).ItemIndex(), 0) * kSemitones +
           std::max((this->*c.note).ItemIndex(), 0);
}

void TFormDrum::Play(Drum drum, uint8_t velocity) {
    if (voices == nullptr || velocity == 0) {
        return;
    }
    voices->DrumOff(drum);
    int channel = 0;
    switch (drum) {
    case Drum::BassDrum:
        FrameOpBDM.ApplyVelocity(velocity);
        FrameOpBDC.ApplyVelocity(velocity);
        break;
    case Drum::HiHat:
        FrameOpHH.ApplyVelocity(velocity);
        channel = 1;
        break;
    case Drum::Snare:
        FrameOpSD.ApplyVelocity(velocity);
        channel = 1;
        break;
    case Drum::TomTom:
        FrameOpTOM.ApplyVelocity(velocity);
        channel = 2;
        break;
    case Drum::Cymbal:
        FrameOpTC.ApplyVelocity(velocity);
        channel = 2;
        break;
    }
    voices->DrumOn(drum, ChannelNote(channel));
}

void TFormDrum::PlayByNote(uint8_t note, uint8_t velocity) {
    static constexpr std::array<Drum, kDrumCount> kOrder = {
        Drum::BassDrum, Drum::HiHat, Drum::Snare, Drum::TomTom, Drum::Cymbal};
    const int entry = note - kFirstNote;
    if (velocity == 0 || entry < 0 || entry >= kNoteEntries) {
        return;
    }
    for (std::size_t i = 0; i < kOrder.size(); ++i) {
        if ((this->*kAssignments[i]).ItemIndex() == entry) {
            Play(kOrder[i], velocity);
        }
    }
}

void TFormDrum::ApplyKit() const {
    if (voices == nullptr) {
        return;
    }
    for (const TFrameOpD* frame : Frames()) {
        frame->ApplyToChip();
    }
    for (std::size_t i = 0; i < kChannels.size(); ++i) {
        const int channel = DrumVoices::kFirstChannel + static_cast<int>(i);
        voices->SetDrumOutputLeft(channel, (this->*kChannels[i].left).Checked());
        voices->SetDrumOutputRight(channel, (this->*kChannels[i].right).Checked());
    }
}

// --- presets ---

std::array<uint8_t, TFormDrum::kPresetSize> TFormDrum::PresetBytes() const {
    std::array<uint8_t, kPresetSize> bytes{};
    std::span<uint8_t> all(bytes);
    const auto frames = Frames();
    for (std::size_t f = 0; f < frames.size(); ++f) {
        frames[f]->StoreRecord(
            all.subspan(f * TFrameOpD::kRecordSize).first<TFrameOpD::kRecordSize>());
    }
    for (std::size_t i = 0; i < kChannels.size(); ++i) {
        const ChannelControls& c = kChannels[i];
        bytes[kPitchOffset + 2 * i] = IndexByte(this->*c.octave);
        bytes[kPitchOffset + 2 * i + 1] = IndexByte(this->*c.note);
        bytes[kOutputOffset + 2 * i] = (this->*c.left).Checked() ? 1 : 0;
        bytes[kOutputOffset + 2 * i + 1] = (this->*c.right).Checked() ? 1 : 0;
    }
    for (std::size_t i = 0; i < kAssignments.size(); ++i) {
        bytes[kAssignOffset + i] = IndexByte(this->*kAssignments[i]);
    }
    bytes[kChannelOffset] = IndexByte(ComboBoxMidiChannel);
    return bytes;
}

bool TFormDrum::LoadPresetBytes(std::span<const uint8_t> bytes) {
    if (bytes.size() != kPresetSize) {
        return false;
    }
    for (std::size_t i = 0; i < kChannels.size(); ++i) {
        const ChannelControls& c = kChannels[i];
        SelectClamped(this->*c.octave, bytes[kPitchOffset + 2 * i]);
        SelectClamped(this->*c.note, bytes[kPitchOffset + 2 * i + 1]);
        (this->*c.left).SetChecked(bytes[kOutputOffset + 2 * i] != 0);
        (this->*c.right).SetChecked(bytes[kOutputOffset + 2 * i + 1] != 0);
    }
    // An entry beyond the list selects nothing: that drum answers no note (and no channel).
    for (std::size_t i = 0; i < kAssignments.size(); ++i) {
        (this->*kAssignments[i]).SetItemIndex(bytes[kAssignOffset + i]);
    }
    ComboBoxMidiChannel.SetItemIndex(bytes[kChannelOffset]);
    const auto frames = Frames();
    for (std::size_t f = 0; f < frames.size(); ++f) {
        frames[f]->LoadRecord(
            bytes.subspan(f * TFrameOpD::kRecordSize).first<TFrameOpD::kRecordSize>());
    }
    ApplyKit();
    return true;
}

bool TFormDrum::ReadPreset(const std::string& name) {
    const std::optional<std::filesystem::path> path = presets.Folder().PathOf(name);
    if (!path) {
        return false;
    }
    // One byte more than a kit has, so a longer file is told from one of the right size.
    const FileBytes file = ReadFileBytes(*path, kPresetSize + 1);
    return file && LoadPresetBytes(file.bytes);
}

bool TFormDrum::WritePreset(const std::string& name) const {
    const std::optional<std::filesystem::path> path = presets.Folder().PathOf(name);
    if (!path) {
        return false;
    }
    const std::array<uint8_t, kPresetSize> bytes = PresetBytes();
    return ReplaceFileContents(*path, bytes);
}

void TFormDrum::ApplyDefault() {
    FrameOpBDM.SetDefault(15, 5, 5, 5, 10);
    FrameOpBDC.SetDefault(15, 5, 5, 5, 63);
    for (TFrameOpD* frame : {&FrameOpHH, &FrameOpSD, &FrameOpTOM, &FrameOpTC}) {
        frame->SetDefault(15, 0, 0, 6, 63);
    }
    constexpr std::array<int, kChannelCount> kOctaves = {3, 3, 4}; // "C2 B2", "C2 B2", "C3 B3"
    for (std::size_t i = 0; i < kChannels.size(); ++i) {
        (this->*kChannels[i].octave).SetItemIndex(kOctaves[i]);
        (this->*kChannels[i].note).SetItemIndex(kNoteA);
        (this->*kChannels[i].left).SetChecked(true);
        (this->*kChannels[i].right).SetChecked(true);
    }
    // "36 C1", "46 A1#", "38 D1", "45 A1", "49 C2#"; the MIDI channel stays.
    constexpr std::array<int, kDrumCount> kNotes = {36, 46, 38, 45, 49};
    for (std::size_t i = 0; i < kAssignments.size(); ++i) {
        (this->*kAssignments[i]).SetItemIndex(kNotes[i] - kFirstNote);
    }
    ApplyKit();
}

} // namespace vorpline
