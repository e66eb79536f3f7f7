#include "presets/TFormParam.h"

#include <cstdint>

namespace vorpline {

namespace {

constexpr int kDepthMax = 4799; // cents
constexpr int kDepthDefault = 2400;
constexpr int kDepthLine = 200;
constexpr int kDepthPage = 600;
constexpr int kPitchMax = 2399; // cents
constexpr int kPitchDefault = 1200;
constexpr int kPitchLine = 100;
constexpr int kPitchPage = 300;
constexpr int kTimeMax = 127;
constexpr int kTimePage = 8;

constexpr uint8_t kUp1234 = 0x01;
constexpr uint8_t kDown1234 = 0x02;
constexpr uint8_t kUp56 = 0x10;
constexpr uint8_t kDown56 = 0x20;

TrackBar DepthBar(const char* name) {
    return TrackBar(name, 0, kDepthMax, kDepthDefault, kDepthPage, kDepthLine, kDepthLine);
}

TrackBar PitchBar(const char* name) {
    return TrackBar(name, 0, kPitchMax, kPitchDefault, kPitchPage, kPitchLine, kPitchLine);
}

TrackBar TimeBar(const char* name) {
    return TrackBar(name, 0, kTimeMax, 0, kTimePage, kTimePage);
}

void ShowTime(Label& label, const TrackBar& bar) {
    label.SetCaption(bar.Position() == 0 ? "Off" : std::to_string(bar.Position()));
}

} // namespace

TFormParam::TFormParam(PresetParameters& values, const std::string& applicationTitle)
    : Form("FormParam", "Parameters - " + applicationTitle),
      LabelDepth1234("LabelDepth1234", "Modulation range 1-4"),
      TrackBarDepth1234(DepthBar("TrackBarDepth1234")),
      LabelDepth56("LabelDepth56", "Modulation range 5/6"),
      TrackBarDepth56(DepthBar("TrackBarDepth56")),
      LabelPitch1234("LabelPitch1234", "Pitch bend range 1-4"),
      TrackBarPitch1234(PitchBar("TrackBarPitch1234")),
      LabelPitch56("LabelPitch56", "Pitch bend range 5/6"),
      TrackBarPitch56(PitchBar("TrackBarPitch56")),
      LabelPortamento1234("LabelPortamento1234", "Time 1-4"),
      TrackBarPortamento1234(TimeBar("TrackBarPortamento1234")), LabelMs1234("LabelMs1234", "Off"),
      LabelPortamento56("LabelPortamento56", "Time 5/6"),
      TrackBarPortamento56(TimeBar("TrackBarPortamento56")), LabelMs56("LabelMs56", "Off"),
      LabelAffect1234("LabelAffect1234", "Affect 1-4"),
      CheckBox1234Release("CheckBox1234Release", "Up"),
      CheckBox1234Attack("CheckBox1234Attack", "Down"),
      LabelAffect56("LabelAffect56", "Affect 5/6"), CheckBox56Release("CheckBox56Release", "Up"),
      CheckBox56Attack("CheckBox56Attack", "Down"), ButtonOk("ButtonOk", "OK"),
      ButtonCancel("ButtonCancel", "Cancel"), ButtonReset("ButtonReset", "Reset"),
      ButtonDefault("ButtonDefault", "Default"), values(values) {
    ButtonOk.onClick = [this] { ButtonOkClick(); };
    ButtonCancel.onClick = [this] { ButtonCancelClick(); };
    ButtonReset.onClick = [this] { ButtonResetClick(); };
    ButtonDefault.onClick = [this] { ButtonDefaultClick(); };
    TrackBarPortamento1234.onChange = [this] { TrackBarPortamento1234Change(); };
    TrackBarPortamento56.onChange = [this] { TrackBarPortamento56Change(); };
    ButtonResetClick();
}

void TFormParam::ButtonOkClick() {
    values.modulationRange = {TrackBarDepth1234.Position(), TrackBarDepth56.Position()};
    values.bendRange = {TrackBarPitch1234.Position(), TrackBarPitch56.Position()};
    values.portamentoTime = {static_cast<uint16_t>(TrackBarPortamento1234.Position()),
                             static_cast<uint16_t>(TrackBarPortamento56.Position())};
    values.legatoFlags = static_cast<uint8_t>((CheckBox1234Release.Checked() ? kUp1234 : 0) |
                                              (CheckBox1234Attack.Checked() ? kDown1234 : 0) |
                                              (CheckBox56Release.Checked() ? kUp56 : 0) |
                                              (CheckBox56Attack.Checked() ? kDown56 : 0));
    accepted = true;
    Hide();
}

void TFormParam::ButtonCancelClick() {
    Hide();
}

void TFormParam::ButtonResetClick() {
    // The ranges are 16-bit fields of the preset file; a value beyond a track bar's range (a
    // bend range of 3000 cents set by RPN) is shown at the end of the range, and "OK" stores it
    // there.
    auto s16 = [](int value) { return static_cast<int>(static_cast<int16_t>(value)); };
    TrackBarDepth1234.SetPosition(s16(values.modulationRange[0]));
    TrackBarDepth56.SetPosition(s16(values.modulationRange[1]));
    TrackBarPitch1234.SetPosition(s16(values.bendRange[0]));
    TrackBarPitch56.SetPosition(s16(values.bendRange[1]));
    TrackBarPortamento1234.SetPosition(values.portamentoTime[0]);
    TrackBarPortamento56.SetPosition(values.portamentoTime[1]);
    CheckBox1234Release.SetChecked((values.legatoFlags & kUp1234) != 0);
    CheckBox1234Attack.SetChecked((values.legatoFlags & kDown1234) != 0);
    CheckBox56Release.SetChecked((values.legatoFlags & kUp56) != 0);
    CheckBox56Attack.SetChecked((values.legatoFlags & kDown56) != 0);
    TrackBarPortamento1234Change();
    TrackBarPortamento56Change();
}

void TFormParam::ButtonDefaultClick() {
    TrackBarDepth1234.SetPosition(kDepthDefault);
    TrackBarDepth56.SetPosition(kDepthDefault);
    TrackBarPitch1234.SetPosition(kPitchDefault);
    TrackBarPitch56.SetPosition(kPitchDefault);
    TrackBarPortamento1234.SetPosition(0);
    TrackBarPortamento56.SetPosition(0);
    for (CheckBox* box :
         {&CheckBox1234Release, &CheckBox1234Attack, &CheckBox56Release, &CheckBox56Attack}) {
        box->SetChecked(false);
    }
}

void TFormParam::TrackBarPortamento1234Change() {
    ShowTime(LabelMs1234, TrackBarPortamento1234);
}

void TFormParam::TrackBarPortamento56Change() {
    ShowTime(LabelMs56, TrackBarPortamento56);
}

} // namespace vorpline
