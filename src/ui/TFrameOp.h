#pragma once
#include <array>
#include <string>
#include <vector>

#include "controls/Button.h"
#include "controls/CheckBox.h"
#include "controls/ComboBox.h"
#include "controls/Label.h"
#include "controls/TrackBar.h"

namespace vorpline {

// One operator of the patch as it appears on the panel. The frame only holds the controls;
// the main window gives every frame the same handlers, which tell the frames apart by the
// operator index (0..5) every control carries as its tag.
// Main thread only.
class TFrameOp {
public:
    static constexpr int kWaveformCount = 8;
    static inline const std::string kEditListItem = "Edit list";

    // `op` is the operator index 0..5; `name` the frame's name on the form ("FrameOp1", ...).
    TFrameOp(int op, std::string name);
    TFrameOp(const TFrameOp&) = delete;
    TFrameOp& operator=(const TFrameOp&) = delete;

    int Operator() const { return op; }
    const std::string& Name() const { return name; }

    // Operator number "1".."6".
    Label PanelNum;

    ComboBox ComboBoxWS;
    // The waveforms again, chosen by picture; the view shows wave0..7 beside the names.
    std::array<MenuItem, kWaveformCount> PopupMenuWave;
    CheckBox CheckBoxTremolo;
    CheckBox CheckBoxVibrato;
    CheckBox CheckBoxHold;
    CheckBox CheckBoxRateScaling;
    // The operator's own tuning list of cents values, then kEditListItem.
    ComboBox ComboBoxFreqMultiplier;
    ComboBox ComboBoxLevelScaling;
    TrackBar TrackBarVolume;
    TrackBar TrackBarAttack;
    TrackBar TrackBarDecay;
    TrackBar TrackBarSustain;
    TrackBar TrackBarRelease;
    CheckBox CheckBoxCC;
    CheckBox CheckBoxDamper;
    TrackBar TrackBarOffset;
    ComboBox ComboBoxTarget;

    // Context menu of the frame.
    MenuItem MenuItemCut;
    MenuItem MenuItemCopy;
    MenuItem MenuItemPaste;
    MenuItem MenuItemClearAll;

    // Replaces the tuning list with `cents` texts and appends kEditListItem. Selects nothing.
    void SetTuningTexts(std::vector<std::string> cents);
    // The tuning entries without kEditListItem.
    std::vector<std::string> TuningTexts() const;
    bool EditListSelected() const;
    // Cents of the selected tuning entry; a text that is not a number counts 0.
    int SelectedCents() const;

    // Every control of the frame, for tagging and for views that treat them alike.
    std::vector<Control*> Controls();

    // The sixteen table values with neighbouring repeats dropped ("+3990" once, not twice).
    static std::vector<std::string> DefaultTuningTexts();

private:
    int op;
    std::string name;
};

} // namespace vorpline
