#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "engine/PitchControl.h"
#include "engine/RegisterMap.h"
#include "support/EngineFixture.h"

namespace vorpline::test {
namespace {

class ChipAccess : public EngineFixture {};

TEST_F(ChipAccess, BanksAndShadow) {
    chip.WriteRegister(0x1FF, 0x5A);
    ASSERT_EQ(backend.writes.size(), 1u);
    EXPECT_EQ(backend.writes[0].bank, 1);
    EXPECT_EQ(backend.writes[0].address, 0xFF);
    EXPECT_EQ(chip.ReadRegister(0x1FF), 0x5A);
    chip.WriteRegister(0x0A0, 0x11, 7);
    EXPECT_EQ(backend.writes[1].bank, 0);
    EXPECT_EQ(backend.writes[1].extraDelay, 7);
}

TEST_F(ChipAccess, IllegalRegistersAreRefusedUntouched) {
    auto shadow = chip.RegisterShadow();
    auto error = [](const auto& access) {
        try {
            access();
        } catch (const RegisterError& e) {
            return std::string(e.what());
        }
        return std::string("no exception");
    };
    EXPECT_EQ(error([&] { chip.WriteRegister(0x200, 1); }), "Write illegal OPL3 register [512]");
    EXPECT_EQ(error([&] { (void)chip.ReadRegister(600); }), "Read illegal OPL3 register [600]");
    EXPECT_TRUE(backend.writes.empty());
    EXPECT_EQ(chip.RegisterShadow(), shadow);
}

class XorBender : public RegisterBender {
public:
    uint8_t BendRegister(uint8_t address) override { return address ^ 0x03; }
    uint8_t BendData(uint8_t value) override { return value ^ 0xFF; }
};

TEST(ChipAccessBend, BankFollowsUnbentRegisterAndShadowHoldsWhatWasSent) {
    RecordingBackend backend;
    VirtualTimerService timers;
    XorBender bender;
    OPL3 chip(backend, timers, {}, &bender);
    backend.writes.clear();
    chip.WriteRegister(0x1A0, 0x0F);
    ASSERT_EQ(backend.writes.size(), 1u);
    EXPECT_EQ(backend.writes[0].bank, 1);
    EXPECT_EQ(backend.writes[0].address, 0xA3);
    EXPECT_EQ(backend.writes[0].value, 0xF0);
    EXPECT_EQ(chip.ReadRegister(0x1A0), 0xF0);
}

// Moves F-number writes (0xA0..) onto the key-on registers (0xB0..) and back, and sets the
// key-on bit of every byte it passes.
class ScramblingBender : public RegisterBender {
public:
    uint8_t BendRegister(uint8_t address) override { return address ^ 0x10; }
    uint8_t BendData(uint8_t value) override { return static_cast<uint8_t>(value ^ 0x25); }
};

TEST(ChipAccessBend, EveryRegisterStaysInItsBankAndAllNotesOffIsNotBent) {
    RecordingBackend backend;
    VirtualTimerService timers;
    ScramblingBender bender;
    OPL3 chip(backend, timers, {}, &bender);
    PitchControl pitch(chip);
    for (uint16_t reg = 0; reg < OPL3::kRegisterCount; ++reg) {
        backend.writes.clear();
        chip.WriteRegister(reg, 0x00);
        ASSERT_EQ(backend.writes.size(), 1u);
        EXPECT_EQ(backend.writes[0].bank, reg >> 8) << reg;
        EXPECT_EQ(backend.writes[0].address, (reg & 0xFF) ^ 0x10) << reg;
    }
    pitch.NoteOn(0, 60, 100);
    pitch.NoteOn(1, 72, 100);
    chip.ResetChip(false);
    // The chip's registers as the backend was told them, whatever the shadow says.
    std::array<uint8_t, OPL3::kRegisterCount> chipRegisters{};
    for (const auto& w : backend.writes) {
        chipRegisters[w.Register()] = w.value;
    }
    for (uint16_t bank : {0x000, 0x100}) {
        for (uint16_t c = 0; c < kChannelCount; ++c) {
            EXPECT_EQ(chipRegisters[bank + kRegKeyBlock + c] & kKeyOn, 0) << bank + c;
        }
    }
    EXPECT_EQ(chipRegisters[kRegRhythm], 0x00) << "no drum keyed on";
}

TEST(ChipReset, FullResetSequence) {
    RecordingBackend backend;
    VirtualTimerService timers;
    OPL3 chip(backend, timers, {});
    const auto& w = backend.writes;
    // Interleaved clear of both banks from 0x04 to 0xF5.
    ASSERT_GT(w.size(), 2u * (0xF5 - 0x04 + 1));
    EXPECT_EQ(w[0].Register(), 0x004);
    EXPECT_EQ(w[1].Register(), 0x104);
    EXPECT_EQ(w[2].Register(), 0x005);
    size_t clear = 2 * (0xF5 - 0x04 + 1);
    EXPECT_EQ(w[clear - 1].Register(), 0x1F5);
    EXPECT_EQ(w[clear].Register(), 0x105);
    EXPECT_EQ(w[clear].value, 0x01);
    EXPECT_EQ(w[clear + 1].Register(), 0x104);
    EXPECT_EQ(w[clear + 1].value, 0x3F);
    EXPECT_EQ(w[clear + 2].Register(), 0x0BD);
    EXPECT_EQ(w[clear + 2].value, 0x00);
    // Every operator gets release rate 15, every channel key-off and F-number 0.
    for (uint16_t slot : kSlotOffsetTable) {
        EXPECT_EQ(chip.ReadRegister(0x80 + slot), 0x0F) << slot;
    }
    EXPECT_EQ(w.size(), clear + 3 + 36 + 36);
}

TEST(ChipReset, DrumModeLeavesRhythmReleasesAlone) {
    RecordingBackend backend;
    VirtualTimerService timers;
    OPL3 chip(backend, timers, {.drumMode = true});
    EXPECT_EQ(chip.ReadRegister(0xBD), 0x20);
    for (uint16_t reg = 0x90; reg <= 0x95; ++reg) {
        EXPECT_EQ(backend.ValuesOf(reg), std::vector<uint8_t>{0}) << "only the clear: " << reg;
    }
    EXPECT_EQ(chip.ReadRegister(0x190), 0x0F);
    EXPECT_EQ(chip.Part(OPL3::kPart56).Limit(), 3);
}

// All-notes-off and system reset: the chip falls silent at once, and the patch then plays
// exactly as before, whatever the operators' velocity target.
class SoftReset : public EngineFixture, public ::testing::WithParamInterface<uint8_t> {
protected:
    using Writes = std::vector<std::pair<uint16_t, uint8_t>>;
    struct Played {
        // Both parts' voice 0 once the note sounds. The registers, not the writes: the first
        // key-on after a reset also gives the voice its release rate back.
        Writes voiceRegisters;
        Writes pedal; // what a damper down and up writes
    };

    Played Play() {
        Played played;
        pitch.NoteOn(0, 60, 90);
        pitch.NoteOn(1, 67, 90);
        for (int part = 0; part < 2; ++part) {
            for (int op = PartFirstOperator(part); op < PartOperatorEnd(part); ++op) {
                for (uint16_t base : {kRegFlags, kRegLevel, kRegAttackDecay, kRegSustainRelease}) {
                    Read(played.voiceRegisters, base + OperatorSlotOffset(op, 0));
                }
            }
            for (uint16_t base : {kRegFNumberLow, kRegKeyBlock}) {
                Read(played.voiceRegisters, base + chip.Part(part).ChannelOffset(0));
            }
        }
        backend.writes.clear();
        for (uint8_t pedal : {100, 0}) {
            chip.DamperUpdate(0, pedal);
            chip.DamperUpdate(1, pedal);
        }
        for (const auto& w : backend.writes) {
            played.pedal.emplace_back(w.Register(), w.value);
        }
        return played;
    }
    void Read(Writes& into, uint16_t reg) const { into.emplace_back(reg, chip.ReadRegister(reg)); }
};

TEST_P(SoftReset, SilencesAndThePatchPlaysAsBefore) {
    PatchRecord patch = SustainedPatch();
    for (auto& op : patch.op) {
        op.reg = {0x01, 0x4C, 0xA6, 0x59, 0x00}; // level 51, AR 10, DR 6, SL 5, RR 9
    }
    PatchExt ext = Ext();
    ext[PatchExt::kDamperBits] = 0x3F;
    for (int op = 0; op < kOperatorCount; ++op) {
        ext[PatchExt::kVelocityTarget + op] = GetParam();
        ext[PatchExt::kVelocityOffset + op] = 10;
    }
    chip.ApplyPatch(patch, ext);
    Played before = Play();

    chip.ResetChip(false);
    EXPECT_FALSE(KeyOn(0, 0));
    EXPECT_FALSE(KeyOn(1, 0));
    EXPECT_EQ(chip.Part(0).Count(), 0);
    EXPECT_EQ(chip.Part(0).Voice(0).note, VoicePart::kNoNote);
    EXPECT_EQ(chip.ReadRegister(kRegSustainRelease + OperatorSlotOffset(0, 0)) & kReleaseMask,
              kReleaseMask)
        << "released voices fade out at the fastest rate";

    Played after = Play();
    EXPECT_EQ(after.voiceRegisters, before.voiceRegisters);
    EXPECT_EQ(after.pedal, before.pedal);
}

std::string TargetName(const ::testing::TestParamInfo<uint8_t>& info) {
    static const char* const kTargets[] = {"Off",   "Volume",  "Attack",
                                           "Decay", "Sustain", "Release"};
    return kTargets[info.param];
}

INSTANTIATE_TEST_SUITE_P(ChipReset, SoftReset, ::testing::Range<uint8_t>(0, 6), TargetName);

} // namespace
} // namespace vorpline::test
