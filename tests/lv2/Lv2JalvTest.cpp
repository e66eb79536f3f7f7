// The bundle in a real host: jalv on a JACK server of the test's own, notes from jack_midiseq,
// the plugin's outputs recorded by jack_rec.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "files/WaveFileReader.h"
#include "lv2/PluginUris.h"
#include "support/AudioAnalysis.h"
#include "support/JackServer.h"
#include "support/TempDir.h"

namespace vorpline::test {
namespace {

TEST(Lv2Jalv, NotesFromJackSoundAtTheirPitchWithSilenceBetween) {
    if (auto missing = JackServer::Missing({"jalv", "jack_midiseq", "jack_rec", "jack_connect"})) {
        GTEST_SKIP() << "needs " << *missing << " (Debian packages jalv, jackd2)";
    }
    JackServer server("lv2");
    ASSERT_TRUE(server.Up()) << "the JACK server did not come up";
    // Two-second loop: silence for one second, then A4 for half a second.
    Child sequencer({JackServer::Tool("jack_midiseq"), "Seq", "96000", "48000", "69", "24000"});
    ASSERT_TRUE(server.WaitForPort("Seq:out"));

    // The host finds the bundle in the build tree. Operators 4 and 6 alone, held at their peak:
    // a pure tone.
    const std::string client = "VorplineLv2-" + std::to_string(getpid());
    ScopedEnv path("LV2_PATH",
                   std::filesystem::path(VORPLINE_LV2_BUNDLE).parent_path().parent_path());
    // jalv ends at the end of its standard input: it reads a pipe this test holds open.
    TempDir dir;
    const std::string console = dir.File("console");
    ASSERT_EQ(mkfifo(console.c_str(), 0600), 0);
    const int keepOpen = open(console.c_str(), O_RDWR);
    ASSERT_GE(keepOpen, 0);
    Child host({"/bin/sh",
                "-c",
                "exec \"$0\" \"$@\" < " + console,
                JackServer::Tool("jalv"),
                "-x",
                "-n",
                client,
                "-c",
                "op1_volume=0",
                "-c",
                "op2_volume=0",
                "-c",
                "op3_volume=0",
                "-c",
                "op5_volume=0",
                "-c",
                "op4_decay=0",
                "-c",
                "op4_hold=1",
                "-c",
                "op6_decay=0",
                "-c",
                "op6_hold=1",
                lv2::kPluginUri});
    ASSERT_TRUE(server.WaitForPort(client + ":out_r")) << "jalv's ports";
    ASSERT_EQ(
        RunProgram(JackServer::Tool("jack_connect"), {"Seq:out", client + ":midi_in"}).exitCode, 0);

    auto record =
        RunProgram(JackServer::Tool("jack_rec"), {"-f", dir.File("lv2.wav"), "-d", "5", "-b", "16",
                                                  client + ":out_l", client + ":out_r"});
    ASSERT_EQ(record.exitCode, 0) << record.output;
    host.Stop(SIGTERM);
    close(keepOpen);

    auto wave = WaveFileReader::Load(dir.File("lv2.wav"));
    StereoSignal s{wave.Samples(), wave.SampleRate()};
    // The loop's phase against the recording depends on how fast the host came up, so the first
    // onset may lie anywhere in a two-second window; the recording is long enough for the next
    // note after it.
    const double onset = s.Onset(0.4, 2.4);
    ASSERT_GE(onset, 0) << "no note after silence in the recording";
    ASSERT_GE(s.Frames(), s.FrameAt(onset + 2.4));
    EXPECT_NEAR(s.Frequency(onset + 0.05, onset + 0.45), 440.0, 1.0);
    // Released after half a second; silent until the next note 1.5 s later.
    EXPECT_LE(s.Peak(onset + 0.6, onset + 1.45), 8);
    EXPECT_GT(s.Peak(onset + 2.0, onset + 2.4), 1000);
}

} // namespace
} // namespace vorpline::test
