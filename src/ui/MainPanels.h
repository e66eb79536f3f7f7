#pragma once
#include <array>
#include <string>

#include "controls/Button.h"
#include "controls/CheckBox.h"
#include "controls/ComboBox.h"
#include "controls/Label.h"
#include "controls/Picture.h"
#include "controls/TrackBar.h"
#include "ui/TFrameOp.h"

namespace vorpline {

// The range of the tuning boxes (ComboBoxTranspose, ComboBoxTR1, ComboBoxTR2), in cents.
//
// The top is what the chip can sound: its highest pitch is block 7 with F-number 1023, 6208 Hz,
// and the engine's highest note is 114 (F#8, 5920 Hz, block 7, F-number 976); from note 115 on
// it writes F-number 0, a click and no tone. +4500 is the most that keeps A4 (note 69, the
// tuning reference) within that: at +4800 and +6000 A4 and most of the keyboard above it fall
// silent. The bottom is the lowest offered item: -6000 takes A4 to 13.75 Hz (block 0, F-number
// 290), which the chip still plays, if below hearing; nothing lower is of use.
//
// The boxes hold one box's value each; a transposition and a part tuning near the top of the
// range together can still take high notes out of the chip's range.
inline constexpr int kLowestTuningCents = -6000;
inline constexpr int kHighestTuningCents = 4500;

// The cents a tuning box's text stands for, as the pitch uses it: a whole number clamped to
// the range, anything else 0 ("0 cents", "abc").
int TuningCents(const std::string& text);

// The controls of one part's panel ("1234" on the left, "56" on the right), which have the
// same layout and behaviour and differ only in their names.
struct PartPanel {
    int part; // 0 = operators 1-4, 1 = operators 5-6
    ComboBox& feedback;
    ComboBox& tuning;
    Label& outputLabel;
    CheckBox& left;
    CheckBox& right;
    ComboBox& midiChannel;
    Label& lowLabel;
    ComboBox& low;
    Label& highLabel;
    ComboBox& high;
    ComboBox& mode;
    ComboBox& priority;
    Label& notes;
};

// Every control of the synthesizer panel with its items and design-time state, by panel.
// Behaviour lives in TFormMain; this is what the panel shows.
// Main thread only.
class MainPanels {
public:
    MainPanels();
    MainPanels(const MainPanels&) = delete;
    MainPanels& operator=(const MainPanels&) = delete;

    // "PanelDev": MIDI input and master transposition.
    ComboBox ComboBoxMidiIn;
    ComboBox ComboBoxTranspose;

    // "PanelOutput": the output's own volume, not the patch's.
    Label LabelVolume;
    TrackBar TrackBarVolume;
    Label LabelPan;
    TrackBar TrackBarPan;
    CheckBox CheckBoxMute;
    Label LabelDiv;
    ComboBox ComboBoxDiv;

    // "PanelPreset".
    Label LabelPreset;
    ComboBox ComboBoxPreset;
    ComboBox ComboBoxBank;
    Button ButtonSavePreset;
    Button ButtonReset;
    Button ButtonDefault;
    Button ButtonDelete;
    Button ButtonPerf;
    Button ButtonParam;
    Button ButtonImportBank;

    // "PanelLeft": part "1234".
    ComboBox ComboBoxFB;
    ComboBox ComboBoxTR1;
    Label LabelOP1;
    CheckBox CheckBoxA;
    CheckBox CheckBoxB;
    ComboBox ComboBoxMidiChannel1234;
    Label LabelLow1234;
    ComboBox ComboBoxLow1234;
    Label LabelHigh1234;
    ComboBox ComboBoxHigh1234;
    ComboBox ComboBoxLimit1234;
    ComboBox ComboBoxPri1234;
    Label LabelP1234;

    // "PanelRight": part "56".
    ComboBox ComboBoxFB2;
    ComboBox ComboBoxTR2;
    Label LabelOP2;
    CheckBox CheckBoxA2;
    CheckBox CheckBoxB2;
    ComboBox ComboBoxMidiChannel56;
    Label LabelLow56;
    ComboBox ComboBoxLow56;
    Label LabelHigh56;
    ComboBox ComboBoxHigh56;
    ComboBox ComboBoxLimit56;
    ComboBox ComboBoxPri56;
    Label LabelP56;

    // "PanelCenter": algorithm, LFO depths and the algorithm's schematic.
    ComboBox ComboBoxCNT;
    ComboBox ComboBoxTD;
    ComboBox ComboBoxVD;
    Picture ImageCnt;

    // "PanelModules": one button per optional window, enabled while that window exists.
    Button ButtonBend;
    Button ButtonKbd;
    Button ButtonRT;
    Button ButtonCc;
    Button ButtonSeq;
    Button ButtonLFO;
    Button ButtonDrum;
    Button ButtonDSP;
    // The register monitor, which every run has.
    Button ButtonMon;

    // Operators 1 to 6.
    TFrameOp FrameOp1;
    TFrameOp FrameOp4;
    TFrameOp FrameOp7;
    TFrameOp FrameOp10;
    TFrameOp FrameOp13;
    TFrameOp FrameOp16;
    // The frames by operator index 0..5.
    const std::array<TFrameOp*, 6> FrameOps;

    PartPanel Panel(int part);
    std::array<Button*, 9> ModuleButtons();

    // Typing in a tuning box has ended (Enter, or the box lost the focus): the box shows the
    // value in use in its usual form, so "abc" becomes "0 cents" and "+050" "+50". While the
    // user types, the text stays as typed, except that a number beyond the range is replaced
    // at once by the range's end, before any handler sees it. No handler runs: the value in
    // use does not change.
    static void TuningEditDone(ComboBox& box);
};

} // namespace vorpline
