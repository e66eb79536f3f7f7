#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "files/WaveFileReader.h"
#include "presets/TSbi.h"
#include "support/AudioAnalysis.h"
#include "support/MidiBytes.h"
#include "support/RunProgram.h"
#include "support/TempDir.h"
#include "support/TestPatches.h"

namespace vorpline::test {
namespace {

using namespace midibytes;

uint32_t U32(const std::string& b, size_t at) {
    uint32_t v = 0;
    for (size_t i = 0; i < 4; ++i) {
        v |= static_cast<uint32_t>(static_cast<uint8_t>(b[at + i])) << (8 * i);
    }
    return v;
}

// Where the last 5 ms window with a clear sound ends, in seconds.
double SoundEnd(const StereoSignal& sound) {
    double end = 0;
    const double length = static_cast<double>(sound.samples.size() / 2) / sound.rate;
    for (double t = 0; t + 0.005 <= length; t += 0.005) {
        if (sound.Peak(t, t + 0.005) > 1000) {
            end = t + 0.005;
        }
    }
    return end;
}

// The VGM recording of a held A, played back by an independent player, is the same A for as
// long as the song: the file holds every write the chip got, at the time it got it.
TEST(VgmRender, AnOutsidePlayerPlaysTheRecordedA) {
    if (std::system("command -v adplay >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "adplay (the independent VGM player) is not installed";
    }
    TempDir dir;
    auto [patch, ext] = SustainedSine();
    ASSERT_TRUE(TSbi(dir.path).Write("6op", "Sine", patch, ext));
    Save(dir.File("a4.mid"), File(0, 480, {Track({{0, {0x90, 69, 127}}, {960, {0x80, 69, 0}}})}));
    auto render = [&](const std::string& wave, const std::string& vgm) {
        return RunProgram(VORPLINE_RENDER_EXE,
                          {dir.File("a4.mid"), wave, "--vgm", vgm, "--quiet", "--preset",
                           (dir.path / "6op" / "Sine.sbi").string()});
    };
    auto run = render(dir.File("out.wav"), dir.File("out.vgm"));
    ASSERT_EQ(run.exitCode, 0) << run.output;
    const std::string vgm = TempDir::Read(dir.File("out.vgm"));
    ASSERT_GT(vgm.size(), 0x80u);
    EXPECT_EQ(U32(vgm, 0x04), vgm.size() - 4);
    const uint32_t samples = U32(vgm, 0x18);
    // The recording lasts as long as the wave file (up to the resampler's last frame): the
    // one-second song and its release.
    EXPECT_NEAR(samples, WaveFileReader::Load(dir.File("out.wav")).FrameCount(), 2);
    EXPECT_GE(samples, 44100u);
    EXPECT_LE(samples, 44100u * 13 / 10);

    // "-" for the wave file: the same recording alone.
    run = render("-", dir.File("only.vgm"));
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(TempDir::Read(dir.File("only.vgm")), vgm);
    run = RunProgram(VORPLINE_RENDER_EXE, {dir.File("a4.mid"), "-"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.output.find("only with --vgm"), std::string::npos) << run.output;

    run = RunProgram("timeout",
                     {"60", "adplay", "-e", "nuked", "-O", "disk", "-d", dir.File("played.wav"),
                      "--stereo", "-f", "44100", "-o", dir.File("out.vgm")});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    const WaveFileReader played = WaveFileReader::Load(dir.File("played.wav"));
    const StereoSignal sound{played.Samples(), played.SampleRate()};
    EXPECT_NEAR(sound.Frequency(0.2, 0.9), 440.0, 1.0);
    EXPECT_GT(sound.Peak(0.2, 0.9), 4000);
    // The A stops where the song releases it, in the player's rendering as in ours. That
    // player steps through a long wait in rounded blocks of its own and ends it up to a tenth
    // early (a second as one 0x61 wait plays as 0.92 s, as sixty 0x62 waits as 1.01 s).
    const WaveFileReader ours = WaveFileReader::Load(dir.File("out.wav"));
    const double end = SoundEnd({ours.Samples(), ours.SampleRate()});
    EXPECT_NEAR(end, 1.04, 0.03);
    EXPECT_NEAR(SoundEnd(sound), end, 0.1 * end);
}

} // namespace
} // namespace vorpline::test
