#include <gtest/gtest.h>

#include "support/EngineFixture.h"

namespace vorpline::test {
namespace {

class Portamento : public EngineFixture {
protected:
    void Setup(uint8_t mode, uint16_t time, uint8_t flags = 0) {
        chip.ApplyPatch(SustainedPatch(), Ext(mode, 6));
        chip.SetPortamentoTime(0, time);
        chip.SetLegatoFlags(flags);
        backend.writes.clear();
    }
    int FNum() const {
        uint16_t ch = chip.Part(0).ChannelOffset(0);
        return (chip.ReadRegister(0xB0 + ch) & 0x1F) << 8 | chip.ReadRegister(0xA0 + ch);
    }
    int FNumOf(int note, int cents = 0) const {
        FNumber f = chip.FNumbers().Compute(note, cents);
        return (f.blockBits | f.high) << 8 | f.low;
    }
    int KeyOffs() const {
        int n = 0;
        for (uint8_t v : backend.ValuesOf(0xB0 + chip.Part(0).ChannelOffset(0))) {
            n += !(v & 0x20);
        }
        return n;
    }
};

TEST_F(Portamento, LegatoOctaveGlidesInTwentyFourTicks) {
    Setup(VoicePart::kLegato, 10);
    pitch.NoteOn(0, 60, 100);
    pitch.NoteOn(0, 72, 100);
    EXPECT_EQ(chip.GlideOffset(0), -1200);
    EXPECT_EQ(chip.Part(0).GetGlide().StepsLeft(), 24);
    EXPECT_EQ(FNum(), FNumOf(60)) << "no write until the first tick";
    timers.AdvanceBy(10);
    EXPECT_EQ(FNum(), FNumOf(72, -1150));
    timers.AdvanceBy(230);
    EXPECT_EQ(chip.GlideOffset(0), 0);
    EXPECT_EQ(chip.Part(0).GetGlide().StepsLeft(), 0);
    EXPECT_EQ(FNum(), FNumOf(72));
    EXPECT_EQ(KeyOffs(), 0) << "no new attack";
    EXPECT_TRUE(KeyOn(0, 0));
}

TEST_F(Portamento, NewNoteHalfwayContinuesFromReachedPitch) {
    Setup(VoicePart::kLegato, 10);
    pitch.NoteOn(0, 60, 100);
    pitch.NoteOn(0, 72, 100);
    timers.AdvanceBy(120); // halfway: offset -600
    ASSERT_EQ(chip.GlideOffset(0), -600);
    pitch.NoteOn(0, 67, 100);
    EXPECT_EQ(chip.GlideOffset(0), -600 + 500);
    EXPECT_EQ(chip.Part(0).GetGlide().Step(), 50);
    EXPECT_EQ(chip.Part(0).GetGlide().StepsLeft(), 2);
}

TEST_F(Portamento, LegatoFlagsChooseTheGlide) {
    Setup(VoicePart::kLegato, 10, 0x02); // "Down": start at the new note, move to the old one
    pitch.NoteOn(0, 60, 100);
    pitch.NoteOn(0, 64, 100);
    EXPECT_EQ(chip.GlideOffset(0), 0);
    EXPECT_EQ(chip.Part(0).GetGlide().Step(), -50);
    timers.AdvanceBy(1000);
    EXPECT_EQ(chip.GlideOffset(0), -400);
    EXPECT_EQ(FNum(), FNumOf(60));

    Setup(VoicePart::kLegato, 10, 0x01); // "Up": jump back to the old note and glide
    timers.AdvanceBy(10);                // let the earlier timer's period pass
    pitch.NoteOn(0, 60, 100);
    pitch.NoteOn(0, 64, 100);
    EXPECT_EQ(chip.GlideOffset(0), -400);
    EXPECT_EQ(chip.Part(0).GetGlide().StepsLeft(), 8);
}

TEST_F(Portamento, MonoRetriggersOnArrival) {
    Setup(VoicePart::kMono, 5);
    pitch.NoteOn(0, 60, 100);
    pitch.NoteOn(0, 62, 100);
    EXPECT_EQ(KeyOffs(), 0);
    timers.AdvanceBy(15);
    EXPECT_EQ(KeyOffs(), 0);
    timers.AdvanceBy(5); // the fourth and last step
    EXPECT_EQ(KeyOffs(), 1);
    EXPECT_EQ(FNum(), FNumOf(62));
    EXPECT_TRUE(KeyOn(0, 0));
}

TEST_F(Portamento, TimeZeroMeansImmediate) {
    Setup(VoicePart::kMono, 0);
    pitch.NoteOn(0, 60, 100);
    pitch.NoteOn(0, 62, 100);
    EXPECT_EQ(FNum(), FNumOf(62));
    EXPECT_EQ(KeyOffs(), 1) << "Mono steal restarts at once";
    EXPECT_FALSE(timers.NextDeadline().has_value());
}

TEST_F(Portamento, GlideOffsetClearedByNextNoteFromIdle) {
    Setup(VoicePart::kLegato, 10);
    pitch.NoteOn(0, 60, 100);
    pitch.NoteOn(0, 72, 100);
    timers.AdvanceBy(50);
    ASSERT_EQ(chip.GlideOffset(0), -950);
    chip.Part(0).NoteOff(72); // 60 takes the voice back and glides down from where 72 got to
    EXPECT_EQ(chip.GlideOffset(0), 250);
    chip.Part(0).NoteOff(60);
    EXPECT_EQ(chip.Part(0).GetGlide().StepsLeft(), 0);
    EXPECT_EQ(chip.GlideOffset(0), 250) << "kept until the next note";
    pitch.NoteOn(0, 50, 100);
    EXPECT_EQ(chip.GlideOffset(0), 0);
    EXPECT_EQ(FNum(), FNumOf(50));
}

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
