#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <sstream>
#include <vector>

#include "midi/MessageHub.h"
#include "modulation/LfoShape.h"
#include "modulation/TFrameLFO.h"

namespace vorpline {
namespace {

using Setting = TFrameLFO::TickSetting;

TEST(LfoShapeTest, EachShapeAtKnownPositions) {
    const double pi = std::numbers::pi;
    const struct {
        int function, t, duration, n, duty;
        double y;
    } cases[] = {
        {kLfoCosLog, 1, 96, 2, 50, 64.0},
        {kLfoCosLog, 48, 96, 2, 50, -64.0 / std::log(48.0)}, // x = pi
        {kLfoLog, 1, 96, 2, 50, -64.0},
        {kLfoLog, 96, 96, 2, 50, 64.0},
        {kLfoPower, 48, 96, 2, 50, -32.0},
        {kLfoPower, 48, 96, 100000, 50, -64.0}, // no overflow to NaN
        {kLfoSaw, 0, 96, 2, 50, -64.0},
        {kLfoSaw, 72, 96, 2, 50, 32.0},
        {kLfoSine, 24, 96, 2, 50, 64.0}, // n = 2: x = pi / 2
        {kLfoSinc, 0, 96, 1, 50, 64.0},  // the limit
        {kLfoSinc, 48, 96, 1, 50, 64.0 / (pi / 2)},
        {kLfoSqrt, 24, 96, 2, 50, 0.0},
        {kLfoSquare, 23, 96, 2, 25, 64.0},
        {kLfoSquare, 24, 96, 2, 25, -64.0},
        {kLfoTan, 24, 96, 1, 50, 64.0},
        {kLfoTriangle, 12, 96, 2, 25, 0.0},
        {kLfoTriangle, 24, 96, 2, 25, 64.0},
        {kLfoTriangle, 60, 96, 2, 25, 0.0},
        {kLfoSine, 24, 96, 0, 50, 64.0 / std::sqrt(2.0)}, // n below 1 counts as 1
        {-1, 10, 96, 2, 50, 0.0},
        {kLfoFunctionCount, 10, 96, 2, 50, 0.0},
        {kLfoSaw, 0, 0, 2, 50, 0.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "function " << c.function << " t " << c.t);
        EXPECT_NEAR(LfoShape(c.function, c.t, c.duration, c.n, 64.0, c.duty), c.y, 1e-9);
    }
    // Tan's pole is bounded, and the value sent never leaves 0..127.
    const double pole = LfoShape(kLfoTan, 48, 96, 1, 64.0, 50);
    EXPECT_LE(std::abs(pole), kLfoShapeBound);
    EXPECT_EQ(LfoValue(64, pole), pole > 0 ? 127 : 0);
    EXPECT_EQ(LfoValue(64, -64.5), 0);
    EXPECT_EQ(LfoValue(64, 0.99), 64);
    EXPECT_EQ(LfoValue(192, 0), 127);
}

class FrameLFOTest : public ::testing::Test {
protected:
    FrameLFOTest() { lfo.Init(2, names, &numbers, nullptr, Links()); }
    TFrameLFO::Links Links() {
        return {[this](uint32_t packed, uint32_t param) {
                    posted.push_back({packed, param});
                },
                [this] { ++pitchClears; }, [this] { return master; },
                [this](int beatsPerBar, int ticks) -> std::optional<int> {
                    calculatorCalls.push_back({beatsPerBar, ticks});
                    return calculatorResult;
                }};
    }
    // Enabling runs the trigger without force, as does the window's Start.
    void Start(int duration) {
        lfo.SetTicks(Setting::Duration, duration);
        if (lfo.CheckBoxEnable.Checked()) {
            lfo.Trigger(false);
        }
        lfo.CheckBoxEnable.SetChecked(true);
    }
    void Ticks(int count) {
        for (int i = 0; i < count; ++i) {
            lfo.Tick();
        }
    }
    void Click(PopupMenu& menu, std::string_view first, std::string_view second = {}) {
        PopupMenu::Entry* entry = second.empty() ? menu.Find({first}) : menu.Find({first, second});
        ASSERT_NE(entry, nullptr) << first << " " << second;
        entry->item.Click();
    }

    const std::vector<std::string> names{kCcFunctionNames.begin(), kCcFunctionNames.end()};
    CcNumberTable numbers = kDefaultCcNumbers;
    std::vector<std::pair<uint32_t, uint32_t>> posted;
    int pitchClears = 0;
    bool master = true;
    std::optional<int> calculatorResult;
    std::vector<std::pair<int, int>> calculatorCalls;
    TFrameLFO lfo;
};

TEST_F(FrameLFOTest, CyclesDelaysPhaseAndAttack) {
    // Settings over the reset ones, then "ticks run so far:last value sent" with + while
    // running, - once stopped.
    const struct {
        const char* name;
        int function, duty, amplitude, angle, delay, delay2, attack;
        const char* cycles;
        bool flip;
        const char* checks;
    } cases[] = {
        {"saw rises by 4/3 a tick", kLfoSaw, 50, 64, 0, 0, 0, 0, "Infinite", false,
         "0:0+ 1:0+ 2:1+ 4:4+ 96:126+ 97:0+"},
        {"flipped saw falls from 127", kLfoSaw, 50, 64, 0, 0, 0, 0, "Infinite", true,
         "0:127+ 96:1+"},
        {"square at duty 50", kLfoSquare, 50, 64, 0, 0, 0, 0, "Infinite", false,
         "0:127+ 48:127+ 49:0+ 96:0+ 97:127+"},
        {"phase 90 starts and ends at 24", kLfoSaw, 50, 64, 90, 0, 0, 0, "1", false,
         "0:32+ 95:29+ 96:30-"},
        {"two cycles 24 ticks apart, then stopped on the last value", kLfoSaw, 50, 64, 0, 0, 24, 0,
         "2", false, "96:126+ 120:126+ 121:0+ 215:125+ 216:126-"},
        {"first delay", kLfoSaw, 50, 64, 0, 10, 0, 0, "Infinite", false, "0:0+ 10:0+ 12:1+"},
        {"attack 48 rises as a square root", kLfoSquare, 99, 32, 0, 0, 0, 48, "Infinite", false,
         "0:64+ 1:64+ 13:80+ 48:95+ 49:96+"},
        {"sine(t)/t at 0 is its limit", kLfoSinc, 50, 32, 0, 0, 0, 0, "Infinite", false, "0:96+"},
        {"a negative count sends the start value only", kLfoSaw, 50, 64, 0, 0, 0, 0, "-1", false,
         "0:0- 5:0-"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        lfo.Reset();
        lfo.ComboBoxFunction.UserSelect(c.function);
        lfo.TrackBarDuty.SetPosition(c.duty);
        lfo.TrackBarAmplitude.SetPosition(c.amplitude);
        lfo.TrackBarAngle.SetPosition(c.angle);
        lfo.SetTicks(Setting::Delay, c.delay);
        lfo.SetTicks(Setting::Delay2, c.delay2);
        lfo.SetTicks(Setting::Attack, c.attack);
        lfo.ComboBoxCycles.SetText(c.cycles);
        lfo.CheckBoxFlip.SetChecked(c.flip);
        Start(96);
        std::istringstream checks(c.checks);
        int ran = 0, ticks = 0, value = 0;
        char colon = 0, running = 0;
        while (checks >> ticks >> colon >> value >> running) {
            Ticks(ticks - ran);
            ran = ticks;
            EXPECT_EQ(lfo.State().LastSentValue, value) << "after " << ticks;
            EXPECT_EQ(lfo.Running(), running == '+') << "after " << ticks;
        }
    }
}

TEST_F(FrameLFOTest, SendsChangesOnlyAndShrinkingTheDurationStillEndsTheCycle) {
    // Duration 0: a trigger leaves it stopped and sends nothing.
    lfo.CheckBoxEnable.SetChecked(true);
    EXPECT_FALSE(lfo.Running());
    EXPECT_TRUE(posted.empty());
    // Saw 0..126 over 96 ticks from the middle: the start value at the trigger, then every
    // step but the first changes it; "Operator Attack" to operator 1, from LFO 3.
    lfo.ComboBoxSend.UserSelect(kCcAttack);
    lfo.ComboBoxDest.UserSelect(1);
    lfo.ComboBoxCycles.SetText("1");
    lfo.TrackBarAngle.SetPosition(180);
    Start(96);
    Ticks(96);
    EXPECT_FALSE(lfo.Running());
    ASSERT_EQ(posted.size(), 96u);
    EXPECT_EQ(posted[0].first, PackEvent(0xB0, kDefaultCcNumbers[kCcAttack], 64, 0xFE));
    EXPECT_EQ(posted[0].second, 2u << 8 | 0u);
    // Shortened below the start phase while running: the cycle still completes.
    Start(96);
    Ticks(10);
    lfo.SetTicks(Setting::Duration, 20);
    Ticks(20);
    EXPECT_FALSE(lfo.Running());
    // Every trigger sends its start value, even an unchanged one. The first destination item
    // stands for all; no table, nothing sent.
    lfo.ComboBoxDest.UserSelect(0);
    posted.clear();
    Start(96);
    Start(96);
    ASSERT_EQ(posted.size(), 2u);
    EXPECT_EQ(posted.back().second, 2u << 8 | 0xFFu);
    lfo.Init(2, names, nullptr, nullptr, Links());
    const size_t before = posted.size();
    Start(96);
    Ticks(5);
    EXPECT_EQ(posted.size(), before);
}

TEST_F(FrameLFOTest, NoteAndSwitchTriggers) {
    // 'K' / 'k' strike / release a note, 'S' / 's' move switch 1 / 2 to a value, 'T' runs that
    // many ticks of a one-cycle LFO, 'E' sets the enable; each followed by + if the LFO runs
    // afterwards, - if not.
    const struct {
        int trigger, noteFilter, octaveFilter;
        const char* events;
        int switch1; // switch 1's state at the end
    } cases[] = {
        {TFrameLFO::kTrigStart, 0, 0, "K60- k60-", 0},
        // "Down" restarts on every key, "Down once" not while running; disabled, no key counts.
        {TFrameLFO::kTrigDown, 0, 0, "k60- K60+ k60+ T90+ K64+ T10+ E0- K60-", 0},
        {TFrameLFO::kTrigDownUp, 0, 0, "K60+ k62+ k60-", 0},
        {TFrameLFO::kTrigUp, 0, 0, "K60- k60+", 0},
        {TFrameLFO::kTrigUpDown, 0, 0, "k60+ K62+ K60-", 0},
        {TFrameLFO::kTrigDownOnce, 0, 0, "k60- K60+ T90+ K64+ T6-", 0},
        {TFrameLFO::kTrigUpOnce, 0, 0, "K60- k60+", 0},
        {TFrameLFO::kTrigSw1Down, 0, 0, "K60-", 0},
        // "C" only, then octave "C4 B4" only (notes 60..71).
        {TFrameLFO::kTrigDown, 1, 0, "K61- K72+", 0},
        {TFrameLFO::kTrigDown, 0, 6, "K72- K71+", 0},
        // Switches: down at 72 and above, up below 56, nothing in between; held down, no restart.
        {TFrameLFO::kTrigSw1DownUp, 0, 0, "S71- S72+ S56+ S55- S60- s127- S127+", 1},
        {TFrameLFO::kTrigSw1Down, 0, 0, "S100+ T90+ S127+ T10- S0- S100+ S0+", 0},
        {TFrameLFO::kTrigSw2DownUp, 0, 0, "S100- s100+ s0-", 0},
    };
    master = false; // enabling starts nothing
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "trigger " << c.trigger << " filters " << c.noteFilter
                                        << "/" << c.octaveFilter);
        lfo.Reset();
        lfo.ComboBoxTrig.UserSelect(c.trigger);
        lfo.ComboBoxNote.UserSelect(c.noteFilter);
        lfo.ComboBoxOctave.UserSelect(c.octaveFilter);
        lfo.ComboBoxCycles.SetText("1");
        Start(96);
        std::istringstream events(c.events);
        char kind = 0, running = 0;
        int value = 0;
        while (events >> kind >> value >> running) {
            const auto byte = static_cast<uint8_t>(value);
            if (kind == 'S' || kind == 's') {
                kind == 'S' ? lfo.Switch1Event(byte) : lfo.Switch2Event(byte);
            } else if (kind == 'T') {
                Ticks(value);
            } else if (kind == 'E') {
                lfo.CheckBoxEnable.SetChecked(value != 0);
            } else {
                lfo.NoteEvent(byte, 100, kind == 'K');
            }
            EXPECT_EQ(lfo.Running(), running == '+') << kind << value;
        }
        EXPECT_EQ(lfo.State().SwitchState1, c.switch1);
    }
}

TEST_F(FrameLFOTest, ModulationTargets) {
    // Amplitude, duration, duty, flip, mirror, function, offset: the target moves, nothing else.
    auto shown = [this] {
        return std::vector<int>{lfo.TrackBarAmplitude.Position(), lfo.Ticks(Setting::Duration),
                                lfo.TrackBarDuty.Position(),      lfo.CheckBoxFlip.Checked(),
                                lfo.CheckBoxMirror.Checked(),     lfo.ComboBoxFunction.ItemIndex(),
                                lfo.TrackBarOffset.Position()};
    };
    const struct {
        int target;
        uint8_t value;
        std::vector<int> expected;
    } cases[] = {
        {TFrameLFO::kRecvAmplitude, 100, {100, 0, 50, 0, 0, kLfoSaw, 64}},
        {TFrameLFO::kRecvDuration, 127, {64, 190, 50, 0, 0, kLfoSaw, 64}},
        {TFrameLFO::kRecvDuty, 0, {64, 0, 1, 0, 0, kLfoSaw, 64}},
        {TFrameLFO::kRecvDuty, 127, {64, 0, 99, 0, 0, kLfoSaw, 64}},
        {TFrameLFO::kRecvFlip, 64, {64, 0, 50, 1, 0, kLfoSaw, 64}},
        {TFrameLFO::kRecvFlip, 63, {64, 0, 50, 0, 0, kLfoSaw, 64}},
        {TFrameLFO::kRecvMirror, 64, {64, 0, 50, 0, 1, kLfoSaw, 64}},
        {TFrameLFO::kRecvFunction, 127, {64, 0, 50, 0, 0, kLfoTriangle, 64}},
        {TFrameLFO::kRecvOffset, 127, {64, 0, 50, 0, 0, kLfoSaw, 190}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.target << ":" << int(c.value));
        lfo.Reset();
        const std::vector<int> reset = shown();
        lfo.ComboBoxTarget.UserSelect(c.target);
        lfo.ModulationEvent(c.value);
        EXPECT_EQ(shown(), reset) << "a disabled LFO hears nothing";
        lfo.CheckBoxEnable.SetChecked(true);
        lfo.ModulationEvent(c.value);
        EXPECT_EQ(shown(), c.expected);
    }
    // Duration keeps the current resolution's range: at x 4, 64 is half of 3072.
    lfo.ComboBoxTarget.UserSelect(TFrameLFO::kRecvDuration);
    lfo.SetTicks(Setting::Duration, 3000);
    lfo.ModulationEvent(64);
    EXPECT_EQ(lfo.Ticks(Setting::Duration), 1536);
    EXPECT_EQ(lfo.ResolutionMultiplier(Setting::Duration), 4);
}

TEST_F(FrameLFOTest, RecordLayoutByteForByte) {
    lfo.ComboBoxSend.UserSelect(kCcLfoModulation);
    lfo.ComboBoxDest.UserSelect(5);
    lfo.CheckBoxRecv.SetChecked(true);
    lfo.ComboBoxTarget.UserSelect(TFrameLFO::kRecvMirror);
    lfo.ComboBoxTrig.UserSelect(TFrameLFO::kTrigUpOnce);
    lfo.ComboBoxFunction.UserSelect(kLfoTriangle);
    lfo.TrackBarDuty.SetPosition(33);
    lfo.CheckBoxMirror.SetChecked(true);
    lfo.CheckBoxAutoFlip.SetChecked(true);
    lfo.CheckBoxFlipInit.SetChecked(true);
    lfo.ComboBoxNote.UserSelect(12);
    lfo.ComboBoxOctave.UserSelect(11);
    lfo.SetTicks(Setting::Duration, 1000);
    lfo.SetTicks(Setting::Delay, 700);
    lfo.SetTicks(Setting::Delay2, 5);
    lfo.SetTicks(Setting::Attack, 12288);
    lfo.ComboBoxn.SetText("-3");
    lfo.ComboBoxCycles.UserType("300");
    lfo.TrackBarOffset.SetPosition(-64);
    lfo.TrackBarAmplitude.SetPosition(128);
    lfo.TrackBarAngle.SetPosition(359);
    lfo.CheckBoxEnable.SetChecked(true);

    std::array<uint8_t, TFrameLFO::kRecordSize> bytes;
    bytes.fill(0xFF);
    lfo.StoreRecord(bytes);
    // Enable, (unwritten), send (LFO Modulation), dest, receive, target (Mirror), trigger (Up
    // once), function (Triangle), duty, flags, note, octave, the multipliers; then n, cycles,
    // offset, amplitude, phase and the ticks of duration, first delay, repeat delay and attack
    // as little-endian 32-bit integers.
    const std::array<uint8_t, 16> head = {1, 0xFF, 4, 5, 1, 5, 6, 9, 33, 0x16, 12, 11, 4, 2, 1, 8};
    auto record = [&head](std::array<int32_t, 9> words) {
        std::array<uint8_t, TFrameLFO::kRecordSize> r{};
        std::copy(head.begin(), head.end(), r.begin());
        for (size_t i = 0; i < words.size(); ++i) {
            for (size_t b = 0; b < 4; ++b) {
                r[16 + 4 * i + b] = static_cast<uint8_t>(static_cast<uint32_t>(words[i]) >> 8 * b);
            }
        }
        return r;
    };
    const auto expected = record({-3, 300, -64, 128, 359, 1000, 700, 5, 12288});
    EXPECT_EQ(bytes, expected);

    // Loaded into a fresh LFO it stores the same bytes; "Infinite" and a non-number.
    TFrameLFO copy;
    copy.Init(0, names, nullptr, nullptr, {});
    copy.LoadRecord(bytes);
    std::array<uint8_t, TFrameLFO::kRecordSize> again;
    again.fill(0xFF);
    copy.StoreRecord(again);
    EXPECT_EQ(again, expected);
    EXPECT_FALSE(copy.CheckBoxFlip.Enabled()) << "automated flip";
    lfo.ComboBoxCycles.UserType("Infinite");
    lfo.ComboBoxn.SetText("many");
    lfo.StoreRecord(bytes);
    EXPECT_EQ(bytes, record({1, TFrameLFO::kEndless, -64, 128, 359, 1000, 700, 5, 12288}));

    // Any bytes load without harm: nothing selected, values held to range, and it runs.
    std::array<uint8_t, TFrameLFO::kRecordSize> junk;
    junk.fill(0xFF);
    junk[36] = 100; // duration -> 0x7FFFFF64: held to 12288
    junk[37] = 0xFF;
    junk[39] = 0x7F;
    lfo.LoadRecord(junk);
    EXPECT_EQ(lfo.ComboBoxSend.ItemIndex(), ComboBox::kNone);
    EXPECT_EQ(lfo.Ticks(Setting::Duration), 12288);
    EXPECT_EQ(lfo.ResolutionMultiplier(Setting::Delay), 1) << "0xFF is no multiplier";
    EXPECT_EQ(lfo.TrackBarDuty.Position(), 99);
    lfo.Trigger(true);
    Ticks(3);
    EXPECT_EQ(lfo.State().LastSentValue, 0) << "no function: y = 0 around offset -1";
}

TEST_F(FrameLFOTest, MenusAndLabelsSetValues) {
    const struct {
        PopupMenu TFrameLFO::*menu;
        std::string_view first, second;
        Setting setting;
        int before, ticks, multiplier;
    } cases[] = {
        {&TFrameLFO::PopupMenuDuration, "4 (16)", "1536 (16)", Setting::Duration, 0, 1536, 4},
        {&TFrameLFO::PopupMenuDuration, "x 2", {}, Setting::Duration, 12288, 12288, 8},
        {&TFrameLFO::PopupMenuDuration, "x 2", {}, Setting::Duration, 100, 200, 2},
        {&TFrameLFO::PopupMenuDuration, "/ 2", {}, Setting::Duration, 385, 192, 1},
        {&TFrameLFO::PopupMenuDuration, "7 (28)", "672 (4)", Setting::Duration, 0, 672, 2},
        {&TFrameLFO::PopupMenuDel2, "4 (16)", "384 (4)", Setting::Delay2, 0, 384, 2},
        {&TFrameLFO::PopupMenuDel1, "Resolution", "2t (768)", Setting::Delay, 191, 190, 2},
        {&TFrameLFO::PopupMenuAttack, "Resolution", "1t (192)", Setting::Attack, 3000, 192, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.first << " " << c.second << " from " << c.before);
        lfo.SetTicks(c.setting, c.before);
        Click(lfo.*c.menu, c.first, c.second);
        EXPECT_EQ(lfo.Ticks(c.setting), c.ticks);
        EXPECT_EQ(lfo.ResolutionMultiplier(c.setting), c.multiplier);
        EXPECT_EQ(lfo.Bar(c.setting).Max(), 192 * c.multiplier);
    }
    EXPECT_TRUE(lfo.PopupMenuAttack.Find({"Resolution", "1t (192)"})->Checked());
    EXPECT_FALSE(lfo.PopupMenuAttack.Find({"Resolution", "2t (768)"})->Checked());
    EXPECT_EQ(lfo.LabelDurationVal.Caption(), "672t");

    // Calculator items ask with their meter and the current value; "Cancel" changes nothing.
    calculatorResult = 100;
    Click(lfo.PopupMenuDuration, "5 (20)", "Calculator");
    calculatorResult.reset();
    Click(lfo.PopupMenuDel1, "Calculator");
    EXPECT_EQ(calculatorCalls, (std::vector<std::pair<int, int>>{{20, 672}, {16, 190}}));
    EXPECT_EQ(lfo.Ticks(Setting::Duration), 100);
    EXPECT_EQ(lfo.Ticks(Setting::Delay), 190);

    lfo.TrackBarAmplitude.SetPosition(100);
    Click(lfo.PopupMenuAmp, "x 2");
    EXPECT_EQ(lfo.LabelAmplitudeVal.Caption(), "+/- 128");
    lfo.TrackBarOffset.SetPosition(-63);
    Click(lfo.PopupMenuOffset, "/ 2");
    EXPECT_EQ(lfo.TrackBarOffset.Position(), -31);
    Click(lfo.PopupMenuOffset, "96 (upper)");
    Click(lfo.PopupMenuPhase, "270");
    EXPECT_EQ(lfo.LabelOffsetVal.Caption() + " " + lfo.LabelAngleVal.Caption(), "96 270");
    for (Label* label : {&lfo.LabelOffset, &lfo.LabelAngle, &lfo.LabelDuration}) {
        label->Click();
    }
    EXPECT_EQ(lfo.TrackBarOffset.Position(), 64);
    EXPECT_EQ(lfo.TrackBarAngle.Position(), 0);
    EXPECT_EQ(lfo.LabelDurationVal.Caption(), "0t");
    EXPECT_EQ(lfo.Bar(Setting::Duration).Max(), 192);
}

TEST_F(FrameLFOTest, DestinationListFollowsTheSendFunction) {
    const struct {
        int send;
        const char *first, *last;
        bool choosable;
    } cases[] = {
        {kCcMasterPan, "Master", "Master", false},
        {kCcSwitch2, "LFO 1 to 8", "LFO 8", true},
        {kCcLfoModulation, "LFO CC", "LFO 8", true},
        {kCcCircuitBend, "Circuit Bend", "Circuit Bend", false},
        {kCcOutput56, "Operator 1 to 6", "Operator 1 to 6", false},
        {kCcWaveformMod, "Operator CC", "Operator 6", true},
        {kCcOperatorVolume, "Operator CC", "Operator 6", true},
        {kCcAuxiliary8, "External", "External", false},
        {kCcFrequency, "DSP", "DSP", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.send);
        lfo.ComboBoxDest.SetItemIndex(lfo.ComboBoxDest.Count() - 1);
        lfo.ComboBoxSend.UserSelect(c.send);
        EXPECT_EQ(lfo.ComboBoxDest.Text(), c.first);
        EXPECT_EQ(lfo.ComboBoxDest.Items().back(), c.last);
        EXPECT_EQ(lfo.ComboBoxDest.Enabled(), c.choosable);
        EXPECT_EQ(lfo.LabelDest.Enabled(), c.choosable);
    }
}

TEST_F(FrameLFOTest, FunctionAndAutomateBoxesEnableTheirControls) {
    EXPECT_FALSE(lfo.ComboBoxn.Enabled());
    EXPECT_FALSE(lfo.TrackBarDuty.Enabled());
    lfo.ComboBoxn.SetText("7");
    lfo.ComboBoxFunction.UserSelect(kLfoSine);
    EXPECT_TRUE(lfo.ComboBoxn.Enabled());
    EXPECT_EQ(lfo.ComboBoxn.Text(), "2");
    lfo.ComboBoxFunction.UserSelect(kLfoTriangle);
    EXPECT_TRUE(lfo.TrackBarDuty.Enabled());
    EXPECT_FALSE(lfo.ComboBoxn.Enabled());

    // Automated flip: "Start as" takes the box's state, the LFO drives the box and inverts it
    // after each cycle; switching off hands the start state back.
    lfo.CheckBoxFlip.SetChecked(true);
    lfo.CheckBoxAutoFlip.SetChecked(true);
    EXPECT_TRUE(lfo.CheckBoxFlipInit.Checked());
    EXPECT_FALSE(lfo.CheckBoxFlip.Enabled());
    lfo.CheckBoxFlipInit.SetChecked(false);
    Start(4);
    EXPECT_FALSE(lfo.CheckBoxFlip.Checked());
    Ticks(4);
    EXPECT_TRUE(lfo.CheckBoxFlip.Checked());
    lfo.CheckBoxAutoFlip.SetChecked(false);
    EXPECT_FALSE(lfo.CheckBoxFlip.Checked());
    EXPECT_TRUE(lfo.CheckBoxFlip.Enabled());

    // Switching the LFO off pauses it and clears the LFO pitch offsets.
    EXPECT_TRUE(lfo.Running());
    lfo.CheckBoxEnable.SetChecked(false);
    EXPECT_FALSE(lfo.Running());
    EXPECT_EQ(pitchClears, 1);
    EXPECT_EQ(lfo.PanelOsc.Caption(), "3");
}

} // namespace
} // namespace vorpline
