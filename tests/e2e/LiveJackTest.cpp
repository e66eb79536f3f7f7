// The whole program playing live: started from a configuration file (no dialog) with the WAVE
// output on a JACK server's dummy backend, it opens a JACK MIDI input by name, a sequencer
// client plays notes into it, and a recorder client records what the program sends out.
// The test runs its own server under its own name and stops everything by process id.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "files/WaveFileReader.h"
#include "presets/TSbi.h"
#include "support/AudioAnalysis.h"
#include "support/ChildProcess.h"
#include "support/RunProgram.h"
#include "support/TempDir.h"
#include "support/TestPatches.h"

namespace vorpline::test {
namespace {

constexpr auto kPatience = 30s;

class LiveJack : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* program : {"jackd", "jack_midiseq", "jack_rec", "jack_lsp"}) {
            auto found = FindProgram(program);
            if (!found) {
                GTEST_SKIP() << "needs " << program << " (Debian package jackd2)";
            }
            tools[program] = *found;
        }
        server = "vorpline-live-" + std::to_string(getpid());
        setenv("JACK_DEFAULT_SERVER", server.c_str(), 1);
        setenv("JACK_NO_START_SERVER", "1", 1);
    }
    void TearDown() override {
        std::error_code ignored;
        for (const auto& file : cleanup) {
            std::filesystem::remove(file, ignored);
        }
        unsetenv("JACK_DEFAULT_SERVER");
        unsetenv("JACK_NO_START_SERVER");
    }

    // Waits until jack_lsp lists a port whose name contains `fragment`.
    bool WaitForPort(const std::string& fragment) {
        auto deadline = std::chrono::steady_clock::now() + kPatience;
        while (std::chrono::steady_clock::now() < deadline) {
            auto ports = RunProgram(tools["jack_lsp"], {});
            if (ports.exitCode == 0 && ports.output.find(fragment) != std::string::npos) {
                return true;
            }
            std::this_thread::sleep_for(100ms);
        }
        return false;
    }

    std::map<std::string, std::string> tools;
    std::string server;
    std::vector<std::filesystem::path> cleanup;
};

TEST_F(LiveJack, NotesFromAMidiClientSoundAtTheirPitch) {
    Child jackd(
        {tools["jackd"], "-n", server, "--no-realtime", "-d", "dummy", "-r", "48000", "-p", "512"});
    ASSERT_TRUE(WaitForPort("system:playback_1")) << "the JACK server did not come up";
    // Two-second loop: silence for one second, then A4 for half a second.
    Child sequencer({tools["jack_midiseq"], "Seq", "96000", "48000", "69", "24000"});
    ASSERT_TRUE(WaitForPort("Seq:out"));

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
    ASSERT_TRUE(WaitForPort("Vorpline:outport 1")) << "the program's audio ports";
    std::this_thread::sleep_for(1s); // the input opens 750 ms after start-up

    TempDir dir;
    auto record = RunProgram(tools["jack_rec"], {"-f", dir.File("live.wav"), "-d", "4", "-b", "16",
                                                 "Vorpline:outport 0", "Vorpline:outport 1"});
    ASSERT_EQ(record.exitCode, 0) << record.output;
    program.Stop(SIGTERM);

    auto wave = WaveFileReader::Load(dir.File("live.wav"));
    StereoSignal s{wave.Samples(), wave.SampleRate()};
    ASSERT_GE(s.Frames(), s.FrameAt(3.5));
    // Find a note's start: a stretch of silence followed by sound.
    const double step = 0.01;
    double onset = -1;
    for (double t = 0.4; t < 3.2; t += step) {
        if (s.Peak(t - 0.35, t) <= 8 && s.Peak(t, t + step) > 1000) {
            onset = t;
            break;
        }
    }
    ASSERT_GE(onset, 0) << "no note after silence in the recording";
    EXPECT_NEAR(s.Frequency(onset + 0.05, onset + 0.45), 440.0, 1.0);
}

} // namespace
} // namespace vorpline::test
