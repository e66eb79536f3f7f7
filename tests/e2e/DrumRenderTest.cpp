#include <gtest/gtest.h>

#include "support/MidiBytes.h"
#include "support/RegisterLogFile.h"
#include "support/RunProgram.h"
#include "support/TempDir.h"

namespace vorpline::test {
namespace {

using namespace midibytes;

// With a drum kit the chip runs in rhythm mode and the kit's notes on its channel strike its
// drums: the default kit's bass drum on note 36 and snare on 38, channel 10.
TEST(DrumRender, TheKitsNotesStrikeItsDrumsInRhythmMode) {
    TempDir dir;
    Save(dir.File("song.mid"), File(0, 480,
                                    {Track({{0, {0x99, 36, 100}},
                                            {240, {0x99, 38, 100}},
                                            {240, {0x89, 38, 0}},
                                            {0, {0x90, 60, 100}},
                                            {480, {0x80, 60, 0}}})}));
    auto run =
        RunProgram(VORPLINE_RENDER_EXE, {dir.File("song.mid"), dir.File("out.wav"), "--quiet",
                                         "--reglog", dir.File("log"), "--kit", "Default"});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    unsigned struck = 0;
    bool rhythmModeAlways = true;
    bool pitched = false;
    for (const LoggedWrite& w : RegisterWrites(TempDir::Read(dir.File("log")))) {
        if (w.reg == 0xBD && w.frame > 0) {
            struck |= w.value & 0x1F;
            rhythmModeAlways = rhythmModeAlways && (w.value & 0x20) != 0;
        }
        pitched = pitched || (w.reg == 0xB6 && w.frame == 0 && w.value != 0);
    }
    EXPECT_EQ(struck, 0x10u | 0x08u) << "bass drum and snare, nothing else";
    EXPECT_TRUE(rhythmModeAlways);
    EXPECT_TRUE(pitched) << "the bass drum's channel gets its pitch before the strike";
}

} // namespace
} // namespace vorpline::test
