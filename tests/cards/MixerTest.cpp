#include "cards/Mixer.h"
#include "cards/FM801.h"
#include "cards/SB16.h"
#include "cards/SBPRO2.h"
#include "cards/Solo1.h"
#include "cards/VolumePan.h"
#include "support/RecordingPortIo.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <stdexcept>
#include <tuple>
#include <utility>
#include <vector>

namespace vorpline {
namespace {

using test::In16;
using test::In8;
using test::Out16;
using test::Out8;
using test::PortEvent;
using test::RecordingPortIo;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

// One SB-style mixer register write as the card sees it: index, its read-back, value, its
// read-back (the recorder answers reads with 0xFF).
std::vector<PortEvent> IndexedWrite(uint16_t base, uint8_t index, uint8_t value) {
    return {Out8(base + 4, index), In8(base + 4, 0xFF), Out8(base + 5, value), In8(base + 5, 0xFF)};
}

std::vector<PortEvent> Concat(std::initializer_list<std::vector<PortEvent>> parts) {
    std::vector<PortEvent> all;
    for (const auto& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

// The transfers so far, handed over and forgotten, so each step is checked on its own.
std::vector<PortEvent> Taken(RecordingPortIo& io) {
    return std::exchange(io.events, {});
}

// Muted flag, volume and pan as the mixer reports them.
std::tuple<bool, int, int> Reported(Mixer& mixer) {
    int volume = -1;
    int pan = -1;
    const bool muted = mixer.GetVolumePan(volume, pan);
    return {muted, volume, pan};
}

std::vector<PortEvent> Sb16Levels(uint16_t base, uint8_t left, uint8_t right) {
    return Concat({IndexedWrite(base, 0x34, left * 8), IndexedWrite(base, 0x35, right * 8)});
}

TEST(VolumePanTest, PanSplitsTheVolumeBetweenTheChannels) {
    // Volume, pan, left, right. 31 × 32 / 63 = 15.7 and 20 × 62 / 64 = 19.4 both truncate; out
    // of range input is clamped, never wrapped into the 5-bit field.
    const int cases[][4] = {{31, 0, 31, 31},   {31, -64, 31, 0},  {31, 63, 0, 31}, {31, 32, 15, 31},
                            {31, -32, 31, 15}, {20, 1, 19, 20},   {0, 40, 0, 0},   {40, 0, 31, 31},
                            {-3, 0, 0, 0},     {31, -100, 31, 0}, {31, 100, 0, 31}};
    for (const auto& c : cases) {
        EXPECT_EQ((VolumePan{c[0], c[1]}.ToLevels()), (StereoLevels{c[2], c[3]}))
            << "volume " << c[0] << " pan " << c[1];
    }
}

TEST(VolumePanTest, LevelsGiveTheLouderChannelAndTheBalance) {
    // Left, right, volume, pan. 63 × 15 / 31 - 64 = -33.5: truncation goes toward zero.
    const int cases[][4] = {{31, 0, 31, -64},  {0, 31, 31, 63}, {15, 31, 31, 32},
                            {31, 15, 31, -33}, {25, 25, 25, 0}, {0, 0, 0, 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(VolumePan::FromLevels({c[0], c[1]}), (VolumePan{c[2], c[3]}))
            << "left " << c[0] << " right " << c[1];
    }
}

TEST(VolumePanTest, LevelsSurviveARoundTripThroughVolumeAndPan) {
    for (int left = 0; left <= 31; ++left) {
        for (int right = 0; right <= 31; ++right) {
            const StereoLevels levels{left, right};
            EXPECT_EQ(VolumePan::FromLevels(levels).ToLevels(), levels)
                << "left " << left << " right " << right;
        }
    }
    for (int pan = -64; pan <= 63; ++pan) {
        const StereoLevels levels = VolumePan{31, pan}.ToLevels();
        const VolumePan back = VolumePan::FromLevels(levels);
        EXPECT_EQ(back.volume, 31);
        EXPECT_EQ(back.ToLevels(), levels) << "pan " << pan;
        EXPECT_NEAR(back.pan, pan, 2) << "pan " << pan;
    }
}

TEST(MixerTest, OutputWithoutMixerReportsDefaultsAndIgnoresChanges) {
    Mixer mixer;
    mixer.SetVolumePan(3, -20);
    mixer.SetMute(true);
    EXPECT_EQ(Reported(mixer), std::make_tuple(false, 25, 0));
}

TEST(SB16Test, FmLevelsGoThroughIndexAndDataPortsAndEndAtZero) {
    RecordingPortIo io;
    {
        SB16 mixer(io, 0x220);
        EXPECT_THAT(Taken(io), ElementsAreArray(Sb16Levels(0x220, 25, 25)));
        mixer.SetVolumePan(31, 0);
        EXPECT_THAT(Taken(io), ElementsAreArray(Sb16Levels(0x220, 31, 31)));
    }
    EXPECT_THAT(io.events, ElementsAreArray(Sb16Levels(0x220, 0, 0)));
}

TEST(SB16Test, VolumeChangesWhileMutedWaitForUnmute) {
    RecordingPortIo io;
    SB16 mixer(io, 0x240);
    io.events.clear();

    mixer.SetMute(true);
    EXPECT_THAT(Taken(io), ElementsAreArray(Sb16Levels(0x240, 0, 0)));

    mixer.SetVolumePan(31, 32);
    EXPECT_THAT(io.events, IsEmpty());
    EXPECT_EQ(Reported(mixer), std::make_tuple(true, 31, 32));

    mixer.SetMute(false);
    EXPECT_THAT(io.events, ElementsAreArray(Sb16Levels(0x240, 15, 31)));
    EXPECT_FALSE(std::get<0>(Reported(mixer)));
}

TEST(SB16Test, RejectsABaseWhosePortsRunPastTheEnd) {
    RecordingPortIo io;
    EXPECT_THROW(SB16(io, 0xFFFB), std::invalid_argument);
    EXPECT_THROW(Solo1(io, 0xFFF9), std::invalid_argument);
    EXPECT_THROW(FM801(io, 0xFFAB), std::invalid_argument);
    EXPECT_THAT(io.events, IsEmpty());
    EXPECT_NO_THROW(SB16(io, 0xFFFA));
    EXPECT_NO_THROW(Solo1(io, 0xFFF8));
    io.idleValue = 0;
    EXPECT_NO_THROW(FM801(io, 0xFFAA));
}

TEST(SBPRO2Test, BothLevelsShareRegister26) {
    RecordingPortIo io;
    SBPRO2 mixer(io, 0x220);
    EXPECT_THAT(Taken(io), ElementsAreArray(IndexedWrite(0x220, 0x26, 0xCC)));

    mixer.SetVolumePan(25, 0);
    EXPECT_THAT(Taken(io), ElementsAreArray(IndexedWrite(0x220, 0x26, 0xCC)));

    // Left 15, right 31: (120 AND 0xF0) OR 15.
    mixer.SetVolumePan(31, 32);
    EXPECT_THAT(Taken(io), ElementsAreArray(IndexedWrite(0x220, 0x26, 0x7F)));

    mixer.SetMute(true);
    EXPECT_THAT(io.events, ElementsAreArray(IndexedWrite(0x220, 0x26, 0x00)));
}

TEST(Solo1Test, CreationAndDestructionRouteTheFmOutputThroughBase7) {
    RecordingPortIo io;
    io.replies[0x307] = {0xF5, 0x00, 0x0F};
    {
        Solo1 mixer(io, 0x300);
        // Left 25, right 25: (25 × 16 + 25) AND 0xFF.
        EXPECT_THAT(Taken(io), ElementsAreArray(Concat(
                                   {IndexedWrite(0x300, 0x36, 0xA9),
                                    {In8(0x307, 0xF5), Out8(0x307, 0xC5), In8(0x307, 0x00)}})));

        mixer.SetVolumePan(31, -64);
        EXPECT_THAT(Taken(io), ElementsAreArray(IndexedWrite(0x300, 0x36, 0xF0)));
    }
    EXPECT_THAT(io.events,
                ElementsAreArray(Concat({{In8(0x307, 0x0F), Out8(0x307, 0x2F), In8(0x307, 0xFF)},
                                         IndexedWrite(0x300, 0x36, 0x00)})));
}

class FM801Test : public ::testing::Test {
protected:
    static constexpr uint16_t kBase = 0xE000;
    static constexpr uint16_t kVolume = kBase + 2;
    static constexpr uint16_t kControl = kBase + 0x54;

    FM801Test() { io.idleValue = 0; }

    RecordingPortIo io;
};

TEST_F(FM801Test, CreationMarksTheCardInUseUnderMuteAndDestructionUndoesIt) {
    io.replies[kVolume] = {0x0808, 0x0000, 0x8808};
    io.replies[kControl] = {0x0041};
    std::optional<FM801> mixer(std::in_place, io, kBase);
    EXPECT_THAT(Taken(io),
                ElementsAre(In16(kVolume, 0x0808), Out16(kVolume, 0x8808), In16(kVolume, 0x0000),
                            In16(kControl, 0x0041), Out16(kControl, 0x0045), In16(kControl, 0x0000),
                            In16(kVolume, 0x8808), Out16(kVolume, 0x0808), In16(kVolume, 0x0000)));

    io.replies[kControl] = {0x00C5};
    io.replies[kVolume] = {0x0102};
    mixer.reset();
    EXPECT_THAT(io.events,
                ElementsAre(In16(kControl, 0x00C5), Out16(kControl, 0x00C1), In16(kControl, 0x0000),
                            In16(kVolume, 0x0102), Out16(kVolume, 0x8102), In16(kVolume, 0x0000)));
}

TEST_F(FM801Test, VolumeRegisterHoldsAttenuationsAndKeepsTheMuteBit) {
    FM801 mixer(io, kBase);
    io.events.clear();

    // Left 15, right 31: attenuations 16 and 0. Other bits of the old value are dropped.
    io.replies[kVolume] = {0x60E0};
    mixer.SetVolumePan(31, 32);
    EXPECT_THAT(Taken(io),
                ElementsAre(In16(kVolume, 0x60E0), Out16(kVolume, 0x0010), In16(kVolume, 0x0000)));

    // Muted: still written, mute stays.
    io.replies[kVolume] = {0x8000};
    mixer.SetVolumePan(31, -64);
    EXPECT_THAT(io.events,
                ElementsAre(In16(kVolume, 0x8000), Out16(kVolume, 0x9F00), In16(kVolume, 0x0000)));
}

TEST_F(FM801Test, VolumeAndMuteAreReadBackFromTheCard) {
    FM801 mixer(io, kBase);
    io.replies[kVolume] = {0x8010};
    EXPECT_EQ(Reported(mixer), std::make_tuple(true, 31, 32));
    io.replies[kVolume] = {0x0606};
    EXPECT_EQ(Reported(mixer), std::make_tuple(false, 25, 0));
}

TEST_F(FM801Test, AttenuatorSetsBit6Or7OfTheControlRegister) {
    FM801 mixer(io, kBase);
    io.events.clear();

    io.replies[kControl] = {0x0085};
    mixer.SetAttenuator(FM801::kAttenuatorHalf);
    io.replies[kControl] = {0x0045};
    mixer.SetAttenuator(FM801::kAttenuatorQuarter);
    io.replies[kControl] = {0x00C5};
    mixer.SetAttenuator(FM801::kAttenuatorOff);

    EXPECT_THAT(Taken(io),
                ElementsAre(In16(kControl, 0x0085), Out16(kControl, 0x0045), In16(kControl, 0),
                            In16(kControl, 0x0045), Out16(kControl, 0x0085), In16(kControl, 0),
                            In16(kControl, 0x00C5), Out16(kControl, 0x0005), In16(kControl, 0)));

    EXPECT_THROW(mixer.SetAttenuator(3), std::invalid_argument);
    EXPECT_THROW(mixer.SetAttenuator(0), std::invalid_argument);
    EXPECT_THAT(io.events, IsEmpty());
}

} // namespace
} // namespace vorpline
