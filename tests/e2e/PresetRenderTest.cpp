#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>

#include "engine/RegisterMap.h"
#include "presets/TSbi.h"
#include "support/MidiBytes.h"
#include "support/RegisterLogFile.h"
#include "support/RunProgram.h"
#include "support/TempDir.h"

namespace vorpline::test {
namespace {

using namespace midibytes;
using ::testing::HasSubstr;

class PresetRender : public ::testing::Test {
protected:
    PresetRender() {
        Save(dir.File("song.mid"),
             File(0, 480, {Track({{0, {0x90, 60, 100}}, {480, {0x80, 60, 0}}})}));
    }
    ProgramResult Render(std::vector<std::string> extra) {
        std::vector<std::string> args = {dir.File("song.mid"), dir.File("out.wav"), "--quiet",
                                         "--reglog", dir.File("log")};
        args.insert(args.end(), extra.begin(), extra.end());
        return RunProgram(VORPLINE_RENDER_EXE, args);
    }
    TempDir dir;
};

TEST_F(PresetRender, ASavedSixOperatorPresetReachesEveryVoiceOfBothParts) {
    PatchRecord patch;
    for (size_t op = 0; op < 6; ++op) {
        // Attack/decay and sustain/release unlike any default, one per operator.
        patch.op[op].reg = {0x21, 0x00, static_cast<uint8_t>(0xE1 + op),
                            static_cast<uint8_t>(0x31 + op), static_cast<uint8_t>(op)};
    }
    patch.channel12 = 0x31;
    patch.channel34 = 0x30;
    patch.channel56 = 0x3D;
    PatchExt ext;
    ext[PatchExt::kOutputs] = 0x0F;
    ext[PatchExt::kMode1234] = ext[PatchExt::kMode56] = 6;
    ext[PatchExt::kPriority1234] = ext[PatchExt::kPriority56] = 2;
    TSbi sbi(dir.path);
    ASSERT_TRUE(sbi.Write("6op", "Probe", patch, ext));

    auto run = Render({"--preset", (dir.path / "6op" / "Probe.sbi").string()});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    auto regs = FinalRegisters(TempDir::Read(dir.File("log")));
    for (int voice = 0; voice < kMaxVoices; ++voice) {
        for (unsigned op = 0; op < 6; ++op) {
            SCOPED_TRACE("voice " + std::to_string(voice) + " operator " + std::to_string(op));
            const uint16_t slot = OperatorSlotOffset(static_cast<int>(op), voice);
            EXPECT_EQ(regs[kRegAttackDecay + slot], 0xE1u + op);
            EXPECT_EQ(regs[kRegSustainRelease + slot], 0x31u + op);
            EXPECT_EQ(regs[kRegWaveform + slot], op);
        }
        EXPECT_EQ(regs[kRegFeedbackConnection + VoiceChannelOffset(0, voice)], 0x31u);
        EXPECT_EQ(regs[kRegFeedbackConnection + VoiceChannelOffset(1, voice)], 0x3Du);
    }
}

TEST_F(PresetRender, PresetStepControllersLoadTheNextPresetAsOnStage) {
    // The starter bank "4op" beside the program holds "Bell" and "Organ": a step either way
    // from Bell lands on Organ.
    auto organ = Render({"--bank", "4op", "--preset", "Organ"});
    ASSERT_EQ(organ.exitCode, 0) << organ.output;
    const auto expected = FinalRegisters(TempDir::Read(dir.File("log")));
    for (uint8_t controller : {96, 97}) {
        SCOPED_TRACE("controller " + std::to_string(controller));
        Save(dir.File("song.mid"), File(0, 480,
                                        {Track({{0, {0xB0, controller, 127}},
                                                {0, {0x90, 60, 100}},
                                                {480, {0x80, 60, 0}}})}));
        auto stepped = Render({"--bank", "4op", "--preset", "Bell"});
        ASSERT_EQ(stepped.exitCode, 0) << stepped.output;
        EXPECT_EQ(FinalRegisters(TempDir::Read(dir.File("log"))), expected);
    }
}

TEST_F(PresetRender, PresetsThatDoNotLoadAreNamedAndStopTheRender) {
    auto missing = Render({"--bank", "4op", "--preset", "No Such Preset"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_THAT(missing.output, HasSubstr("\"No Such Preset\""));
    EXPECT_FALSE(std::filesystem::exists(dir.File("out.wav"))) << "checked before any output";

    Save(dir.File("broken.sbi"), Bytes(53, 0));
    auto broken = Render({"--preset", dir.File("broken.sbi")});
    EXPECT_EQ(broken.exitCode, 1);
    EXPECT_THAT(broken.output, HasSubstr("broken.sbi"));

    auto bank = Render({"--bank", "8op", "--preset", "x"});
    EXPECT_EQ(bank.exitCode, 2);
    EXPECT_THAT(bank.output, HasSubstr("--bank"));
}

} // namespace
} // namespace vorpline::test
