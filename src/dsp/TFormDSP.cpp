#include "dsp/TFormDSP.h"

#include <array>
#include <climits>
#include <cmath>
#include <optional>

#include "platform/IniFile.h"

namespace vorpline {

namespace {

constexpr int kSettingCount = 9;
constexpr int kLevelMax = 127;
// The filter sliders rest in the middle of their range.
constexpr int kFilterDefault = 64;
constexpr int kLevelPage = 16;
constexpr int kLevelTicks = 8;
// The crusher clears up to 23 of the bits of a sample that the input gain has made larger.
constexpr int kCrushMax = 23;
constexpr int kCrushPage = 6;
constexpr int kCrushTicks = 3;

enum FilterMode {
    kFilterOff,
    kLowPass,
    kHighPass,
    kResonantLowPass,
    kResonantBandPass,
    kResonantHighPass
};

// Exactly kSettingCount decimal integers separated by commas, each within int.
std::optional<std::array<int, kSettingCount>> ParseSettings(std::string_view text) {
    std::array<int, kSettingCount> values{};
    size_t start = 0;
    for (int i = 0; i < kSettingCount; ++i) {
        const size_t comma = text.find(',', start);
        const bool last = i == kSettingCount - 1;
        if (last != (comma == std::string_view::npos)) {
            return std::nullopt;
        }
        const auto number = IniFile::ParseInteger(text.substr(start, comma - start));
        if (!number || *number < INT_MIN || *number > INT_MAX) {
            return std::nullopt;
        }
        values[static_cast<size_t>(i)] = static_cast<int>(*number);
        start = comma + 1;
    }
    return values;
}

} // namespace

TFormDSP::TFormDSP(uint32_t rate)
    : Form("FormDSP", "DSP"), ComboBoxPatch("ComboBoxPatch", {"Input > Distort > Filter > Output",
                                                              "Input > Filter > Distort > Output"}),
      ButtonDefault("ButtonDefault", "Default"), CheckBoxEnable("CheckBoxEnable", "Enable"),
      LabelPatch("LabelPatch", "Patch"), LabelPre("LabelPre", "Input gain"),
      TrackBarPre("TrackBarPre", 0, kLevelMax, kUnityGain, kLevelPage, kLevelTicks),
      LabelGain("LabelGain", "Output gain"),
      TrackBarGain("TrackBarGain", 0, kLevelMax, kUnityGain, kLevelPage, kLevelTicks),
      LabelCrush("LabelCrush", "Fewer bits"),
      TrackBarCrush("TrackBarCrush", 0, kCrushMax, 0, kCrushPage, kCrushTicks),
      LabelNoise("LabelNoise", "More noise"),
      ComboBoxNoise("ComboBoxNoise", {"Off", "Mono", "Stereo"}), LabelFilter("LabelFilter", "Mode"),
      ComboBoxFilter("ComboBoxFilter", {"Off", "Low pass", "High pass", "Resonant low pass",
                                        "Resonant band pass", "Resonant high pass"}),
      LabelFreqency("LabelFreqency", "Frequency"),
      TrackBarFrequency("TrackBarFrequency", 0, kLevelMax, kFilterDefault, kLevelPage, kLevelTicks),
      LabelResonance("LabelResonance", "Resonance"),
      TrackBarResonance("TrackBarResonance", 0, kLevelMax, kFilterDefault, kLevelPage, kLevelTicks),
      rate(rate) {
    TrackBarFrequency.SetEnabled(false);
    TrackBarResonance.SetEnabled(false);
    Wire();
    // Gains 1.0 and coefficients 0 are the parameters' own defaults; only the noise box still
    // has to follow the crush depth.
    TrackBarCrushChange();
}

void TFormDSP::Wire() {
    ButtonDefault.onClick = [this] { ButtonDefaultClick(); };
    CheckBoxEnable.onClick = [this] { CheckBoxEnableClick(); };
    ComboBoxPatch.onChange = [this] { ComboBoxPatchChange(); };
    ComboBoxNoise.onChange = [this] { ComboBoxNoiseChange(); };
    ComboBoxFilter.onChange = [this] { ComboBoxFilterChange(); };
    TrackBarPre.onChange = [this] { TrackBarPreChange(); };
    TrackBarGain.onChange = [this] { TrackBarGainChange(); };
    TrackBarCrush.onChange = [this] { TrackBarCrushChange(); };
    TrackBarFrequency.onChange = [this] { ComputeFilter(); };
    TrackBarResonance.onChange = [this] { ComputeFilter(); };

    LabelPre.onClick = [this] { TrackBarPre.SetPosition(kUnityGain); };
    LabelGain.onClick = [this] { TrackBarGain.SetPosition(kUnityGain); };
    LabelCrush.onClick = [this] { TrackBarCrush.SetPosition(0); };
    LabelFreqency.onClick = [this] { TrackBarFrequency.SetPosition(kFilterDefault); };
    LabelResonance.onClick = [this] { TrackBarResonance.SetPosition(kFilterDefault); };
    LabelFilter.onClick = [this] { ResetCombo(ComboBoxFilter); };
    LabelNoise.onClick = [this] { ResetCombo(ComboBoxNoise); };
    LabelPatch.onClick = [this] { ResetCombo(ComboBoxPatch); };
}

void TFormDSP::ResetCombo(ComboBox& box) {
    box.SetItemIndex(0);
    box.Change();
}

double TFormDSP::GainFactor(int position) {
    // 2^4 * p^4 / 128^4: every term is exact in a double, so 64 gives exactly 1.0.
    const double p = position;
    return 16.0 * (p * p * p * p) / (128.0 * 128.0 * 128.0 * 128.0);
}

void TFormDSP::ButtonDefaultClick() {
    ComboBoxPatch.SetItemIndex(0);
    TrackBarPre.SetPosition(kUnityGain);
    TrackBarGain.SetPosition(kUnityGain);
    TrackBarCrush.SetPosition(0);
    ComboBoxNoise.SetItemIndex(0);
    ComboBoxFilter.SetItemIndex(kFilterOff);
    TrackBarFrequency.SetPosition(kFilterDefault);
    TrackBarResonance.SetPosition(kFilterDefault);
    RunSettingHandlers();
}

void TFormDSP::RunSettingHandlers() {
    TrackBarCrushChange();
    ComboBoxPatchChange();
    ComboBoxFilterChange();
    ComboBoxNoiseChange();
}

void TFormDSP::CheckBoxEnableClick() {
    parameters.enabled = CheckBoxEnable.Checked();
    Publish();
}

void TFormDSP::ComboBoxPatchChange() {
    parameters.patch = ComboBoxPatch.ItemIndex();
    Publish();
}

void TFormDSP::ComboBoxNoiseChange() {
    parameters.noiseMode = ComboBoxNoise.ItemIndex();
    Publish();
}

void TFormDSP::ComboBoxFilterChange() {
    const int mode = ComboBoxFilter.ItemIndex();
    parameters.filterMode = mode;
    // Nothing selected (a stored index out of range) filters nothing, like "Off".
    const bool filtering = mode >= kLowPass && mode <= kResonantHighPass;
    TrackBarFrequency.SetEnabled(filtering);
    TrackBarResonance.SetEnabled(mode >= kResonantLowPass && mode <= kResonantHighPass);
    // Mode and coefficients go out together.
    ComputeFilter();
}

void TFormDSP::TrackBarPreChange() {
    parameters.preGain = GainFactor(TrackBarPre.Position());
    Publish();
}

void TFormDSP::TrackBarGainChange() {
    parameters.outGain = GainFactor(TrackBarGain.Position());
    Publish();
}

void TFormDSP::TrackBarCrushChange() {
    parameters.crushBits = TrackBarCrush.Position();
    ComboBoxNoise.SetEnabled(TrackBarCrush.Position() > 0);
    Publish();
}

void TFormDSP::ComputeFilter() {
    const int frequency = TrackBarFrequency.Position();
    const int resonance = TrackBarResonance.Position();
    switch (parameters.filterMode) {
    case kLowPass:
    case kHighPass: {
        // A one-pole smoother whose pole k = log128(127 - F) runs from 0.998 at F = 0 to 0 at
        // F = 126 and 127, where the signal passes unchanged.
        const int x = kLevelMax - frequency;
        if (x == 0) {
            parameters.a = 1.0;
            parameters.b = 0.0;
        } else {
            const double k = std::log(static_cast<double>(x)) / std::log(128.0);
            parameters.a = 1.0 - k;
            parameters.b = -k;
        }
        break;
    }
    case kResonantLowPass:
    case kResonantBandPass:
    case kResonantHighPass: {
        const double f = frequency / 128.0;
        const double q = resonance / 128.0;
        parameters.a = f;
        parameters.b = q + q / (1.0 - f);
        break;
    }
    default:
        break;
    }
    Publish();
}

bool TFormDSP::ApplySettings(std::string_view value) {
    const auto parsed = ParseSettings(value);
    if (!parsed) {
        return false;
    }
    const auto& v = *parsed;
    ComboBoxPatch.SetItemIndex(v[0]);
    CheckBoxEnable.SetChecked(v[1] != 0);
    TrackBarPre.SetPosition(v[2]);
    TrackBarGain.SetPosition(v[3]);
    TrackBarCrush.SetPosition(v[4]);
    ComboBoxNoise.SetItemIndex(v[5]);
    ComboBoxFilter.SetItemIndex(v[6]);
    TrackBarFrequency.SetPosition(v[7]);
    TrackBarResonance.SetPosition(v[8]);
    RunSettingHandlers();
    return true;
}

std::string TFormDSP::SettingsText() const {
    const std::array<int, kSettingCount> values = {
        ComboBoxPatch.ItemIndex(),  CheckBoxEnable.Checked() ? 1 : 0, TrackBarPre.Position(),
        TrackBarGain.Position(),    TrackBarCrush.Position(),         ComboBoxNoise.ItemIndex(),
        ComboBoxFilter.ItemIndex(), TrackBarFrequency.Position(),     TrackBarResonance.Position()};
    std::string text;
    for (int value : values) {
        if (!text.empty()) {
            text += ',';
        }
        text += std::to_string(value);
    }
    return text;
}

void TFormDSP::LoadSettings(const IniFile& ini, const std::string& section,
                            const std::string& applicationTitle) {
    SetCaption("DSP - " + applicationTitle);
    const std::string value = ini.ReadString(section, kKey, "Default");
    if (value != "Default" && ApplySettings(value)) {
        return;
    }
    CheckBoxEnable.SetChecked(false);
    ButtonDefaultClick();
}

void TFormDSP::SaveSettings(IniFile& ini, const std::string& section) const {
    ini.WriteString(section, kKey, SettingsText());
}

} // namespace vorpline
