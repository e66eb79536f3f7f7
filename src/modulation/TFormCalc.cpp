#include "modulation/TFormCalc.h"

#include <algorithm>
#include <climits>

#include "platform/IniFile.h"

namespace vorpline {

namespace {

constexpr int kEnter = '\r';
constexpr int kDefaultBeatsPerBar = 16;

int IntegerOr(const std::string& text, int fallback) {
    const auto value = IniFile::ParseInteger(text);
    return value && *value >= INT_MIN && *value <= INT_MAX ? static_cast<int>(*value) : fallback;
}

// Products of typed numbers stay in int: what does not fit is held at its end.
int Clamped(long long value) {
    return static_cast<int>(std::max<long long>(INT_MIN, std::min<long long>(INT_MAX, value)));
}

} // namespace

TFormCalc::TFormCalc(int beatsPerBar, int ticks, const std::string& applicationTitle)
    : Form("FormCalc", "Calc - " + applicationTitle), GroupBoxBars("GroupBoxBars", "Bars"),
      EditBars("EditBars", "1"), LabelMinus("LabelMinus", "_"), EditMinus("EditMinus", "0"),
      LabelBPB("LabelBPB", "Beats/bar"),
      ComboBoxBPB("ComboBoxBPB", {"8", "12", "16", "20", "24", "28"}, 2),
      GroupBoxBeats("GroupBoxBeats", "Beats"), EditBeats("EditBeats", "1"),
      GroupBoxTicks("GroupBoxTicks", "Ticks (t)"), EditTicks("EditTicks"),
      ButtonOk("ButtonOk", "OK"), ButtonCancel("ButtonCancel", "Cancel"),
      okShown(beatsPerBar != kNoBeatsPerBar) {
    ButtonOk.SetEnabled(okShown);
    const int index = ComboBoxBPB.IndexOf(std::to_string(beatsPerBar));
    ComboBoxBPB.SetItemIndex(index != ComboBox::kNone
                                 ? index
                                 : ComboBoxBPB.IndexOf(std::to_string(kDefaultBeatsPerBar)));
    EditTicks.SetText(std::to_string(ticks));
    FromTicks();
    EditTicks.onKeyUp = [this](int key) { EditTicksKeyUp(key); };
    EditBeats.onKeyUp = [this](int key) { EditBeatsKeyUp(key); };
    EditBars.onKeyUp = [this](int key) { EditBarsKeyUp(key); };
    EditMinus.onKeyUp = [this](int key) { EditBarsKeyUp(key); };
    ComboBoxBPB.onChange = [this] { ComboBoxBPBChange(); };
    ButtonOk.onClick = [this] { ButtonOkClick(); };
    ButtonCancel.onClick = [this] { ButtonCancelClick(); };
}

std::optional<int> TFormCalc::Accepted() const {
    return accepted ? std::optional<int>(result) : std::nullopt;
}

int TFormCalc::BeatsPerBar() const {
    const int bpb = IntegerOr(ComboBoxBPB.Text(), kDefaultBeatsPerBar);
    return bpb > 0 ? bpb : kDefaultBeatsPerBar;
}

void TFormCalc::FromTicks() {
    result = IntegerOr(EditTicks.Text(), 1);
    const int beats = result / kTicksPerBeat;
    EditBeats.SetText(std::to_string(beats));
    EditBars.SetText(std::to_string(beats / BeatsPerBar()));
    EditMinus.SetText("0");
}

void TFormCalc::EditTicksKeyUp(int key) {
    if (key == kEnter) {
        FromTicks();
    }
}

void TFormCalc::EditBeatsKeyUp(int key) {
    if (key != kEnter) {
        return;
    }
    const int beats = IntegerOr(EditBeats.Text(), 1);
    result = Clamped(static_cast<long long>(beats) * kTicksPerBeat);
    EditBars.SetText(std::to_string(beats / BeatsPerBar()));
    EditMinus.SetText("0");
    EditTicks.SetText(std::to_string(result));
}

void TFormCalc::EditBarsKeyUp(int key) {
    if (key == kEnter) {
        ComboBoxBPBChange();
    }
}

void TFormCalc::ComboBoxBPBChange() {
    const long long bars = IntegerOr(EditBars.Text(), 1);
    const long long minus = IntegerOr(EditMinus.Text(), 0);
    const int beats = Clamped(BeatsPerBar() * (bars - minus));
    result = Clamped(static_cast<long long>(beats) * kTicksPerBeat);
    EditBeats.SetText(std::to_string(beats));
    EditTicks.SetText(std::to_string(result));
}

void TFormCalc::ButtonOkClick() {
    accepted = result != -1;
    Hide();
}

void TFormCalc::ButtonCancelClick() {
    accepted = false;
    Hide();
}

} // namespace vorpline
