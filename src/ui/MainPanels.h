#pragma once
#include <array>

#include "controls/Button.h"
#include "controls/CheckBox.h"
#include "controls/ComboBox.h"
#include "controls/Label.h"
#include "controls/Picture.h"
#include "controls/TrackBar.h"
#include "ui/TFrameOp.h"

namespace vorpline {

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
    std::array<Button*, 8> ModuleButtons();
};

} // namespace vorpline
