#include <gtest/gtest.h>

#include <set>

#include "engine/RegisterMap.h"
#include "support/EngineFixture.h"

namespace vorpline::test {
namespace {

class PatchParameters : public EngineFixture {
protected:
    using EngineFixture::EngineFixture;
    std::set<uint16_t> WrittenRegisters() const {
        std::set<uint16_t> regs;
        for (const auto& w : backend.writes) {
            regs.insert(w.Register());
        }
        return regs;
    }
};

class DrumModePatchParameters : public PatchParameters {
protected:
    DrumModePatchParameters() : PatchParameters({.drumMode = true}) {}
};

TEST_F(PatchParameters, OperatorSettersReachTheSameSlotOfEveryVoice) {
    chip.SetAttack(0, 9);
    EXPECT_EQ(WrittenRegisters(), (std::set<uint16_t>{0x160, 0x161, 0x162, 0x060, 0x061, 0x062}));
    backend.writes.clear();
    chip.SetWaveform(5, 7);
    EXPECT_EQ(WrittenRegisters(), (std::set<uint16_t>{0x1F3, 0x1F4, 0x1F5, 0x0F3, 0x0F4, 0x0F5}));
    // Fields share bytes: each setter keeps the others.
    chip.SetDecay(0, 4);
    chip.SetTremolo(0, true);
    chip.SetMultiplierCents(0, 1200);
    chip.SetLevelScaling(0, 2);
    chip.SetVolume(0, 60);
    EXPECT_EQ(chip.ReadRegister(0x160), 0x94);
    EXPECT_EQ(chip.ReadRegister(0x062), 0x94);
    EXPECT_EQ(chip.ReadRegister(0x120), 0x82);
    EXPECT_EQ(chip.ReadRegister(0x140), 0x83);
    EXPECT_EQ(chip.OperatorLevel(0), 60);
    // A cents value that is not a multiplier ends up as MULT 15.
    chip.SetMultiplierCents(0, 1234);
    EXPECT_EQ(chip.ReadRegister(0x120) & 0x0F, 15);
}

TEST_F(DrumModePatchParameters, Operator5OnlyOnBankOneVoices) {
    chip.SetAttack(4, 3);
    EXPECT_EQ(backend.writes.size(), 3u);
    EXPECT_EQ(WrittenRegisters(), (std::set<uint16_t>{0x170, 0x171, 0x172}));
}

TEST_F(PatchParameters, AlgorithmBits) {
    chip.SetAlgorithm(5); // "1 + 2>3>4 + 5 + 6"
    for (int v = 0; v < 6; ++v) {
        uint16_t pair = kChannelOffsetTable[v];
        EXPECT_EQ(chip.ReadRegister(0xC0 + pair) & 1, 1);
        EXPECT_EQ(chip.ReadRegister(0xC3 + pair) & 1, 0);
        EXPECT_EQ(chip.ReadRegister(0xC6 + pair) & 1, 1);
    }
    chip.SetAlgorithm(2);
    EXPECT_EQ(chip.ReadRegister(0xC0) & 1, 0);
    EXPECT_EQ(chip.ReadRegister(0xC3) & 1, 1);
    EXPECT_EQ(chip.ReadRegister(0xC6) & 1, 0);
}

TEST_F(PatchParameters, ChannelSettersStopAtThePartsLimit) {
    chip.ApplyPatch(SustainedPatch(), Ext(3, 1));
    backend.writes.clear();
    chip.SetFeedback1234(5);
    chip.SetFeedback56(7);
    EXPECT_EQ(chip.ReadRegister(0x1C0) & 0x0E, 10);
    EXPECT_EQ(chip.ReadRegister(0x1C2) & 0x0E, 10);
    EXPECT_EQ(chip.ReadRegister(0x0C0) & 0x0E, 0) << "voice 3 is beyond Poly 3";
    EXPECT_EQ(chip.ReadRegister(0x1C6) & 0x0E, 14);
    EXPECT_EQ(chip.ReadRegister(0x1C7) & 0x0E, 0) << "Mono has one voice";
    chip.SetOutput1234Left(false);
    EXPECT_EQ(chip.ReadRegister(0x1C0) & 0x30, 0x20);
    EXPECT_EQ(chip.ReadRegister(0x1C3) & 0x30, 0x20);
    chip.SetTremoloDepth(1);
    chip.SetVibratoDepth(1);
    EXPECT_EQ(chip.ReadRegister(0xBD), 0xC0);
}

TEST_F(PatchParameters, VelocityScalingPerVoice) {
    chip.ApplyPatch(SustainedPatch(), Ext());
    chip.SetVolume(0, 63);
    chip.SetVelocityOffset(0, 1);
    chip.SetVelocityTarget(0, 1);
    pitch.NoteOn(0, 60, 100);
    // f = 101/127: TL = 63 - trunc(63 * 0.795) = 13, on voice 0 only.
    EXPECT_EQ(chip.ReadRegister(0x140) & 0x3F, 13);
    EXPECT_EQ(chip.ReadRegister(0x141) & 0x3F, 0);
    // Attack target at full velocity: the attack never starts.
    chip.SetAttack(1, 12);
    chip.SetVelocityTarget(1, 2);
    pitch.NoteOn(0, 62, 127);
    EXPECT_EQ(chip.ReadRegister(0x60 + OperatorSlotOffset(1, 1)) >> 4, 0);
    // Half velocity keeps half the rate (truncated).
    pitch.NoteOn(0, 64, 64);
    EXPECT_EQ(chip.ReadRegister(0x60 + OperatorSlotOffset(1, 2)) >> 4, 5);
    // A later setter makes the voices identical again.
    chip.SetVelocityTarget(1, 0);
    EXPECT_EQ(chip.ReadRegister(0x60 + OperatorSlotOffset(1, 1)) >> 4, 12);
    EXPECT_EQ(chip.ReadRegister(0x60 + OperatorSlotOffset(1, 2)) >> 4, 12);
}

TEST_F(PatchParameters, DamperHysteresis) {
    chip.SetRelease(0, 12);
    chip.SetRelease(1, 12);
    chip.SetDamper(0, true);
    auto rr = [&](int op) { return chip.ReadRegister(0x80 + OperatorSlotOffset(op, 3)) & 0x0F; };
    chip.DamperUpdate(0, 80);
    EXPECT_EQ(rr(0), 3);
    EXPECT_EQ(rr(1), 12);
    chip.DamperUpdate(0, 60);
    EXPECT_EQ(rr(0), 3) << "inside the band the pedal stays down";
    chip.DamperUpdate(0, 50);
    EXPECT_EQ(rr(0), 12);
    chip.DamperUpdate(0, 71);
    EXPECT_EQ(rr(0), 12) << "and up";
    EXPECT_EQ(chip.ReadRegister(0x80 + OperatorSlotOffset(4, 0)) & 0x0F, 0x0F)
        << "part 5/6 untouched";
}

TEST_F(PatchParameters, ApplyPatchFillsEveryVoice) {
    PatchRecord patch = SustainedPatch();
    for (int op = 0; op < 6; ++op) {
        patch.op[op].reg = {static_cast<uint8_t>(0x20 | op), static_cast<uint8_t>(0x40 | op), 0xA5,
                            static_cast<uint8_t>(0x30 | op), static_cast<uint8_t>(op)};
    }
    patch.channel12 = 0x0B;
    patch.channel34 = 0x01;
    patch.channel56 = 0x07;
    PatchExt ext = Ext(4, 2, 1);
    ext[PatchExt::kOutputs] = 0x06; // R 1-4, L 5/6
    ext[PatchExt::kDepths] = 0x02;
    ext[PatchExt::kDamperBits] = 0x21;
    ext[PatchExt::kVelocityOffset + 3] = 9;
    ext[PatchExt::kVelocityTarget + 2] = 3;
    chip.ApplyPatch(patch, ext);
    for (int v = 0; v < 6; ++v) {
        for (int op = 0; op < 6; ++op) {
            uint16_t slot = OperatorSlotOffset(op, v);
            EXPECT_EQ(chip.ReadRegister(0x20 + slot), 0x20 | op);
            EXPECT_EQ(chip.ReadRegister(0x40 + slot), 0x40 | op);
            EXPECT_EQ(chip.ReadRegister(0x60 + slot), 0xA5);
            EXPECT_EQ(chip.ReadRegister(0x80 + slot), 0x30 | op);
            EXPECT_EQ(chip.ReadRegister(0xE0 + slot), op);
        }
        uint16_t pair = kChannelOffsetTable[v];
        bool inLimit = v < 4;
        // Outputs are set from the extension up to the limits (Poly 4, Poly 2).
        EXPECT_EQ(chip.ReadRegister(0xC0 + pair), inLimit ? 0x2B : 0x0B);
        EXPECT_EQ(chip.ReadRegister(0xC3 + pair), inLimit ? 0x21 : 0x01);
        EXPECT_EQ(chip.ReadRegister(0xC6 + pair), v < 2 ? 0x17 : 0x07);
    }
    EXPECT_EQ(chip.Part(0).GetMode(), 4);
    EXPECT_EQ(chip.Part(1).Limit(), 2);
    EXPECT_EQ(chip.Part(0).GetPriority(), 1);
    EXPECT_EQ(chip.ReadRegister(0xBD), 0x40);
    EXPECT_TRUE(chip.DamperFlag(0));
    EXPECT_TRUE(chip.DamperFlag(5));
    EXPECT_FALSE(chip.DamperFlag(1));
    EXPECT_EQ(chip.VelocityOffset(3), 9);
    EXPECT_EQ(chip.VelocityTarget(2), 3);
    EXPECT_EQ(chip.OperatorLevel(2), 63 - 2);
}

} // namespace
} // namespace vorpline::test
