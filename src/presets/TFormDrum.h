#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>

#include "controls/Button.h"
#include "controls/CheckBox.h"
#include "controls/ComboBox.h"
#include "controls/Form.h"
#include "controls/Label.h"
#include "engine/DrumVoices.h"
#include "midi/HubPeers.h"
#include "presets/PresetWindow.h"
#include "presets/TFrameOpD.h"
#include "ui/ToolWindow.h"

namespace vorpline {

class OPL3;

// The drum kit: the six percussion operators of the chip's rhythm mode, the pitch and outputs
// of the three rhythm channels, one MIDI note per drum on one MIDI channel, five buttons that
// strike the drums, and kits kept as presets.
//
// Striking a drum at velocity v (1..127): its bit in 0xBD is cleared, each of its operators
// (both for the bass drum) gets its velocity scaling, then the channel's pitch is written and
// the bit set again. Channel pitch = octave index x 12 + note index (60 = middle C); hi-hat and
// snare share channel 7's, tom-tom and cymbal channel 8's. Octave, note and assignments take
// effect at the next strike, everything else at once.
//
// Presets: ".kit" files of exactly 90 bytes in "vpx/drum kit":
//   0 bass-drum modulator, 12 bass-drum carrier, 24 hi-hat, 36 snare, 48 tom-tom, 60 cymbal:
//      12-byte operator records (TFrameOpD),
//   72/73 bass-drum octave/note index, 74/75 hi-hat/snare, 76/77 tom-tom/cymbal,
//   78/79 bass-drum left/right output (0 or 1; any non-zero byte reads as ticked),
//   80/81 hi-hat/snare, 82/83 tom-tom/cymbal,
//   84..88 note entry (MIDI note - 35, 0..46) of bass drum, hi-hat, snare, tom-tom, cymbal,
//   89 MIDI channel index 0..15.
// Kits come from other people, so every byte is taken safely: operator values and pitches beyond
// their lists load as the nearest end; a note entry beyond 46 or a channel beyond 15 selects
// nothing (that drum answers no note, the kit no channel) and saves back as 0xFF.
//
// Main thread only (the engine's thread).
class TFormDrum : public Form, public DrumKitReceiver, public ToolWindow {
public:
    using Drum = DrumVoices::Drum;

    static constexpr const char* kFolder = "drum kit";
    static constexpr const char* kExtension = ".kit";
    static constexpr const char* kConfigKey = "Drum Preset";
    static constexpr std::size_t kPresetSize = 90;
    static constexpr int kFirstNote = 35; // "35 B0"
    static constexpr int kNoteEntries = 47;
    static constexpr int kFrameCount = 6;
    static constexpr int kDrumCount = 5;
    static constexpr int kChannelCount = 3;
    static constexpr uint8_t kButtonVelocity = 100;

    // `presetRoot` is the preset tree ("vpx"); `engine` null = no engine: the controls work and
    // presets load and save, but nothing is written or heard.
    TFormDrum(std::filesystem::path presetRoot, PresetWindow::Services services, OPL3* engine);

    // --- the tool window ---
    Form& Window() override { return *this; }
    // Caption; the default kit on the chip, then the kit stored under "Drum Preset" loaded.
    void LoadSettings(const IniFile& ini, const std::string& section,
                      const std::string& applicationTitle) override;
    void SaveSettings(IniFile& ini, const std::string& section) const override;
    // Note-ons of the kit's channel arrive through PlayByNote.
    void ConnectPeers(HubPeers& peers) override {
        peers.Connect(static_cast<DrumKitReceiver&>(*this));
    }
    PresetWindow* Presets() override { return &presets; }

    // --- MIDI ---
    bool ListensTo(int channel) const override {
        return ComboBoxMidiChannel.ItemIndex() == channel;
    }
    // Every drum assigned to `note` is struck, in the order bass drum, hi-hat, snare, tom-tom,
    // cymbal. Velocity 0 (a note-off) and notes outside 35..81 strike nothing.
    void PlayByNote(uint8_t note, uint8_t velocity) override;
    // Strikes one drum; velocity 0 strikes nothing.
    void Play(Drum drum, uint8_t velocity);
    // The pitch of rhythm channel 0..2 (channels 7..9) as its octave and note boxes give it.
    int ChannelNote(int channel) const;

    // Every operator's static values and the six outputs to the chip.
    void ApplyKit() const;

    // The 90 bytes of a kit file (also carried inside performances). Anything but 90 bytes
    // loads nothing and changes nothing.
    std::array<uint8_t, kPresetSize> PresetBytes() const;
    bool LoadPresetBytes(std::span<const uint8_t> bytes);

    // Speed buttons: each strikes its drum at velocity 100 on the press.
    void SpeedButtonBDMouseDown() { Play(Drum::BassDrum, kButtonVelocity); }
    void SpeedButtonSDMouseDown() { Play(Drum::Snare, kButtonVelocity); }
    void SpeedButtonHHMouseDown() { Play(Drum::HiHat, kButtonVelocity); }
    void SpeedButtonTOMMouseDown() { Play(Drum::TomTom, kButtonVelocity); }
    void SpeedButtonTCMouseDown() { Play(Drum::Cymbal, kButtonVelocity); }

private:
    // Made before the frames, which write through it.
    std::unique_ptr<DrumVoices> voices;

public:
    Label LabelPreset;
    ComboBox ComboBoxPreset;
    Button ButtonSave;
    Button ButtonDelete;
    Button ButtonReset;
    Button ButtonDefault;

    TFrameOpD FrameOpBDM;
    TFrameOpD FrameOpHH;
    TFrameOpD FrameOpTOM;
    TFrameOpD FrameOpBDC;
    TFrameOpD FrameOpSD;
    TFrameOpD FrameOpTC;

    // Rhythm channel 7: bass drum.
    ComboBox ComboBoxOctaveBD;
    ComboBox ComboBoxNoteBD;
    CheckBox CheckBoxBDA;
    CheckBox CheckBoxBDB;
    // Rhythm channel 8: hi-hat and snare.
    ComboBox ComboBoxOctaveHHSD;
    ComboBox ComboBoxNoteHHSD;
    CheckBox CheckBoxHHSDA;
    CheckBox CheckBoxHHSDB;
    // Rhythm channel 9: tom-tom and cymbal.
    ComboBox ComboBoxOctaveTOMTC;
    ComboBox ComboBoxNoteTOMTC;
    CheckBox CheckBoxTOMTCA;
    CheckBox CheckBoxTOMTCB;

    // "1".."16"; kept by the "Default" kit.
    ComboBox ComboBoxMidiChannel;
    // Entry i is MIDI note 35 + i: "35 B0", "36 C1", "37 C1#" .. "81 A4".
    ComboBox ComboBoxAssignBD;
    ComboBox ComboBoxAssignSD;
    ComboBox ComboBoxAssignHH;
    ComboBox ComboBoxAssignTOM;
    ComboBox ComboBoxAssignTC;

    Button SpeedButtonBD;
    Button SpeedButtonSD;
    Button SpeedButtonHH;
    Button SpeedButtonTOM;
    Button SpeedButtonTC;

    // The frames in file order: bass-drum modulator, bass-drum carrier, hi-hat, snare, tom-tom,
    // cymbal.
    std::array<TFrameOpD*, kFrameCount> Frames();
    std::array<const TFrameOpD*, kFrameCount> Frames() const;
    // "35 B0" .. "81 A4".
    static std::string NoteText(int note);

private:
    struct ChannelControls {
        ComboBox TFormDrum::*octave;
        ComboBox TFormDrum::*note;
        CheckBox TFormDrum::*left;
        CheckBox TFormDrum::*right;
    };
    static const std::array<ChannelControls, kChannelCount> kChannels;
    // The assignment boxes in the order drums are tried: BD, HH, SD, TOM, TC.
    static const std::array<ComboBox TFormDrum::*, kDrumCount> kAssignments;

    bool ReadPreset(const std::string& name);
    bool WritePreset(const std::string& name) const;
    void ApplyDefault();
    void WireOutputs();

    PresetWindow presets;
};

} // namespace vorpline
