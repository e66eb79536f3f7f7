#include "ui/MainPanels.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "engine/MultiplierCents.h"

namespace vorpline {

namespace {

using Items = std::vector<std::string>;

// Without "+4800" and "+6000": beyond kHighestTuningCents, where A4 falls silent.
const Items kTransposeItems = {"-6000",   "-4800", "-3600", "-2400", "-1200",
                               "0 cents", "+1200", "+2400", "+3600"};
const Items kPartTuningItems = {"-4690", "-4300",   "-3990", "-3800", "-3600",
                                "-3370", "-3100",   "-2790", "-2400", "-1900",
                                "-1200", "0 cents", "+1200", "+2400", "+3600"};
const Items kFeedbackItems = {"Off",    "PI / 16", "PI / 8", "PI / 4",
                              "PI / 2", "PI",      "PI x 2", "PI x 4"};
const Items kOctaveItems = {"C-1 B-1", "C0 B0", "C1 B1", "C2 B2", "C3 B3", "C4 B4",
                            "C5 B5",   "C6 B6", "C7 B7", "C8 B8", "C9 G9"};
const Items kPriorityItems = {"First", "High", "Last", "Low"};
const Items kAlgorithmItems = {"1>2>3>4 + 5>6",     "1 + 2>3>4 + 5>6",    "1>2 + 3>4 + 5>6",
                               "1 + 2>3 + 4 + 5>6", "1>2>3>4 + 5 + 6",    "1 + 2>3>4 + 5 + 6",
                               "1>2 + 3>4 + 5 + 6", "1 + 2>3 + 4 + 5 + 6"};

constexpr int kLowestOctave = 0;
constexpr int kHighestOctave = 10;
constexpr int kPoly6 = 6;
constexpr int kPriorityLast = 2;
constexpr int kPresetRows = 38;
constexpr int kBank6op = 2;
// Pan ticks at both ends and the centre; a page is an eighth of a side.
constexpr int kPanTicks = 64;
constexpr int kPanPage = 8;

// A whole number with an optional sign and blanks around it, as CentsFromText reads one;
// numbers too long for any integer come back as the end of their sign's side.
std::optional<int64_t> WholeNumber(const std::string& text) {
    constexpr const char* kBlanks = " \t\n\v\f\r";
    size_t begin = text.find_first_not_of(kBlanks);
    size_t end = text.find_last_not_of(kBlanks);
    if (begin == std::string::npos) {
        return std::nullopt;
    }
    ++end;
    bool negative = false;
    if (text[begin] == '+' || text[begin] == '-') {
        negative = text[begin] == '-';
        ++begin;
    }
    if (begin == end || text[begin] < '0' || text[begin] > '9') {
        return std::nullopt;
    }
    int64_t value = 0;
    auto [ptr, ec] = std::from_chars(text.data() + begin, text.data() + end, value);
    if (ptr != text.data() + end || (ec != std::errc() && ec != std::errc::result_out_of_range)) {
        return std::nullopt;
    }
    if (ec == std::errc::result_out_of_range) {
        value = std::numeric_limits<int64_t>::max();
    }
    return negative ? -value : value;
}

int ClampTuning(int64_t cents) {
    return static_cast<int>(std::clamp<int64_t>(cents, kLowestTuningCents, kHighestTuningCents));
}

// A typed number beyond the range is replaced before the box's handler and the pitch read it;
// anything else waits until typing ends (TuningEditDone), as rewriting "-" or "0 cent" mid-word
// would fight the user.
void KeepTuningInRange(ComboBox& box) {
    const std::optional<int64_t> typed = WholeNumber(box.Text());
    if (typed && ClampTuning(*typed) != *typed) {
        box.SetText(CentsText(ClampTuning(*typed)));
    }
}

Items MidiChannels() {
    Items channels;
    for (int c = 1; c <= 16; ++c) {
        channels.push_back(std::to_string(c));
    }
    return channels;
}

// The right panel's "Poly 4 " carries a trailing blank; the panels are otherwise alike.
Items Modes(const std::string& poly4) {
    return {"Legato", "Mono", "Poly 2", "Poly 3", poly4, "Poly 5", "Poly 6"};
}

} // namespace

int TuningCents(const std::string& text) {
    const std::optional<int64_t> typed = WholeNumber(text);
    return typed ? ClampTuning(*typed) : 0;
}

MainPanels::MainPanels()
    : ComboBoxMidiIn("ComboBoxMidiIn"),
      ComboBoxTranspose("ComboBoxTranspose", kTransposeItems, 5, true),
      LabelVolume("LabelVolume", "Volume"), TrackBarVolume("TrackBarVolume", 0, 31, 25),
      LabelPan("LabelPan", "Pan"), TrackBarPan("TrackBarPan", -64, 63, 0, kPanPage, kPanTicks),
      CheckBoxMute("CheckBoxMute", "Mute"), LabelDiv("LabelDiv", "Attenuator"),
      ComboBoxDiv("ComboBoxDiv", {"Off", "/ 2", "/ 4"}, 0), LabelPreset("LabelPreset", "Preset"),
      ComboBoxPreset("ComboBoxPreset", {}, 0, true),
      ComboBoxBank("ComboBoxBank", {"2op 5/6", "4op 1-4", "6op 1-6"}, kBank6op),
      ButtonSavePreset("ButtonSavePreset", "Save"), ButtonReset("ButtonReset", "Reset"),
      ButtonDefault("ButtonDefault", "Default"), ButtonDelete("ButtonDelete", "Delete"),
      ButtonPerf("ButtonPerf", "Perf."), ButtonParam("ButtonParam", "Param"),
      ButtonImportBank("ButtonImportBank", "Import bank..."),

      ComboBoxFB("ComboBoxFB", kFeedbackItems, 0),
      ComboBoxTR1("ComboBoxTR1", kPartTuningItems, 11, true), LabelOP1("LabelOP1", "Output"),
      CheckBoxA("CheckBoxA", "L", true), CheckBoxB("CheckBoxB", "R", true),
      ComboBoxMidiChannel1234("ComboBoxMidiChannel1234", MidiChannels(), 0),
      LabelLow1234("LabelLow1234", "Low"),
      ComboBoxLow1234("ComboBoxLow1234", kOctaveItems, kLowestOctave),
      LabelHigh1234("LabelHigh1234", "High"),
      ComboBoxHigh1234("ComboBoxHigh1234", kOctaveItems, kHighestOctave),
      ComboBoxLimit1234("ComboBoxLimit1234", Modes("Poly 4"), kPoly6),
      ComboBoxPri1234("ComboBoxPri1234", kPriorityItems, kPriorityLast),
      LabelP1234("LabelP1234", "0", "Notes"),

      ComboBoxFB2("ComboBoxFB2", kFeedbackItems, 0),
      ComboBoxTR2("ComboBoxTR2", kPartTuningItems, 11, true), LabelOP2("LabelOP2", "Output"),
      CheckBoxA2("CheckBoxA2", "L", true), CheckBoxB2("CheckBoxB2", "R", true),
      ComboBoxMidiChannel56("ComboBoxMidiChannel56", MidiChannels(), 0),
      LabelLow56("LabelLow56", "Low"), ComboBoxLow56("ComboBoxLow56", kOctaveItems, kLowestOctave),
      LabelHigh56("LabelHigh56", "High"),
      ComboBoxHigh56("ComboBoxHigh56", kOctaveItems, kHighestOctave),
      ComboBoxLimit56("ComboBoxLimit56", Modes("Poly 4 "), kPoly6),
      ComboBoxPri56("ComboBoxPri56", kPriorityItems, kPriorityLast),
      LabelP56("LabelP56", "0", "Notes"),

      ComboBoxCNT("ComboBoxCNT", kAlgorithmItems, 0),
      ComboBoxTD("ComboBoxTD", {"1 dB", "4.8 dB"}, 0),
      ComboBoxVD("ComboBoxVD", {"7 cents", "14 cents"}, 0), ImageCnt("ImageCnt"),

      ButtonBend("ButtonBend", "Bend"), ButtonKbd("ButtonKbd", "Key."),
      ButtonRT("ButtonRT", "Clock"), ButtonCc("ButtonCc", "CC"), ButtonSeq("ButtonSeq", "Seq."),
      ButtonLFO("ButtonLFO", "LFO"), ButtonDrum("ButtonDrum", "Drum"),
      ButtonDSP("ButtonDSP", "DSP"), ButtonMon("ButtonMon", "Mon."),

      FrameOp1(0, "FrameOp1"), FrameOp4(1, "FrameOp4"), FrameOp7(2, "FrameOp7"),
      FrameOp10(3, "FrameOp10"), FrameOp13(4, "FrameOp13"),
      FrameOp16(5, "FrameOp16"), FrameOps{&FrameOp1,  &FrameOp4,  &FrameOp7,
                                          &FrameOp10, &FrameOp13, &FrameOp16} {
    ComboBoxPreset.SetText("Default");
    ComboBoxPreset.SetDropDownCount(kPresetRows);
    // Their windows do not exist until start-up creates them.
    for (Button* button : ModuleButtons()) {
        button->SetEnabled(false);
    }
    // Observed first, so every later observer and handler finds the text in range.
    for (ComboBox* box : {&ComboBoxTranspose, &ComboBoxTR1, &ComboBoxTR2}) {
        box->Observe([box] { KeepTuningInRange(*box); });
    }
}

void MainPanels::TuningEditDone(ComboBox& box) {
    const std::string shown = CentsText(TuningCents(box.Text()));
    if (box.Text() != shown) {
        box.SetText(shown);
    }
}

PartPanel MainPanels::Panel(int part) {
    if (part == 0) {
        return {0,
                ComboBoxFB,
                ComboBoxTR1,
                LabelOP1,
                CheckBoxA,
                CheckBoxB,
                ComboBoxMidiChannel1234,
                LabelLow1234,
                ComboBoxLow1234,
                LabelHigh1234,
                ComboBoxHigh1234,
                ComboBoxLimit1234,
                ComboBoxPri1234,
                LabelP1234};
    }
    return {1,
            ComboBoxFB2,
            ComboBoxTR2,
            LabelOP2,
            CheckBoxA2,
            CheckBoxB2,
            ComboBoxMidiChannel56,
            LabelLow56,
            ComboBoxLow56,
            LabelHigh56,
            ComboBoxHigh56,
            ComboBoxLimit56,
            ComboBoxPri56,
            LabelP56};
}

std::array<Button*, 9> MainPanels::ModuleButtons() {
    return {&ButtonBend, &ButtonKbd,  &ButtonRT,  &ButtonCc, &ButtonSeq,
            &ButtonLFO,  &ButtonDrum, &ButtonDSP, &ButtonMon};
}

} // namespace vorpline
