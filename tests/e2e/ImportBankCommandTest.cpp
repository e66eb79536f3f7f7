#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "engine/RegisterMap.h"
#include "support/MidiBytes.h"
#include "support/RegisterLogFile.h"
#include "support/RunProgram.h"
#include "support/TempDir.h"

namespace vorpline::test {
namespace {

using namespace midibytes;
using ::testing::HasSubstr;

// A bank imported on the command line plays its first instrument's envelopes and waveforms on
// the chip exactly as the bank file holds them.
TEST(ImportBankCommand, ImportedInstrumentsReachTheChip) {
    struct Case {
        const char* bank;
        const char* preset;
        int firstOp;
        int pairs;
    };
    const Case cases[] = {{"std.sb", "2op/AcouGrandPiano", 4, 1},
                          {"std.o3", "4op/Acoustic Grand", 0, 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bank);
        const std::string file = std::string("/usr/share/sounds/opl3/") + c.bank;
        const std::string bytes = TempDir::Read(file);
        if (bytes.empty()) {
            GTEST_SKIP() << "needs " << file << " (Debian package alsa-tools)";
        }
        TempDir dir;
        const auto import =
            RunProgram(VORPLINE_GUI_EXE, {"--import-bank", file, "--root", dir.File("vpx")});
        ASSERT_EQ(import.exitCode, 0) << import.output;
        EXPECT_THAT(import.output, HasSubstr("Imported 128 presets"));

        Save(dir.File("song.mid"),
             File(0, 480, {Track({{0, {0x90, 60, 100}}, {480, {0x80, 60, 0}}})}));
        const auto render =
            RunProgram(VORPLINE_RENDER_EXE, {dir.File("song.mid"), dir.File("out.wav"), "--quiet",
                                             "--reglog", dir.File("log"), "--preset",
                                             dir.File("vpx/" + std::string(c.preset) + ".sbi")});
        ASSERT_EQ(render.exitCode, 0) << render.output;
        auto regs = FinalRegisters(TempDir::Read(dir.File("log")));
        for (int pair = 0; pair < c.pairs; ++pair) {
            for (int side = 0; side < 2; ++side) {
                const auto at = static_cast<size_t>(36 + 11 * pair + side);
                const uint16_t slot = OperatorSlotOffset(c.firstOp + 2 * pair + side, 0);
                EXPECT_EQ(regs[kRegAttackDecay + slot], static_cast<uint8_t>(bytes[at + 4]));
                EXPECT_EQ(regs[kRegSustainRelease + slot], static_cast<uint8_t>(bytes[at + 6]));
                EXPECT_EQ(regs[kRegWaveform + slot], static_cast<uint8_t>(bytes[at + 8]) & 7u);
            }
        }
    }
}

} // namespace
} // namespace vorpline::test
