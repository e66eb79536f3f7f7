#include <gtest/gtest.h>

#include "support/EngineFixture.h"

namespace vorpline::test {
namespace {

class Voices : public EngineFixture {
protected:
    // Puts part 1-4 in a mode and priority with a sustained patch.
    void Setup(uint8_t mode, uint8_t priority) {
        chip.ApplyPatch(SustainedPatch(), Ext(mode, 6, priority));
        backend.writes.clear();
    }
    // The note a voice of part 1-4 is sounding, or -1.
    int Sounding(int voice) const {
        const auto& slot = chip.Part(0).Voice(voice);
        return slot.busy ? slot.note : -1;
    }
    uint8_t State(int note) const { return chip.Part(0).Note(note).state; }
    // Whether the last writes to the voice's key register restarted the envelope.
    bool Retriggered(int voice) const {
        auto values = backend.ValuesOf(0xB0 + chip.Part(0).ChannelOffset(voice));
        for (size_t i = 1; i < values.size(); ++i) {
            if (!(values[i - 1] & 0x20) && (values[i] & 0x20)) {
                return true;
            }
        }
        return false;
    }
    void Press(uint8_t note) {
        timers.AdvanceBy(1); // distinct press times
        pitch.NoteOn(0, note, 100);
    }
};

TEST_F(Voices, PolyTwoLastStealsOldestAndGivesBack) {
    Setup(3 - 1, VoicePart::kLast); // Poly 2
    Press(60);
    Press(62);
    Press(64);
    EXPECT_EQ(Sounding(0), 64);
    EXPECT_EQ(Sounding(1), 62);
    EXPECT_EQ(State(60), VoicePart::kWaiting);
    EXPECT_EQ(chip.Part(0).Count(), 2);
    backend.writes.clear();
    chip.Part(0).NoteOff(64);
    EXPECT_EQ(Sounding(0), 60);
    EXPECT_TRUE(Retriggered(0));
    EXPECT_EQ(chip.Part(0).Count(), 2);
    chip.Part(0).NoteOff(60);
    chip.Part(0).NoteOff(62);
    EXPECT_EQ(chip.Part(0).Count(), 0);
    EXPECT_FALSE(KeyOn(0, 0));
    EXPECT_FALSE(KeyOn(0, 1));
}

TEST_F(Voices, MonoHighAndLowPark) {
    Setup(VoicePart::kMono, VoicePart::kHigh);
    Press(60);
    Press(55);
    EXPECT_EQ(Sounding(0), 60);
    EXPECT_EQ(State(55), VoicePart::kWaiting);
    Press(67);
    EXPECT_EQ(Sounding(0), 67) << "a higher note takes the voice";
    chip.Part(0).NoteOff(67);
    EXPECT_EQ(Sounding(0), 60) << "highest waiting note first";
    chip.Part(0).NoteOff(60);
    EXPECT_EQ(Sounding(0), 55);

    Setup(VoicePart::kMono, VoicePart::kLow);
    Press(60);
    Press(64);
    EXPECT_EQ(Sounding(0), 60);
    EXPECT_EQ(State(64), VoicePart::kWaiting);
}

TEST_F(Voices, FirstNeverStealsAndWaitingNoteOffOnlyForgets) {
    Setup(2, VoicePart::kFirst);
    Press(60);
    Press(62);
    Press(64);
    Press(65);
    EXPECT_EQ(Sounding(0), 60);
    EXPECT_EQ(Sounding(1), 62);
    chip.Part(0).NoteOff(64);
    EXPECT_EQ(State(64), VoicePart::kIdle);
    chip.Part(0).NoteOff(60);
    EXPECT_EQ(Sounding(0), 65);
}

TEST_F(Voices, LegatoWithoutPortamentoRetunesWithoutAttack) {
    Setup(VoicePart::kLegato, VoicePart::kLast);
    Press(60);
    backend.writes.clear();
    Press(62);
    auto key = backend.ValuesOf(0xB0 + chip.Part(0).ChannelOffset(0));
    ASSERT_EQ(key.size(), 1u);
    EXPECT_TRUE(key[0] & 0x20);
    EXPECT_EQ(chip.ReadRegister(0xA0 + chip.Part(0).ChannelOffset(0)),
              chip.FNumbers().Compute(62, 0).low);
    backend.writes.clear();
    chip.Part(0).NoteOff(62);
    EXPECT_EQ(Sounding(0), 60);
    EXPECT_FALSE(Retriggered(0));
    EXPECT_TRUE(KeyOn(0, 0));
}

TEST_F(Voices, SetModeSilencesFirst) {
    Setup(6, VoicePart::kLast);
    Press(60);
    Press(64);
    chip.Part(0).SetMode(3);
    EXPECT_FALSE(KeyOn(0, 0));
    EXPECT_FALSE(KeyOn(0, 1));
    EXPECT_EQ(chip.Part(0).Count(), 0);
    EXPECT_EQ(chip.Part(0).Limit(), 3);
}

TEST_F(Voices, CountAlwaysMatchesBusyVoices) {
    Setup(4, VoicePart::kHigh);
    uint32_t seed = 12345;
    for (int i = 0; i < 3000; ++i) {
        seed = seed * 1103515245 + 12345;
        uint8_t note = static_cast<uint8_t>(40 + (seed >> 16) % 20);
        if ((seed >> 8) & 1) {
            Press(note);
        } else {
            chip.Part(0).NoteOff(note);
        }
        int busy = 0;
        for (int v = 0; v < 6; ++v) {
            busy += chip.Part(0).Voice(v).busy;
        }
        ASSERT_EQ(busy, chip.Part(0).Count());
        ASSERT_LE(busy, 4);
    }
    // Out-of-range notes change nothing.
    uint8_t before = chip.Part(0).Count();
    EXPECT_EQ(pitch.NoteOn(0, 200, 100), before);
    EXPECT_EQ(chip.Part(0).NoteOff(200), before);
}

class DrumVoices : public EngineFixture {
protected:
    DrumVoices() : EngineFixture({.drumMode = true}) {}
};

TEST_F(DrumVoices, PartFiveSixHasThreeVoices) {
    chip.ApplyPatch(SustainedPatch(), Ext(6, 6));
    EXPECT_EQ(chip.Part(1).Limit(), 3);
    for (uint8_t n = 60; n < 65; ++n) {
        pitch.NoteOn(1, n, 100);
    }
    EXPECT_EQ(chip.Part(1).Count(), 3);
    for (int c = 6; c < 9; ++c) {
        EXPECT_FALSE(chip.ReadRegister(0xB0 + c) & 0x20) << "rhythm channel " << c;
    }
}

} // namespace
} // namespace vorpline::test
