#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "engine/RegisterMap.h"
#include "support/EngineFixture.h"

namespace vorpline::test {
namespace {

class Portamento : public EngineFixture {
protected:
    void Setup(uint8_t mode, uint16_t time, uint8_t flags = 0, int part = 0) {
        chip.ApplyPatch(SustainedPatch(), Ext(part == 0 ? mode : 6, part == 1 ? mode : 6));
        chip.SetPortamentoTime(part, time);
        chip.SetLegatoFlags(flags);
        backend.writes.clear();
    }
    Glide& GlideOf(int part = 0) { return chip.Part(part).GetGlide(); }
    int FNum(int part = 0) const {
        uint16_t ch = chip.Part(part).ChannelOffset(0);
        return (chip.ReadRegister(kRegKeyBlock + ch) & (kBlockMask | kFNumberHighMask)) << 8 |
               chip.ReadRegister(kRegFNumberLow + ch);
    }
    int FNumOf(int note, int cents = 0) const {
        FNumber f = chip.FNumbers().Compute(note, cents);
        return (f.blockBits | f.high) << 8 | f.low;
    }
    // Writes to voice 0's key register with the key-on bit clear, or set.
    int KeyWrites(bool on, int part = 0) const {
        int n = 0;
        for (uint8_t v : backend.ValuesOf(kRegKeyBlock + chip.Part(part).ChannelOffset(0))) {
            n += ((v & kKeyOn) != 0) == on;
        }
        return n;
    }
};

struct GlideCase {
    const char* name;
    int part;
    uint8_t mode;
    uint8_t flags;
    uint16_t time;
    uint8_t from, to;
    int32_t offset; // right after the second note
    int steps;
    int32_t restsAt; // the offset the glide leaves
    int keyOffs;     // envelope restarts on the way
};

class GlideShapes : public Portamento, public ::testing::WithParamInterface<GlideCase> {};

TEST_P(GlideShapes, StepByStepToExactlyTheTarget) {
    const GlideCase& c = GetParam();
    Setup(c.mode, c.time, c.flags, c.part);
    pitch.NoteOn(c.part, c.from, 100);
    pitch.NoteOn(c.part, c.to, 100);
    EXPECT_EQ(chip.GlideOffset(c.part), c.offset);
    EXPECT_EQ(GlideOf(c.part).StepsLeft(), c.steps);
    if (c.steps == 0) {
        EXPECT_EQ(FNum(c.part), FNumOf(c.to));
        EXPECT_FALSE(timers.NextDeadline().has_value()) << "no timer without a time";
    } else {
        EXPECT_EQ(FNum(c.part), FNumOf(c.from)) << "no write until the first tick";
        timers.AdvanceBy(c.time);
        int32_t first = chip.GlideOffset(c.part);
        EXPECT_EQ(std::abs(first - c.offset), Glide::kStepCents);
        EXPECT_EQ(FNum(c.part), FNumOf(c.to, first));
        timers.AdvanceBy(c.time * (c.steps - 2));
        EXPECT_EQ(KeyWrites(false, c.part), 0) << "no restart before arrival";
        timers.AdvanceBy(c.time);
    }
    EXPECT_EQ(GlideOf(c.part).StepsLeft(), 0);
    EXPECT_EQ(chip.GlideOffset(c.part), c.restsAt);
    EXPECT_EQ(FNum(c.part), FNumOf(c.to, c.restsAt));
    EXPECT_EQ(KeyWrites(false, c.part), c.keyOffs);
    EXPECT_TRUE(KeyOn(c.part, 0));
    size_t written = backend.writes.size();
    timers.AdvanceBy(c.time * 10 + 10);
    EXPECT_EQ(backend.writes.size(), written) << "ticks with no steps left write nothing";
}

INSTANTIATE_TEST_SUITE_P(
    Portamento, GlideShapes,
    ::testing::Values(
        // An octave at 10 ms: 24 ticks of +50 cents, no new attack.
        GlideCase{"LegatoFromCurrent", 0, VoicePart::kLegato, 0, 10, 60, 72, -1200, 24, 0, 0},
        // "Down": start at the new note, move to the old one and stay there.
        GlideCase{"LegatoDownReverses", 0, VoicePart::kLegato, 0x02, 10, 60, 64, 0, 8, -400, 0},
        // "Up": jump back to the old note and glide to the new one.
        GlideCase{"LegatoUpFromPrevious", 0, VoicePart::kLegato, 0x01, 10, 60, 64, -400, 8, 0, 0},
        GlideCase{"FiveSixFlagsSitFourBitsUp", 1, VoicePart::kLegato, 0x20, 7, 64, 60, 0, 8, 400,
                  0},
        // Mono restarts the envelope when the glide arrives.
        GlideCase{"MonoRetriggersOnArrival", 0, VoicePart::kMono, 0, 5, 60, 62, -200, 4, 0, 1},
        GlideCase{"MonoTimeZeroRestartsAtOnce", 0, VoicePart::kMono, 0, 0, 60, 62, 0, 0, 0, 1},
        GlideCase{"LegatoTimeZeroRetunesAtOnce", 0, VoicePart::kLegato, 0, 0, 60, 62, 0, 0, 0, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Portamento, GlideOffsetClearedByNextNoteFromIdle) {
    Setup(VoicePart::kLegato, 10);
    pitch.NoteOn(0, 60, 100);
    pitch.NoteOn(0, 72, 100);
    timers.AdvanceBy(50);
    ASSERT_EQ(chip.GlideOffset(0), -950);
    chip.Part(0).NoteOff(72); // 60 takes the voice back and glides down from where 72 got to
    EXPECT_EQ(chip.GlideOffset(0), 250);
    chip.Part(0).NoteOff(60);
    EXPECT_EQ(GlideOf().StepsLeft(), 0);
    EXPECT_EQ(chip.GlideOffset(0), 250) << "kept until the next note";
    pitch.NoteOn(0, 50, 100);
    EXPECT_EQ(chip.GlideOffset(0), 0);
    EXPECT_EQ(FNum(), FNumOf(50));
}

// The timer thread fires while the main loop is busy elsewhere: its posts wait in the queue,
// and only count once they arrive, against the glide as it is then.
TEST_F(Portamento, StepsAreCountedWhenTheyReachTheMainThread) {
    Setup(VoicePart::kLegato, 10);
    pitch.NoteOn(0, 60, 100);
    pitch.NoteOn(0, 72, 100);
    for (int i = 0; i < 12; ++i) {
        GlideOf().Tick();
    }
    EXPECT_EQ(chip.GlideOffset(0), -1200) << "the timer thread counts nothing";
    timers.RunPosted();
    EXPECT_EQ(chip.GlideOffset(0), -600);
    EXPECT_EQ(FNum(), FNumOf(72, -600));
    for (int i = 0; i < 3; ++i) {
        GlideOf().Tick();
    }
    pitch.NoteOn(0, 67, 100); // halfway: on from the pitch reached, two steps up
    EXPECT_EQ(chip.GlideOffset(0), -600 + 500);
    EXPECT_EQ(GlideOf().StepsLeft(), 2);
    timers.RunPosted();
    EXPECT_EQ(chip.GlideOffset(0), 0);
    EXPECT_EQ(FNum(), FNumOf(67));
}

// Ticks of a glide that a note-off ended must not key the released voice on again, whether
// they were queued before the note-off or arrive as a stray glide event.
class LateTicks : public Portamento, public ::testing::WithParamInterface<bool> {};

TEST_P(LateTicks, NeverKeyAReleasedVoiceOn) {
    bool stray = GetParam();
    Setup(VoicePart::kMono, 5);
    pitch.NoteOn(0, 60, 100);
    pitch.NoteOn(0, 62, 100); // four steps
    pitch.NoteOff(0, 60);     // the waiting note goes; 62 keeps the voice
    for (int i = 0; i < 4; ++i) {
        GlideOf().Tick();
    }
    pitch.NoteOff(0, 62);
    ASSERT_FALSE(KeyOn(0, 0));
    backend.writes.clear();
    timers.RunPosted();
    if (stray) {
        pitch.GlideTick(0, 0);
    }
    EXPECT_EQ(KeyWrites(true), 0);
    EXPECT_FALSE(KeyOn(0, 0));
    EXPECT_EQ(chip.Part(0).Count(), 0);
}

INSTANTIATE_TEST_SUITE_P(Portamento, LateTicks, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Stray" : "Queued"; });

TEST_F(Portamento, BendAndMasterTuningRetune) {
    Setup(6, 0);
    pitch.NoteOn(0, 60, 100);
    pitch.PitchBend(0, 8192);
    EXPECT_EQ(pitch.Bend(0), 0);
    pitch.PitchBend(0, 0);
    EXPECT_EQ(pitch.Bend(0), -1200);
    EXPECT_EQ(FNum(), FNumOf(48));
    pitch.PitchBend(0, 16383);
    EXPECT_EQ(pitch.Bend(0), 1199);
    pitch.PitchBend(0, 1);
    EXPECT_EQ(pitch.Bend(0), -1199);
    pitch.PitchBend(0, 8192);
    pitch.SetMasterTuning(700);
    EXPECT_EQ(FNum(), FNumOf(67));
}

} // namespace
} // namespace vorpline::test
