#pragma once
#include <optional>
#include <string>

#include "controls/Button.h"
#include "controls/ComboBox.h"
#include "controls/Edit.h"
#include "controls/Form.h"
#include "controls/Label.h"

namespace vorpline {

// The tick calculator: bars, beats (sixteenths, 6 ticks each) and clock ticks (24 per quarter
// note) converted into each other, so an LFO duration can be entered musically. Each field
// takes its value on Enter; changing the beats per bar recomputes from the bars. Opened from
// an LFO menu it returns a tick value with "OK"; from the LFO window's "Calc" button it is a
// plain converter without "OK". A form is made for one use. Main thread only.
class TFormCalc : public Form {
public:
    static constexpr int kTicksPerBeat = 6;
    static constexpr int kNoBeatsPerBar = -1;

    // Caption "Calc - " + `applicationTitle`. `beatsPerBar` selects that entry of the list
    // (16 when it is none of them) and shows "OK"; kNoBeatsPerBar hides "OK". The ticks are
    // converted at once.
    TFormCalc(int beatsPerBar, int ticks, const std::string& applicationTitle);

    // The ticks "OK" returned; nothing after "Cancel", closing, or without "OK".
    std::optional<int> Accepted() const;
    bool OkShown() const { return okShown; }

    // Handlers.
    void EditTicksKeyUp(int key);
    void EditBeatsKeyUp(int key);
    void EditBarsKeyUp(int key);
    void ComboBoxBPBChange();
    void ButtonOkClick();
    void ButtonCancelClick();

    Label GroupBoxBars;
    Edit EditBars;
    Label LabelMinus;
    Edit EditMinus;
    Label LabelBPB;
    ComboBox ComboBoxBPB;
    Label GroupBoxBeats;
    Edit EditBeats;
    Label GroupBoxTicks;
    Edit EditTicks;
    Button ButtonOk;
    Button ButtonCancel;

private:
    int BeatsPerBar() const;
    void FromTicks();

    int result = -1;
    bool accepted = false;
    bool okShown;
};

} // namespace vorpline
