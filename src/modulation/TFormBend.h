#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

#include "controls/Button.h"
#include "controls/CheckBox.h"
#include "controls/ComboBox.h"
#include "controls/Form.h"
#include "controls/Label.h"
#include "engine/RegisterBender.h"
#include "midi/HubPeers.h"
#include "modulation/TFrameBend.h"
#include "presets/PresetWindow.h"
#include "ui/ToolWindow.h"

namespace vorpline {

// The Circuit Bend window. While "Enable" is on, every register write the engine makes has its
// address byte bent by FrameRegister and its data byte by FrameData (the bank stays the one of
// the unbent register number). FrameCC bends the value of the controller function "Circuit
// Bend", which the six "Receive" boxes load into the AND, OR and EOR masks of the other two.
//
// Presets: ".bnd" files of exactly 50 bytes in "vpx/circuit bend":
//   0..15 Register frame record, 16..31 Data frame record, 32..47 CC frame record (TFrameBend),
//   48 receive flags: bit 0 "Reg. AND", 1 "Reg. OR", 2 "Reg. EOR", 3 "Data AND", 4 "Data OR",
//      5 "Data EOR" (bits 6-7 written 0, ignored when read),
//   49 not used (0xFF), as are bytes 3..7 of each record.
//
// Main thread only (the engine writes its registers on the main thread).
class TFormBend : public Form,
                  public RegisterBender,
                  public CircuitBendReceiver,
                  public ToolWindow {
public:
    static constexpr const char* kFolder = "circuit bend";
    static constexpr const char* kExtension = ".bnd";
    static constexpr const char* kConfigKey = "BEND Preset";
    static constexpr const char* kEnableKey = "BEND Enable";
    static constexpr std::size_t kPresetSize = 50;
    static constexpr std::size_t kFlagsOffset = 3 * TFrameBend::kRecordSize; // 48
    static constexpr int kReceiveCount = 6;

    // `presetRoot` is the preset tree ("vpx"); `random` feeds the frames' "Rand." buttons
    // (empty: one generator seeded from the clock).
    TFormBend(std::filesystem::path presetRoot, PresetWindow::Services services,
              TFrameBend::RandomSource random = {});

    // --- the tool window ---
    Form& Window() override { return *this; }
    // Caption; the frames reset and the receive boxes off; the preset under "BEND Preset"
    // loaded; "BEND Enable" kept for AfterStartUp.
    void LoadSettings(const IniFile& ini, const std::string& section,
                      const std::string& applicationTitle) override;
    void SaveSettings(IniFile& ini, const std::string& section) const override;
    // The controller function "Circuit Bend" arrives here.
    void ConnectPeers(HubPeers& peers) override {
        peers.Connect(static_cast<CircuitBendReceiver&>(*this));
    }
    // The stored enable takes effect.
    void AfterStartUp() override;
    RegisterBender* Bender() override { return this; }
    PresetWindow* Presets() override { return &presets; }

    // --- the engine: each byte unchanged while "Enable" is off ---
    uint8_t BendRegister(uint8_t address) override;
    uint8_t BendData(uint8_t value) override;

    // The controller function (value 0..127), only while "Enable" is on: the CC frame bends
    // the value, then each ticked receive box loads it, in the order of the boxes.
    void CcEvent(uint8_t value) override;

    // The 50 bytes of a preset file (also carried inside performances). Loading resets the
    // frames first; anything but 50 bytes fails and leaves them reset, the receive boxes as
    // they were.
    std::array<uint8_t, kPresetSize> PresetBytes() const;
    bool LoadPresetBytes(std::span<const uint8_t> bytes);

    // PanelCB.
    Label LabelPreset;
    ComboBox ComboBoxPreset;
    Button ButtonSave;
    Button ButtonDelete;
    Button ButtonReset;
    Button ButtonDefault;
    CheckBox CheckBoxEnable;
    // The groups "Register", "Data" and "CC".
    Label GroupBoxRegister;
    Label GroupBoxData;
    Label GroupBoxCC;
    TFrameBend FrameRegister;
    TFrameBend FrameData;
    TFrameBend FrameCC;
    Label LabelReceive;
    CheckBox CheckBoxRegAnd;
    CheckBox CheckBoxRegOr;
    CheckBox CheckBoxRegEor;
    CheckBox CheckBoxDataAnd;
    CheckBox CheckBoxDataOr;
    CheckBox CheckBoxDataEor;

    // The receive boxes in flag-bit order.
    std::array<CheckBox*, kReceiveCount> ReceiveBoxes();

private:
    bool ReadPreset(const std::string& name);
    bool WritePreset(const std::string& name) const;
    void ApplyDefault();
    void ResetFrames();

    TFrameBend::RandomSource random;
    bool storedEnable = false;
    bool storedEnableApplied = false;
    PresetWindow presets;
};

} // namespace vorpline
