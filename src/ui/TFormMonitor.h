#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "controls/Button.h"
#include "controls/Edit.h"
#include "controls/Form.h"
#include "controls/Label.h"
#include "ui/ToolWindow.h"

namespace vorpline {

class VgmRecorder;

// The register monitor: the chip's 2 x 256 registers as the engine's shadow holds them, each
// change highlighted and fading, and the registers decoded per channel (key, block, F-number,
// the note it plays, 4-op pairing, rhythm mode) and per operator (envelope, level, waveform).
// It reads the shadow, not the chip, so it works for every output, hardware included; the view
// calls Refresh at display rate while the window is shown, never from the audio thread.
//
// The record button writes everything that reaches the chip from now on into a VGM file that
// opens with the registers as they are.
//
// Main thread only.
class TFormMonitor : public Form, public ToolWindow {
public:
    static constexpr const char* kConfigKey = "Monitor File";
    static constexpr int kRegisterCount = 512;
    // 18 two-operator channels: 0-8 in bank 0, 9-17 in bank 1.
    static constexpr int kChannelCount = 18;
    static constexpr int kOperatorCount = 2 * kChannelCount;
    // Refreshes a change stays highlighted: one second at the view's 30 Hz.
    static constexpr int kFadeRefreshes = 30;
    // Age of a register not seen changing since the window was made.
    static constexpr int kNeverChanged = -1;

    using RegisterReader = std::function<uint8_t(uint16_t reg)>;
    // How many writes `reg` has received: a rewrite of the same value is highlighted too.
    using WriteCounter = std::function<uint32_t(uint16_t reg)>;

    // `recorder` may be null (then the record button reports that nothing can be recorded);
    // without `writes` only changes of value are highlighted.
    TFormMonitor(RegisterReader read, VgmRecorder* recorder, WriteCounter writes = {});

    Form& Window() override { return *this; }
    void LoadSettings(const IniFile& ini, const std::string& section,
                      const std::string& applicationTitle) override;
    void SaveSettings(IniFile& ini, const std::string& section) const override;
    // A recording in progress is closed as a whole file.
    void BeforeShutdown() override;

    // Reads the shadow, ages the highlights, marks what changed and decodes again. The caller
    // redraws afterwards; nothing is announced, so a 30 Hz refresh stirs no other observer.
    void Refresh();

    uint8_t Value(int reg) const { return values[reg]; }
    // Refreshes since `reg` last changed (0: changed at the last refresh), or kNeverChanged.
    int Age(int reg) const { return ages[reg]; }
    // How strongly `reg` is highlighted: 1 just changed, falling to 0 over kFadeRefreshes.
    double Highlight(int reg) const;
    const std::string& ChannelText(int channel) const { return channels[channel]; }
    const std::string& OperatorText(int op) const { return operators[op]; }

    // "C#4" for the note nearest to what block and F-number sound at the chip's 49716 Hz,
    // with A4 = 440 Hz; "-" for silence (F-number 0) and outside MIDI's notes.
    static std::string NoteText(int block, int fNumber);

    void ButtonRecordClick();

    // The VGM file a recording goes to.
    Edit EditFile;
    // "Record", or "Stop" while recording.
    Button ButtonRecord;
    Label LabelStatus;

private:
    void Decode();
    void ShowRecording();

    RegisterReader read;
    WriteCounter writes;
    VgmRecorder* recorder;
    bool wasRecording = false;
    std::array<uint8_t, kRegisterCount> values{};
    std::array<uint32_t, kRegisterCount> writeCounts{};
    std::array<int, kRegisterCount> ages{};
    std::array<std::string, kChannelCount> channels;
    std::array<std::string, kOperatorCount> operators;
};

} // namespace vorpline
