#pragma once
#include <string>

#include "controls/Button.h"
#include "controls/CheckBox.h"
#include "controls/Form.h"
#include "controls/Label.h"
#include "controls/TrackBar.h"
#include "ui/PresetParameters.h"

namespace vorpline {

// The parameter dialog: the seven per-preset values of both parts that have no place on the
// synth panel (modulation and pitch-bend ranges, portamento times, legato flags). It edits the
// values it was opened with; only "OK" writes them back, "Cancel" and closing the window leave
// them as they were. The caller hands them on to the engine afterwards.
// Main thread only; `values` must outlive the form.
class TFormParam : public Form {
public:
    // Caption "Parameters - " + `applicationTitle`; the controls show `values` ("Reset").
    TFormParam(PresetParameters& values, const std::string& applicationTitle);

    // True once "OK" has stored the controls into the values.
    bool Accepted() const { return accepted; }

    // Handlers.
    void ButtonOkClick();
    void ButtonCancelClick();
    void ButtonResetClick();
    void ButtonDefaultClick();
    void TrackBarPortamento1234Change();
    void TrackBarPortamento56Change();

    // Cents, 0..4799.
    Label LabelDepth1234;
    TrackBar TrackBarDepth1234;
    Label LabelDepth56;
    TrackBar TrackBarDepth56;
    // Cents, 0..2399.
    Label LabelPitch1234;
    TrackBar TrackBarPitch1234;
    Label LabelPitch56;
    TrackBar TrackBarPitch56;
    // 0..127, 0 = off; the Ms labels show the time as a number or "Off".
    Label LabelPortamento1234;
    TrackBar TrackBarPortamento1234;
    Label LabelMs1234;
    Label LabelPortamento56;
    TrackBar TrackBarPortamento56;
    Label LabelMs56;
    // Legato flags, the bits of PresetParameters::legatoFlags: how a legato glide starts when
    // a pressed key takes the voice ("Down") or a released key hands it back ("Up").
    Label LabelAffect1234;
    CheckBox CheckBox1234Release;
    CheckBox CheckBox1234Attack;
    Label LabelAffect56;
    CheckBox CheckBox56Release;
    CheckBox CheckBox56Attack;

    Button ButtonOk;
    Button ButtonCancel;
    Button ButtonReset;
    Button ButtonDefault;

private:
    PresetParameters& values;
    bool accepted = false;
};

} // namespace vorpline
