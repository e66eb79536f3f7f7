#include "lv2/PluginParameters.h"

#include <algorithm>
#include <array>

#include "app/Instrument.h"
#include "engine/MultiplierCents.h"
#include "engine/PitchControl.h"
#include "midi/MessageHub.h"
#include "ui/MainPanels.h"

namespace vorpline::lv2 {

namespace {

// The dialog's ranges: bend 0..2399 cents, modulation 0..4799 cents, portamento 0..127 ms.
constexpr int kMaxBendRange = 2399;
constexpr int kMaxModulationRange = 4799;
constexpr int kMaxPortamento = 127;
// The legato glide flags of each part: "Up" then "Down".
constexpr std::array<std::array<uint8_t, 2>, 2> kLegatoBits = {{{0x01, 0x02}, {0x10, 0x20}}};

using ComboOf = ComboBox& (*)(TFormMain&);
using CheckOf = CheckBox& (*)(TFormMain&);
using TrackOf = TrackBar& (*)(TFormMain&);

TFrameOp& Frame(Instrument& synth, int op) {
    return *synth.Main().FrameOps[static_cast<size_t>(op)];
}

std::vector<std::pair<int, std::string>> ItemPoints(const ComboBox& box) {
    std::vector<std::pair<int, std::string>> points;
    for (int i = 0; i < box.Count(); ++i) {
        points.emplace_back(i, box.Item(i));
    }
    return points;
}

// A list chosen by item index. Its handler runs only when the choice really changes, as when
// a controller moves it.
void Select(ComboBox& box, int index) {
    if (box.ItemIndex() != index) {
        box.SetItemIndex(index);
        box.Change();
    }
}

// The cents items of a tuning box that lie within the range it accepts.
std::vector<std::pair<int, std::string>> TuningPoints(const ComboBox& box) {
    std::vector<std::pair<int, std::string>> points;
    for (const std::string& item : box.Items()) {
        int cents = CentsFromText(item);
        if (cents >= kLowestTuningCents && cents <= kHighestTuningCents) {
            points.emplace_back(cents, item);
        }
    }
    return points;
}

// Sounding notes take a new part tuning at once: the panel's own box waits for the next note,
// but a host automating it expects to hear it move. Re-setting the transposition retunes both.
void RetuneBoth(TFormMain& form) {
    form.SetMasterTuning(CentsFromText(form.ComboBoxTranspose.Text()));
}

// The operator's tuning entries as MULT 0..15, named by the default list's cents; MULT 11, 13
// and 15 share their cents with 10, 12 and 14, so they pick the same entry.
std::vector<std::pair<int, std::string>> MultiplierPoints() {
    std::vector<std::pair<int, std::string>> points;
    for (size_t mult = 0; mult < kMultiplierCentsTable.size(); ++mult) {
        points.emplace_back(static_cast<int>(mult), CentsText(kMultiplierCentsTable[mult]));
    }
    return points;
}

class TableBuilder {
public:
    explicit TableBuilder(TFormMain& model) : model(model) {}

    void Combo(std::string symbol, std::string name, ComboOf of) {
        Add({std::move(symbol), std::move(name), PortKind::kEnumeration, 0, of(model).Count() - 1,
             ItemPoints(of(model)), false, [of](Instrument& s) { return of(s.Main()).ItemIndex(); },
             [of](Instrument& s, int v) { Select(of(s.Main()), v); }});
    }
    void Check(std::string symbol, std::string name, CheckOf of) {
        Add({std::move(symbol),
             std::move(name),
             PortKind::kToggle,
             0,
             1,
             {},
             false,
             [of](Instrument& s) { return of(s.Main()).Checked() ? 1 : 0; },
             [of](Instrument& s, int v) { of(s.Main()).SetChecked(v != 0); }});
    }
    void Tuning(std::string symbol, std::string name, ComboOf of, bool master) {
        Add({std::move(symbol), std::move(name), PortKind::kInteger, kLowestTuningCents,
             kHighestTuningCents, TuningPoints(of(model)), true,
             [of](Instrument& s) {
                 return std::clamp(CentsFromText(of(s.Main()).Text()), kLowestTuningCents,
                                   kHighestTuningCents);
             },
             [of, master](Instrument& s, int v) {
                 ComboBox& box = of(s.Main());
                 box.SetText(CentsText(v));
                 if (master) {
                     box.Change(); // as typed: the controllers' RPN tuning restarts from it
                 } else {
                     RetuneBoth(s.Main());
                 }
             }});
    }
    void Operator(int op) {
        const std::string prefix = "op" + std::to_string(op + 1) + "_";
        const std::string label = "Op" + std::to_string(op + 1) + " ";
        const TFrameOp& f = *model.FrameOps[static_cast<size_t>(op)];
        auto combo = [&](const char* symbol, const char* name, ComboBox TFrameOp::*member) {
            Add({prefix + symbol, label + name, PortKind::kEnumeration, 0, (f.*member).Count() - 1,
                 ItemPoints(f.*member), false,
                 [op, member](Instrument& s) { return (Frame(s, op).*member).ItemIndex(); },
                 [op, member](Instrument& s, int v) { Select(Frame(s, op).*member, v); }});
        };
        auto check = [&](const char* symbol, const char* name, CheckBox TFrameOp::*member) {
            Add({prefix + symbol,
                 label + name,
                 PortKind::kToggle,
                 0,
                 1,
                 {},
                 false,
                 [op, member](Instrument& s) { return (Frame(s, op).*member).Checked() ? 1 : 0; },
                 [op, member](Instrument& s, int v) {
                     (Frame(s, op).*member).SetChecked(v != 0);
                 }});
        };
        auto track = [&](const char* symbol, const char* name, TrackBar TFrameOp::*member) {
            Add({prefix + symbol,
                 label + name,
                 PortKind::kInteger,
                 (f.*member).Min(),
                 (f.*member).Max(),
                 {},
                 false,
                 [op, member](Instrument& s) { return (Frame(s, op).*member).Position(); },
                 [op, member](Instrument& s, int v) { (Frame(s, op).*member).SetPosition(v); }});
        };
        combo("waveform", "Waveform", &TFrameOp::ComboBoxWS);
        check("tremolo", "Tremolo", &TFrameOp::CheckBoxTremolo);
        check("vibrato", "Vibrato", &TFrameOp::CheckBoxVibrato);
        check("hold", "Hold", &TFrameOp::CheckBoxHold);
        check("rate", "Rate", &TFrameOp::CheckBoxRateScaling);
        Add({prefix + "tuning", label + "Tuning", PortKind::kEnumeration, 0,
             static_cast<int>(kMultiplierCentsTable.size()) - 1, MultiplierPoints(), false,
             [op](Instrument& s) {
                 uint8_t mult = MultiplierIndexOfCents(Frame(s, op).SelectedCents());
                 return mult == kMultiplierNotFound ? 1 : static_cast<int>(mult);
             },
             [op](Instrument& s, int v) {
                 // The entry of the operator's own list that plays this multiplier; a list
                 // edited without it keeps its choice.
                 ComboBox& box = Frame(s, op).ComboBoxFreqMultiplier;
                 const int cents = kMultiplierCentsTable[static_cast<size_t>(v)];
                 for (int i = 0; i + 1 < box.Count(); ++i) {
                     if (CentsFromText(box.Item(i)) == cents) {
                         Select(box, i);
                         return;
                     }
                 }
             }});
        combo("level", "Level", &TFrameOp::ComboBoxLevelScaling);
        track("volume", "Volume", &TFrameOp::TrackBarVolume);
        track("attack", "Attack", &TFrameOp::TrackBarAttack);
        track("decay", "Decay", &TFrameOp::TrackBarDecay);
        track("sustain", "Sustain", &TFrameOp::TrackBarSustain);
        track("release", "Release", &TFrameOp::TrackBarRelease);
        check("cc", "CC", &TFrameOp::CheckBoxCC);
        check("damper", "Damper", &TFrameOp::CheckBoxDamper);
        track("offset", "Velocity Offset", &TFrameOp::TrackBarOffset);
        combo("target", "Velocity Target", &TFrameOp::ComboBoxTarget);
    }
    // The parameter dialog's values of a part, which every 6-operator preset carries.
    void PartParameters(int part) {
        const std::string suffix = part == 0 ? "1234" : "56";
        const std::string label = part == 0 ? "1-4" : "5/6";
        const auto i = static_cast<size_t>(part);
        Add({"bend_range_" + suffix,
             "Pitch bend range " + label,
             PortKind::kInteger,
             0,
             kMaxBendRange,
             {},
             true,
             [part](Instrument& s) { return s.Pitch().BendRange(part); },
             [part](Instrument& s, int v) { s.Pitch().SetBendRange(part, v); }});
        Add({"modulation_range_" + suffix,
             "Modulation range " + label,
             PortKind::kInteger,
             0,
             kMaxModulationRange,
             {},
             true,
             [i](Instrument& s) { return s.Hub().Controllers().modulationRange[i]; },
             [i](Instrument& s, int v) { s.Hub().Controllers().modulationRange[i] = v; }});
        Add({"portamento_" + suffix,
             "Time " + label,
             PortKind::kInteger,
             0,
             kMaxPortamento,
             {{0, "Off"}},
             false,
             [i](Instrument& s) {
                 return static_cast<int>(s.Hub().Controllers().portamentoTime[i]);
             },
             [part, i](Instrument& s, int v) {
                 s.Hub().Controllers().portamentoTime[i] = static_cast<uint16_t>(v);
                 s.Engine().SetPortamentoTime(part, static_cast<uint16_t>(v));
             }});
        const char* directions[] = {"up", "down"};
        const char* captions[] = {"Up", "Down"};
        for (size_t d = 0; d < 2; ++d) {
            const uint8_t bit = kLegatoBits[i][d];
            Add({std::string("legato_") + directions[d] + "_" + suffix,
                 "Affect " + label + " " + captions[d],
                 PortKind::kToggle,
                 0,
                 1,
                 {},
                 false,
                 [bit](Instrument& s) { return (s.Engine().LegatoFlags() & bit) != 0 ? 1 : 0; },
                 [bit](Instrument& s, int v) {
                     const uint8_t flags = s.Engine().LegatoFlags();
                     s.Engine().SetLegatoFlags(
                         static_cast<uint8_t>(v != 0 ? flags | bit : flags & ~bit));
                 }});
        }
    }

    std::vector<PluginParameter> Take() { return std::move(table); }

private:
    void Add(PluginParameter parameter) { table.push_back(std::move(parameter)); }

    TFormMain& model;
    std::vector<PluginParameter> table;
};

std::vector<PluginParameter> Build() {
    // A panel of its own supplies the lists' items; nothing of it is kept.
    TFormMain model{std::filesystem::path()};
    TableBuilder b(model);
    b.Tuning(
        "tuning", "Tuning", [](TFormMain& f) -> ComboBox& { return f.ComboBoxTranspose; }, true);
    b.Combo("algorithm", "Algorithm", [](TFormMain& f) -> ComboBox& { return f.ComboBoxCNT; });
    b.Combo("tremolo_depth", "Tremolo", [](TFormMain& f) -> ComboBox& { return f.ComboBoxTD; });
    b.Combo("vibrato_depth", "Vibrato", [](TFormMain& f) -> ComboBox& { return f.ComboBoxVD; });
    // Part "1234" then part "56": the same controls under the other panel's names.
    b.Combo("feedback_1234", "Feedback 1", [](TFormMain& f) -> ComboBox& { return f.ComboBoxFB; });
    b.Tuning(
        "tuning_1234", "Tuning 1-4", [](TFormMain& f) -> ComboBox& { return f.ComboBoxTR1; },
        false);
    b.Check("left_1234", "Output 1-4 L", [](TFormMain& f) -> CheckBox& { return f.CheckBoxA; });
    b.Check("right_1234", "Output 1-4 R", [](TFormMain& f) -> CheckBox& { return f.CheckBoxB; });
    b.Combo("channel_1234", "Channel 1-4",
            [](TFormMain& f) -> ComboBox& { return f.ComboBoxMidiChannel1234; });
    b.Combo("low_1234", "Low 1-4", [](TFormMain& f) -> ComboBox& { return f.ComboBoxLow1234; });
    b.Combo("high_1234", "High 1-4", [](TFormMain& f) -> ComboBox& { return f.ComboBoxHigh1234; });
    b.Combo("mode_1234", "Mode 1-4", [](TFormMain& f) -> ComboBox& { return f.ComboBoxLimit1234; });
    b.Combo("priority_1234", "Priority 1-4",
            [](TFormMain& f) -> ComboBox& { return f.ComboBoxPri1234; });
    b.Combo("feedback_56", "Feedback 5", [](TFormMain& f) -> ComboBox& { return f.ComboBoxFB2; });
    b.Tuning(
        "tuning_56", "Tuning 5/6", [](TFormMain& f) -> ComboBox& { return f.ComboBoxTR2; }, false);
    b.Check("left_56", "Output 5/6 L", [](TFormMain& f) -> CheckBox& { return f.CheckBoxA2; });
    b.Check("right_56", "Output 5/6 R", [](TFormMain& f) -> CheckBox& { return f.CheckBoxB2; });
    b.Combo("channel_56", "Channel 5/6",
            [](TFormMain& f) -> ComboBox& { return f.ComboBoxMidiChannel56; });
    b.Combo("low_56", "Low 5/6", [](TFormMain& f) -> ComboBox& { return f.ComboBoxLow56; });
    b.Combo("high_56", "High 5/6", [](TFormMain& f) -> ComboBox& { return f.ComboBoxHigh56; });
    b.Combo("mode_56", "Mode 5/6", [](TFormMain& f) -> ComboBox& { return f.ComboBoxLimit56; });
    b.Combo("priority_56", "Priority 5/6",
            [](TFormMain& f) -> ComboBox& { return f.ComboBoxPri56; });
    b.PartParameters(0);
    b.PartParameters(1);
    for (int op = 0; op < 6; ++op) {
        b.Operator(op);
    }
    return b.Take();
}

} // namespace

const std::vector<PluginParameter>& PluginParameters() {
    static const std::vector<PluginParameter> table = Build();
    return table;
}

} // namespace vorpline::lv2
