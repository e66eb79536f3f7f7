#include <gtest/gtest.h>

#include <fstream>

#include <string>
#include <vector>

#include "modulation/ClockFollower.h"
#include "modulation/TFormRT.h"
#include "platform/IniFile.h"
#include "platform/VirtualTimerService.h"
#include "support/TempDir.h"

namespace vorpline {
namespace {

struct Follower : ClockFollower {
    void ClockTick() override { ++ticks; }
    void ClockStart() override { calls += "start "; }
    void ClockStop() override { calls += "stop "; }
    void ClockContinue() override { calls += "continue "; }
    void ClockNote(uint8_t note, uint8_t, bool on) override {
        calls += std::to_string(note) + (on ? "on " : "off ");
    }
    void ApplyStoredEnable() override { calls += "enable "; }
    int ticks = 0;
    std::string calls;
};

class TFormRTTest : public ::testing::Test {
protected:
    void Load(const std::string& settings) {
        std::ofstream(dir.File("c.ini")) << "[OUT]\n" << settings;
        clock.LoadSettings(IniFile(dir.File("c.ini")), "OUT", "Vorpline");
    }
    void Enter(Edit& edit, const std::string& text) {
        edit.SetText(text);
        edit.UserKeyUp('\r');
    }
    int TicksIn(double ms) {
        const int before = lfo.ticks;
        timers.AdvanceBy(ms);
        return lfo.ticks - before;
    }

    test::TempDir dir;
    VirtualTimerService timers;
    Follower lfo;
    Follower seq;
    TFormRT clock{timers, nullptr, {&lfo, &seq}, nullptr};
};

TEST_F(TFormRTTest, DelayAndTempoConvertAndBadTextFallsBack) {
    Load("Clock Source=7\nClock Delay=abc\n");
    EXPECT_EQ(clock.RadioGroupSRC.ItemIndex(), 0) << "a source that is no entry";
    EXPECT_EQ(clock.EditBPM.Text(), "100");
    EXPECT_EQ(clock.Caption(), "Clock - Vorpline");
    for (auto [delay, bpm] : {std::pair{"10", "250"}, {"20", "125"}, {"50", "50"}, {"0", "0"}}) {
        clock.ComboBoxDEL.SetText(delay);
        clock.ComboBoxDEL.UserKeyUp('\r');
        EXPECT_EQ(clock.EditBPM.Text(), bpm) << delay;
    }
    EXPECT_FALSE(clock.TimerRunning()) << "no timer for a 0 ms delay";
    const struct {
        const char* typed;
        const char* shown;
        const char* delay;
    } tempos[] = {{"120", "120", "21"}, {"0", "100", "25"}, {"1000", "100", "25"},
                  {"-5", "100", "25"},  {"x", "100", "25"}, {"999", "999", "3"}};
    for (const auto& t : tempos) {
        Enter(clock.EditBPM, t.typed);
        EXPECT_EQ(clock.EditBPM.Text(), t.shown) << t.typed;
        EXPECT_EQ(clock.ComboBoxDEL.Text(), t.delay) << t.typed;
    }
}

TEST_F(TFormRTTest, TheInternalTimerTicksTheFollowersInOrderUntilStopped) {
    Load("");
    EXPECT_EQ(TicksIn(1000), 40) << "25 ms a tick";
    EXPECT_EQ(seq.ticks, 40);
    clock.Tick(ClockReceiver::kTimingClock);
    EXPECT_EQ(lfo.ticks, 40) << "MIDI ticks count only with the MIDI source";
    clock.ButtonStop.Click();
    EXPECT_EQ(TicksIn(1000), 0);
    clock.ButtonCont.Click();
    EXPECT_EQ(TicksIn(100), 4);
    clock.NoteEvent(60, 100, true);
    clock.AfterStartUp();
    EXPECT_EQ(lfo.calls, "stop continue 60on enable ");
    EXPECT_EQ(seq.calls, lfo.calls);
    clock.BeforeShutdown();
    EXPECT_FALSE(clock.TimerRunning());
}

TEST_F(TFormRTTest, AnOutsideMidiClockDrivesTheTicksAndShowsItsTempo) {
    Load("Clock Source=1\n");
    EXPECT_FALSE(clock.TimerRunning());
    clock.Tick(ClockReceiver::kOtherSystem);
    EXPECT_EQ(lfo.ticks, 0) << "time code ticks only the time-code source";
    // 140 BPM: a tick every 60000 / (140 x 24) ms, one bar of them.
    for (int i = 0; i <= 96; ++i) {
        timers.AdvanceTo(i * 60000.0 / (140 * 24));
        clock.Tick(ClockReceiver::kTimingClock);
    }
    EXPECT_EQ(lfo.ticks, 97);
    EXPECT_EQ(clock.LabelSync.Caption(), "140.0 BPM");
    // A clock that stops: after the pause the measurement starts again.
    timers.AdvanceBy(5000);
    clock.Tick(ClockReceiver::kTimingClock);
    EXPECT_EQ(clock.LabelSync.Caption(), "");
}

TEST_F(TFormRTTest, TappedTempoIsTheAverageOfTheSeries) {
    Load("");
    const struct {
        double at;
        const char* shown;
    } taps[] = {{5000, "100"}, {5500, "120"}, {6000, "120"},
                {6250, "144"}, {8000, "144"}, {8400, "150"}};
    for (const auto& tap : taps) {
        timers.AdvanceTo(tap.at);
        clock.SpeedButtonBPM.Click();
        EXPECT_EQ(clock.EditBPM.Text(), tap.shown) << tap.at;
    }
}

} // namespace
} // namespace vorpline
