// The whole program playing live: started from a configuration file (no dialog) with the WAVE
// output on a JACK server's dummy backend, it opens a JACK MIDI input by name, a sequencer
// client plays notes into it, and a recorder client records what the program sends out.
// The test runs its own server under its own name and stops everything by process id.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "files/WaveFileReader.h"
#include "presets/TSbi.h"
#include "support/AudioAnalysis.h"
#include "support/JackServer.h"
#include "support/TempDir.h"
#include "support/TestPatches.h"

namespace vorpline::test {
namespace {

class LiveJack : public ::testing::Test {
protected:
    void SetUp() override {
        if (auto missing = JackServer::Missing({"jack_midiseq", "jack_rec"})) {
            GTEST_SKIP() << "needs " << *missing << " (Debian package jackd2)";
        }
    }
    void TearDown() override {
        std::error_code ignored;
        for (const auto& file : cleanup) {
            std::filesystem::remove(file, ignored);
        }
    }

    std::vector<std::filesystem::path> cleanup;
};

TEST_F(LiveJack, NotesFromAMidiClientSoundAtTheirPitch) {
    JackServer server("live");
    ASSERT_TRUE(server.Up()) << "the JACK server did not come up";
    // Two-second loop: silence for one second, then A4 for half a second.
    Child sequencer({JackServer::Tool("jack_midiseq"), "Seq", "96000", "48000", "69", "24000"});
    ASSERT_TRUE(server.WaitForPort("Seq:out"));

    // The program's configuration and a sustained sine preset, beside the program.
    std::filesystem::path programFolder = std::filesystem::path(VORPLINE_GUI_EXE).parent_path();
    std::string name = "live-" + std::to_string(getpid());
    std::string preset = "Test Sine " + std::to_string(getpid());
    TSbi bank(programFolder / "vpx");
    auto [patch, ext] = SustainedSine();
    ASSERT_TRUE(bank.Write("6op", preset, patch, ext));
    cleanup.push_back(programFolder / "vpx" / "6op" / (preset + ".sbi"));
    std::filesystem::path ini = programFolder / (name + ".INI");
    cleanup.push_back(ini);
    std::ofstream(ini) << "[VORPLINE]\nIOType=8\nIOPort=system\nIOSRate=48000\nIOBSize=512\n"
                          "IORSize=4\nOptions=0\n[SYSTEM]\nMidi Device=Seq:out\nBank=2\n"
                          "Main Preset="
                       << preset << "\n";

    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    Child program({VORPLINE_GUI_EXE, name});
    unsetenv("QT_QPA_PLATFORM");
    ASSERT_TRUE(server.WaitForPort("Vorpline:outport 1")) << "the program's audio ports";
    std::this_thread::sleep_for(1s); // the input opens 750 ms after start-up

    TempDir dir;
    auto record =
        RunProgram(JackServer::Tool("jack_rec"), {"-f", dir.File("live.wav"), "-d", "4", "-b", "16",
                                                  "Vorpline:outport 0", "Vorpline:outport 1"});
    ASSERT_EQ(record.exitCode, 0) << record.output;
    // SIGTERM (a logout, `kill`) ends the program as its window's close would: it saves its
    // configuration, which the file above lacked a key of.
    program.Stop(SIGTERM);
    EXPECT_NE(TempDir::Read(ini.string()).find("Emulator=Accurate"), std::string::npos);

    auto wave = WaveFileReader::Load(dir.File("live.wav"));
    StereoSignal s{wave.Samples(), wave.SampleRate()};
    ASSERT_GE(s.Frames(), s.FrameAt(3.5));
    const double onset = s.Onset(0.4, 3.2);
    ASSERT_GE(onset, 0) << "no note after silence in the recording";
    EXPECT_NEAR(s.Frequency(onset + 0.05, onset + 0.45), 440.0, 1.0);
}

} // namespace
} // namespace vorpline::test
