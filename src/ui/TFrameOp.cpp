#include "ui/TFrameOp.h"

#include "engine/MultiplierCents.h"

namespace vorpline {

namespace {

const std::vector<std::string> kWaveformNames = {
    "Sine",        "Sine (half)",          "Sine (absolute)", "Sine (quarter pulse)",
    "Sine (fast)", "Sine (fast absolute)", "Square",          "Pulse"};

MenuItem WaveItem(int waveform) {
    return MenuItem("MenuItemWave" + std::to_string(waveform),
                    kWaveformNames[static_cast<size_t>(waveform)]);
}

} // namespace

TFrameOp::TFrameOp(int op, std::string name)
    : PanelNum("PanelNum", std::to_string(op + 1)),
      ComboBoxWS("ComboBoxWS", kWaveformNames, 0), PopupMenuWave{WaveItem(0), WaveItem(1),
                                                                 WaveItem(2), WaveItem(3),
                                                                 WaveItem(4), WaveItem(5),
                                                                 WaveItem(6), WaveItem(7)},
      CheckBoxTremolo("CheckBoxTremolo", "Tremolo"), CheckBoxVibrato("CheckBoxVibrato", "Vibrato"),
      CheckBoxHold("CheckBoxHold", "Hold"), CheckBoxRateScaling("CheckBoxRateScaling", "Rate"),
      ComboBoxFreqMultiplier("ComboBoxFreqMultiplier"),
      ComboBoxLevelScaling("ComboBoxLevelScaling",
                           {"Off", "-1.5 dB / Octave", "-3.0 dB / Octave", "-6.0 dB / Octave"}, 0),
      TrackBarVolume("TrackBarVolume", 0, 63, 0), TrackBarAttack("TrackBarAttack", 0, 15, 15),
      TrackBarDecay("TrackBarDecay", 0, 15, 15), TrackBarSustain("TrackBarSustain", 0, 15, 15),
      TrackBarRelease("TrackBarRelease", 0, 15, 15), CheckBoxCC("CheckBoxCC", "CC"),
      CheckBoxDamper("CheckBoxDamper", "Damper"), TrackBarOffset("TrackBarOffset", 0, 127, 1),
      ComboBoxTarget("ComboBoxTarget", {"Off", "Volume", "Attack", "Decay", "Sustain", "Release"},
                     0),
      MenuItemCut("MenuItemCut", "Cut"), MenuItemCopy("MenuItemCopy", "Copy"),
      MenuItemPaste("MenuItemPaste", "Paste"), MenuItemClearAll("MenuItemClearAll", "Clear All"),
      op(op), name(std::move(name)) {
    SetTuningTexts(DefaultTuningTexts());
    ComboBoxFreqMultiplier.SetText(CentsText(0));
    // Nothing to paste until the first Copy or Cut of the run.
    MenuItemPaste.SetEnabled(false);
    for (Control* control : Controls()) {
        control->SetTag(op);
    }
}

std::vector<Control*> TFrameOp::Controls() {
    std::vector<Control*> all = {
        &PanelNum,        &ComboBoxWS,          &CheckBoxTremolo,        &CheckBoxVibrato,
        &CheckBoxHold,    &CheckBoxRateScaling, &ComboBoxFreqMultiplier, &ComboBoxLevelScaling,
        &TrackBarVolume,  &TrackBarAttack,      &TrackBarDecay,          &TrackBarSustain,
        &TrackBarRelease, &CheckBoxCC,          &CheckBoxDamper,         &TrackBarOffset,
        &ComboBoxTarget,  &MenuItemCut,         &MenuItemCopy,           &MenuItemPaste,
        &MenuItemClearAll};
    for (MenuItem& item : PopupMenuWave) {
        all.push_back(&item);
    }
    return all;
}

void TFrameOp::SetTuningTexts(std::vector<std::string> cents) {
    cents.push_back(kEditListItem);
    ComboBoxFreqMultiplier.SetItems(std::move(cents));
    ComboBoxFreqMultiplier.SetItemIndex(ComboBox::kNone);
}

std::vector<std::string> TFrameOp::TuningTexts() const {
    std::vector<std::string> texts = ComboBoxFreqMultiplier.Items();
    if (!texts.empty() && texts.back() == kEditListItem) {
        texts.pop_back();
    }
    return texts;
}

bool TFrameOp::EditListSelected() const {
    int index = ComboBoxFreqMultiplier.ItemIndex();
    return index != ComboBox::kNone && index == ComboBoxFreqMultiplier.Count() - 1 &&
           ComboBoxFreqMultiplier.Text() == kEditListItem;
}

int TFrameOp::SelectedCents() const {
    return CentsFromText(ComboBoxFreqMultiplier.Text());
}

std::vector<std::string> TFrameOp::DefaultTuningTexts() {
    std::vector<std::string> texts;
    for (size_t i = 0; i < kMultiplierCentsTable.size(); ++i) {
        if (i == 0 || kMultiplierCentsTable[i] != kMultiplierCentsTable[i - 1]) {
            texts.push_back(CentsText(kMultiplierCentsTable[i]));
        }
    }
    return texts;
}

} // namespace vorpline
