#pragma once
#include <array>
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include "controls/Button.h"
#include "controls/CheckBox.h"
#include "controls/ComboBox.h"
#include "controls/Form.h"
#include "controls/Label.h"
#include "midi/HubPoster.h"
#include "modulation/ClockFollower.h"
#include "modulation/TFrameNote.h"
#include "presets/PresetWindow.h"
#include "ui/ToolWindow.h"

namespace vorpline {

// The sequencer window: twelve note-echo steps (step 1..12 = FrameNote[0..11], top to bottom)
// behind one master enable, and ".seq" presets in "vpx/sequence" (twelve 12-byte records, 144
// bytes, step 1 first; bytes no field covers are 0xFF).
//
// The clock drives it (ClockFollower): each tick counts the steps' waits and lengths, and every
// note the engine plays may start a step. The steps' notes go out through the poster as events
// marked as the program's own (0xFE), so the message hub plays them from the main loop and the
// engine reports them back here: one struck key can set off a chain of steps.
// Main thread only.
class TFormSeq : public Form, public ClockFollower, public ToolWindow {
public:
    static constexpr int kStepCount = 12;
    static constexpr const char* kFolder = "sequence";
    static constexpr const char* kExtension = ".seq";
    static constexpr const char* kConfigKey = "SEQ Preset";
    static constexpr const char* kEnableKey = "SEQ Enable";
    static constexpr std::size_t kPresetSize = kStepCount * TFrameNote::kRecordSize; // 144

    // `post` receives every note of the steps as post(PackEvent(...), 0); an empty function
    // drops them. Preset errors and confirmations go through `services`.
    TFormSeq(std::filesystem::path presetRoot, PresetWindow::Services services,
             HubEventPoster post);

    // --- the tool window ---
    Form& Window() override { return *this; }
    // Caption; the twelve steps initialised; the preset under "SEQ Preset", loaded; "SEQ
    // Enable" kept for ApplyStoredEnable.
    void LoadSettings(const IniFile& ini, const std::string& section,
                      const std::string& applicationTitle) override;
    void SaveSettings(IniFile& ini, const std::string& section) const override;
    // Program end: Stop, so no step's note outlives the program.
    void BeforeShutdown() override { Stop(); }
    PresetWindow* Presets() override { return &presets; }

    // --- the clock ---
    void ClockTick() override;
    // Start and Continue leave the steps alone.
    void ClockStart() override {}
    void ClockStop() override { Stop(); }
    void ClockContinue() override {}
    void ClockNote(uint8_t note, uint8_t velocity, bool on) override;
    void ApplyStoredEnable() override;

    // Every step posts a note-off for its last note, sounding or not, and goes idle.
    void Stop();

    // --- handlers ---
    // Off runs Stop; on does nothing more.
    void CheckBoxEnableClick();

    // PanelSEQ.
    Label LabelPreset;
    ComboBox ComboBoxPreset;
    Button ButtonSave;
    Button ButtonDelete;
    Button ButtonReset;
    Button ButtonDefault;
    CheckBox CheckBoxEnable;
    std::array<TFrameNote, kStepCount> FrameNote;

private:
    void InitSteps();
    // Every note the steps send passes here on its way out.
    void Send(uint32_t packed);
    void ResetAll();
    bool ReadPreset(const std::string& name);
    bool WritePreset(const std::string& name) const;

    HubEventPoster post;
    // Zero-length echoes. A note the steps sent comes back later, through the main loop, as
    // the engine's note events (one per part that plays it, back to back). When its note-off
    // was sent before its note-on came back (the source key was released in between), the
    // note-on reports a note already over: it starts no step, or steps answering each other's
    // notes with no wait and no length would feed each other forever, as fast as the main
    // loop runs. A report that repeats the one just before it (the other part's copy) changes
    // no mark. The marks are cleared at each tick, so a note that never comes back blocks
    // nothing for long.
    std::bitset<128> inFlight; // note-ons sent whose report has not come back
    std::bitset<128> over;     // of those, the ones whose note-off has been sent too
    int lastReport = -1;       // note | 0x80 for a note-on; -1 after a tick
    // Steps that may still start before the next clock tick. Twelve steps that answer each
    // other can otherwise keep starting one another from their own echoes for ever (with no
    // wait, the main loop would never rest). Four starts per step and tick (a tick is 21 ms at
    // 120 BPM) is more than any played or echoed pattern needs; an echo's own note cannot be
    // told from a key reliably (the same note may be in flight twice), so only the tick refills.
    static constexpr int kMaxChainStarts = 4 * kStepCount;
    int chainStartsLeft = kMaxChainStarts;
    bool storedEnable = false;
    bool storedEnableApplied = false;
    PresetWindow presets;
};

} // namespace vorpline
