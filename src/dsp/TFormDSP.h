#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "audio/AudioProcessor.h"
#include "controls/Button.h"
#include "controls/CheckBox.h"
#include "controls/ComboBox.h"
#include "controls/Form.h"
#include "controls/Label.h"
#include "controls/TrackBar.h"
#include "dsp/DspChain.h"
#include "midi/HubPeers.h"
#include "ui/ToolWindow.h"

namespace vorpline {

class IniFile;

// The DSP window of the wave output: its controls are the settings of the effects chain
// (input gain, bit crusher with noise, filter, output gain, in one of two orders), and every
// change handler publishes the new settings to the chain. The wave output hands each rendered
// buffer to Process before it is played and recorded.
//
// Threads: the controls, handlers, setters and settings belong to the main thread; Process
// belongs to the thread that renders (the audio thread in thread mode).
class TFormDSP : public Form, public AudioProcessor, public DspReceiver, public ToolWindow {
public:
    // The INI key in the device section; "Default" stands for "never saved".
    static constexpr const char* kKey = "DSP";
    static constexpr int kUnityGain = 64;

    // `rate` is the output's sample rate in Hz; it is kept, the coefficients do not use it.
    explicit TFormDSP(uint32_t rate);

    uint32_t Rate() const { return rate; }

    // Caption "DSP - " + `applicationTitle`; the controls from the "DSP" key of `section`, or,
    // when it is missing or not nine integers, the defaults with the chain disabled.
    void LoadSettings(const IniFile& ini, const std::string& section,
                      const std::string& applicationTitle) override;
    void SaveSettings(IniFile& ini, const std::string& section) const override;
    Form& Window() override { return *this; }
    // The four DSP functions of the control-change map arrive here.
    void ConnectPeers(HubPeers& peers) override { peers.Connect(static_cast<DspReceiver&>(*this)); }
    // The wave output runs every rendered buffer through the chain.
    AudioProcessor* AudioStage() override { return this; }
    // The nine integers of the "DSP" value, "patch,enable,pre,gain,crush,noise,filter,
    // frequency,resonance", applied to the controls. Returns false, changing nothing, unless
    // the text is exactly nine decimal integers separated by commas (blanks around a number
    // allowed). Out-of-range positions are clamped; an item index out of range selects nothing,
    // which for the patch means no stage and for noise and filter means off.
    bool ApplySettings(std::string_view value);
    // The "DSP" value of the current controls.
    std::string SettingsText() const;

    // Controller routing: a 7-bit value moves the track bar (and runs its change handler).
    void SetFrequency(uint8_t value) override { TrackBarFrequency.SetPosition(value); }
    void SetResonance(uint8_t value) override { TrackBarResonance.SetPosition(value); }
    void SetInputGain(uint8_t value) override { TrackBarPre.SetPosition(value); }
    void SetOutputGain(uint8_t value) override { TrackBarGain.SetPosition(value); }

    // Audio thread (or whichever thread renders).
    void Process(int16_t* frames, size_t count) override { chain.Process(frames, count); }

    // The settings as published to the chain (main thread).
    const DspParameters& Parameters() const { return parameters; }

    // Input and output gain factor of a track-bar position: (position / 64)^4, so 0 is silence,
    // 64 unity and 127 about 15.5 (+23.8 dB).
    static double GainFactor(int position);

    // Handlers.
    void ButtonDefaultClick();
    void CheckBoxEnableClick();
    void ComboBoxPatchChange();
    void ComboBoxNoiseChange();
    void ComboBoxFilterChange();
    void TrackBarPreChange();
    void TrackBarGainChange();
    void TrackBarCrushChange();
    void ComputeFilter();

    ComboBox ComboBoxPatch;
    Button ButtonDefault;
    CheckBox CheckBoxEnable;
    Label LabelPatch;
    // "Amp"
    Label LabelPre;
    TrackBar TrackBarPre;
    Label LabelGain;
    TrackBar TrackBarGain;
    // "Distortion"
    Label LabelCrush;
    TrackBar TrackBarCrush;
    Label LabelNoise;
    ComboBox ComboBoxNoise;
    // "Filter"
    Label LabelFilter;
    ComboBox ComboBoxFilter;
    Label LabelFreqency;
    TrackBar TrackBarFrequency;
    Label LabelResonance;
    TrackBar TrackBarResonance;

private:
    void Wire();
    // The handlers that derive state from the combo boxes and the crush depth, after the
    // controls were set from code.
    void RunSettingHandlers();
    // A combo box back to its first item, with its handler.
    static void ResetCombo(ComboBox& box);
    void Publish() { chain.Publish(parameters); }

    uint32_t rate;
    DspParameters parameters;
    DspChain chain;
};

} // namespace vorpline
