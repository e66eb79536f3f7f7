#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <tuple>
#include <utility>

#include "midi/HubFixture.h"

namespace vorpline::test {
namespace {

using ::testing::ElementsAre;
using ::testing::Pair;

class Hub : public HubFixture {
protected:
    Hub() { chip.ApplyPatch(SustainedPatch(), Ext()); }
};

TEST_F(Hub, NotesFollowThePartChannelsAndVelocityZeroReleases) {
    Midi(0x90, 60, 100);
    EXPECT_EQ(Notes(0) + Notes(1), "11");
    EXPECT_TRUE(KeyOn(0, 0));
    Midi(0x90, 60, 0);
    EXPECT_EQ(Notes(0) + Notes(1), "00");
    EXPECT_FALSE(KeyOn(0, 0));
    EXPECT_FALSE(KeyOn(1, 0));

    form.ComboBoxMidiChannel56.UserSelect(9); // part 5/6 on channel 10
    Midi(0x99, 64, 90);
    EXPECT_EQ(Notes(0) + Notes(1), "01");
    Midi(0x91, 65, 90); // nobody's channel
    EXPECT_EQ(chip.Part(0).Count() + chip.Part(1).Count(), 1);
    Midi(0x89, 64, 0);
    EXPECT_EQ(Notes(1), "0");
}

TEST_F(Hub, SplitKeyboardPlaysOnePartPerSideAndBendMovesBoth) {
    form.ComboBoxHigh1234.UserSelect(4); // "C3 B3"
    form.ComboBoxLow56.UserSelect(5);    // "C4 B4"
    Midi(0x90, 59, 100);
    EXPECT_EQ(std::tuple(chip.Part(0).Count(), chip.Part(1).Count()), std::tuple(1, 0));
    Midi(0x90, 60, 100);
    EXPECT_EQ(std::tuple(chip.Part(0).Count(), chip.Part(1).Count()), std::tuple(1, 1));

    int low = Pitch(0, 0);
    int high = Pitch(1, 0);
    Midi(0xE0, 0, 0x60); // up by half the range
    EXPECT_EQ(std::tuple(pitch.Bend(0), pitch.Bend(1)), std::tuple(600, 600));
    EXPECT_GT(Pitch(0, 0), low);
    EXPECT_GT(Pitch(1, 0), high);

    // Key ranges are for notes: the note-off of 60 outside part 1-4's range leaves it alone.
    Midi(0x80, 60);
    EXPECT_EQ(std::tuple(chip.Part(0).Count(), chip.Part(1).Count()), std::tuple(1, 0));

    Midi(0xE0, 0, 0);
    EXPECT_EQ(pitch.Bend(0), -1200);
    Midi(0xE0, 0x7F, 0x7F);
    EXPECT_EQ(pitch.Bend(1), 1199);
    form.ComboBoxMidiChannel1234.UserSelect(1);
    Midi(0xE0, 0, 64);
    EXPECT_EQ(pitch.Bend(0), 1199) << "part 1-4 now listens to channel 2";
    EXPECT_EQ(pitch.Bend(1), 0);
}

TEST_F(Hub, RpnSetRangesAndTuning) {
    Cc(6, 70);
    EXPECT_EQ(pitch.BendRange(0), 1200) << "no RPN addressed at first";

    Cc(101, 0);
    Cc(100, 0);
    Cc(6, 76);
    EXPECT_EQ(pitch.BendRange(0), 1200);
    Cc(6, 70);
    Cc(38, 66);
    EXPECT_EQ(std::tuple(pitch.BendRange(0), pitch.BendRange(1)), std::tuple(602, 602));

    Cc(100, 2);
    Cc(6, 65);
    EXPECT_EQ(form.ComboBoxTranspose.Text(), "+100");
    EXPECT_EQ(pitch.MasterTuning(), 100);
    Cc(38, 10);
    EXPECT_EQ(pitch.MasterTuning(), 100) << "RPN 2 has no fine half";
    Cc(100, 1);
    Cc(38, 54);
    EXPECT_EQ(form.ComboBoxTranspose.Text(), "+90");
    Cc(6, 10);
    EXPECT_EQ(pitch.MasterTuning(), 90) << "RPN 1 has no coarse half";

    // Typing a transposition sets the coarse half and clears the fine one.
    form.ComboBoxTranspose.UserType("-1200");
    EXPECT_EQ(pitch.MasterTuning(), -1200);
    Cc(38, 69);
    EXPECT_EQ(form.ComboBoxTranspose.Text(), "-1195");

    Cc(100, 5);
    Cc(6, 66, 0);
    EXPECT_EQ(hub.Controllers().ModulationRange(0), 200);
    Cc(38, 60);
    EXPECT_EQ(hub.Controllers().ModulationRange(1), 196);

    // A high byte other than 0 addresses an RPN nobody has.
    Cc(100, 0);
    Cc(101, 1);
    Cc(6, 10);
    EXPECT_EQ(pitch.BendRange(0), 602);
}

TEST_F(Hub, RpnAndPortamentoActOnlyOnTheMatchingPart) {
    form.ComboBoxMidiChannel56.UserSelect(1);
    Cc(100, 0);
    Cc(6, 66);
    EXPECT_EQ(std::tuple(pitch.BendRange(0), pitch.BendRange(1)), std::tuple(200, 1200));
    Cc(37, 20, 1);
    EXPECT_THAT(hub.Controllers().portamentoTime, ElementsAre(0, 20));
    EXPECT_TRUE(chip.Part(1).GetGlide().Active());
    EXPECT_FALSE(chip.Part(0).GetGlide().Active());
}

TEST_F(Hub, ChannelPressureSwitchesTheChipDepths) {
    for (const auto& [pressure, depths, bits] :
         {std::tuple{100, "14 cents 4.8 dB", 0xC0}, std::tuple{40, "14 cents 1 dB", 0x40},
          std::tuple{31, "7 cents 1 dB", 0x00}}) {
        Midi(0xD0, static_cast<uint8_t>(pressure));
        EXPECT_EQ(form.ComboBoxVD.Text() + " " + form.ComboBoxTD.Text(), depths) << pressure;
        EXPECT_EQ(chip.ReadRegister(kRegRhythm) & 0xC0, bits) << pressure;
    }
}

TEST_F(Hub, PortamentoTicksTravelThroughTheHubAndStopWhenClosing) {
    chip.ApplyPatch(SustainedPatch(), Ext(0, 0)); // Legato
    Cc(37, 10);
    Midi(0x90, 60, 100);
    int start = Pitch(0, 0);
    Midi(0x90, 72, 100);
    EXPECT_EQ(Pitch(0, 0), start) << "the glide has not moved yet";
    timers.AdvanceBy(120); // 12 of 24 ticks: half an octave up
    EXPECT_EQ(chip.GlideOffset(0), -600);
    EXPECT_GT(Pitch(0, 0), start);
    int halfway = Pitch(0, 0);

    form.SetClosing();
    timers.AdvanceBy(200);
    EXPECT_EQ(Pitch(0, 0), halfway) << "ticks are counted but no longer heard";
}

TEST_F(Hub, InternalEventsIgnoreChannelsAndRanges) {
    form.ComboBoxMidiChannel1234.UserSelect(4);
    form.ComboBoxLow56.UserSelect(9);
    inputOpen = false;
    hub.ShortEvent(0xFE7F0000 + 30 * 256 + 0x90, 0); // the keyboard's note on
    EXPECT_EQ(Notes(0) + Notes(1), "11");
    hub.ShortEvent(0xFE000000 + 30 * 256 + 0x80, 0);
    EXPECT_EQ(Notes(0) + Notes(1), "00");
    hub.ShortEvent(PackEvent(0x90, 40, 0, MessageHub::kFromProgram), 0);
    EXPECT_EQ(Notes(0), "1") << "velocity 0 from a producer is a quiet note, not a release";

    Midi(0x90, 50, 100);
    EXPECT_EQ(chip.Part(0).Count(), 1) << "MIDI is dropped while the input is closed";
}

TEST_F(Hub, MessageTableAndTheClosingFlag) {
    std::vector<uintptr_t> returned;
    hub.onWaveDone = [&returned](uintptr_t buffer) { returned.push_back(buffer); };
    EXPECT_TRUE(hub.Dispatch(MessageHub::kWomDone, 0, 0x1234));
    EXPECT_THAT(returned, ElementsAre(0x1234u));
    for (uint32_t ignored : {MessageHub::kWomOpen, MessageHub::kWomClose, MessageHub::kMimOpen,
                             MessageHub::kMimClose, MessageHub::kMimLongData, MessageHub::kMimError,
                             MessageHub::kMimLongError, MessageHub::kMimMoreData}) {
        EXPECT_TRUE(hub.Dispatch(ignored, 0, 0x00643C90)) << ignored;
    }
    EXPECT_EQ(chip.Part(0).Count(), 0);
    EXPECT_FALSE(hub.Dispatch(0x0010, 0, 0)) << "not the hub's: default handling";
    EXPECT_TRUE(hub.Dispatch(MessageHub::kMimData, 0, 0x00643C90));
    EXPECT_EQ(chip.Part(0).Count(), 1);

    form.SetClosing();
    Midi(0x90, 62, 100);
    hub.ShortEvent(0xFE7F0000 + 64 * 256 + 0x90, 0);
    EXPECT_TRUE(hub.Dispatch(MessageHub::kWomDone, 0, 0x5678));
    EXPECT_EQ(chip.Part(0).Count(), 1) << "nothing is heard while closing";
    EXPECT_THAT(returned, ElementsAre(0x1234u));
}

TEST_F(Hub, PresetStepsComeFromControllersAndTheKeyboardOnly) {
    std::vector<int> steps;
    hub.onStepPreset = [&steps](int delta) { steps.push_back(delta); };
    Cc(96, 0);
    Cc(97, 0);
    hub.ShortEvent(0xFE0100C0, 0); // keyboard: next
    hub.ShortEvent(0xFEFF00C0, 0); // keyboard: previous
    Midi(0xC0, 1);                 // a MIDI program change is not a step
    EXPECT_THAT(steps, ElementsAre(1, -1, 1, -1));
}

TEST_F(Hub, SystemMessagesReachTheClockAndResetSilences) {
    Midi(0xF8, 0);
    Midi(0x90, 60, 100);
    ::testing::StrictMock<MockClock> clock;
    hub.peers.Connect(clock);
    {
        ::testing::InSequence order;
        EXPECT_CALL(clock, Tick(ClockReceiver::kTimingClock));
        EXPECT_CALL(clock, Start());
        EXPECT_CALL(clock, Continue());
        EXPECT_CALL(clock, Stop());
        EXPECT_CALL(clock, Tick(ClockReceiver::kOtherSystem)).Times(3);
    }
    for (uint8_t status : {0xF8, 0xFA, 0xFB, 0xFC, 0xFE, 0xF1, 0xF0}) {
        Midi(status, 0);
    }
    EXPECT_TRUE(KeyOn(0, 0));
    Midi(0xFF, 0); // system reset: the clock does not hear it
    EXPECT_FALSE(KeyOn(0, 0));
    EXPECT_EQ(Notes(0), "0");
    EXPECT_EQ(chip.Part(0).Count(), 0);
}

TEST_F(Hub, MapWindowHearsControllersPlayedOnThePartChannels) {
    FixedCcMap map;
    hub.peers.Connect(map);
    Cc(7, 100);
    Cc(100, 3);
    Cc(7, 50, 5); // nobody's channel
    LfoCc(7, 20, 0, CcSource::kNone);
    EXPECT_THAT(map.observed, ElementsAre(Pair(7, 100), Pair(100, 3)));
}

class FakeDrumKit : public DrumKitReceiver {
public:
    bool ListensTo(int c) const override { return c == channel; }
    void PlayByNote(uint8_t note, uint8_t velocity) override {
        played.emplace_back(note, velocity);
    }
    int channel = 9;
    std::vector<std::pair<int, int>> played;
};

TEST_F(Hub, DrumKitPlaysItsOwnChannelBesideTheParts) {
    FakeDrumKit kit;
    hub.peers.Connect(kit);
    Midi(0x99, 36, 100);
    Midi(0x99, 38, 0);
    Midi(0x89, 36, 0);
    Midi(0x90, 40, 90);
    EXPECT_THAT(kit.played, ElementsAre(Pair(36, 100)));
    kit.channel = 0;
    Midi(0x90, 41, 80);
    EXPECT_THAT(kit.played, ElementsAre(Pair(36, 100), Pair(41, 80)));
    EXPECT_EQ(chip.Part(0).Count(), 2) << "the part on the same channel plays too";
}

} // namespace
} // namespace vorpline::test
