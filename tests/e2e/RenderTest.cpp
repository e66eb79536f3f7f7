// Under the address sanitizer's instrumentation GCC's flow analysis finds members of <regex>'s
// std::function "maybe uninitialized" that are not; the plain build keeps the warning.
#if defined(__SANITIZE_ADDRESS__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <sstream>
#include <utility>

#include "app/MidiRenderer.h"
#include "files/WaveFileReader.h"
#include "support/AudioAnalysis.h"
#include "support/MidiBytes.h"
#include "support/RunProgram.h"
#include "support/TempDir.h"
#include "support/TestPatches.h"

namespace vorpline::test {
namespace {

using namespace midibytes;
using ::testing::HasSubstr;

// 480 ticks per quarter at 120 bpm: one tick is 1/960 s.
Bytes Song() {
    return File(0, 480,
                {Track({{480, {0x90, 69, 100}},    // A4 at 0.5 s
                        {480, {0x80, 69, 0}},      // off at 1.0 s
                        {0, {0xB0, 64, 127}},      // damper down, ignored by the patch
                        {0, {0x90, 60, 90}},       // C4 at 1.0 s
                        {240, {0xE0, 0x00, 0x50}}, // bend up at 1.25 s
                        {240, {0x90, 60, 0}}})});  // off at 1.5 s (velocity 0)
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

bool Contains(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

TEST(RenderProgram, DefaultPatchRendersNotesWhereTheyAreAndLogsEveryWrite) {
    TempDir dir;
    Save(dir.File("song.mid"), Song());
    auto run = RunProgram(VORPLINE_RENDER_EXE,
                          {dir.File("song.mid"), dir.File("out.wav"), "--reglog", dir.File("log")});
    ASSERT_EQ(run.exitCode, 0) << run.output;

    auto log = Lines(TempDir::Read(dir.File("log")));
    ASSERT_GT(log.size(), 500u);
    const std::regex form("[0-9]+ [0-9A-F]{3} [0-9A-F]{2}");
    for (const auto& line : log) {
        ASSERT_TRUE(std::regex_match(line, form)) << line;
    }
    EXPECT_EQ(log[0], "0 004 00");
    EXPECT_EQ(log[1], "0 104 00");
    for (const char* line : {"0 105 01", "0 104 3F",
                             // A4 (F-number 580 = 0x244, block 4) keys on voice 0 of both parts
                             // at 0.5 s = frame 22050.
                             "22050 1A0 44", "22050 1B0 32", "22050 1A6 44", "22050 1B6 32",
                             // Released at 1.0 s: key-on bit cleared, block and F-number kept.
                             "44100 1B0 12",
                             // C4 (345 = 0x159) takes the first free voice, the same one.
                             "44100 1A0 59", "44100 1B0 31"}) {
        EXPECT_TRUE(Contains(log, line)) << line;
    }
    // The bend retunes C4 at 1.25 s without a key-off.
    EXPECT_TRUE(std::any_of(log.begin(), log.end(),
                            [](const std::string& l) { return l.rfind("55125 1B0 3", 0) == 0; }));

    auto wave = WaveFileReader::Load(dir.File("out.wav"));
    EXPECT_EQ(wave.SampleRate(), 44100u);
    StereoSignal s{wave.Samples(), wave.SampleRate()};
    EXPECT_LE(s.Peak(0.0, 0.499), 8) << "silence before the first note";
    EXPECT_GT(s.Peak(0.5, 0.52), 1000) << "the note sounds";
    EXPECT_LE(s.Peak(0.7, 0.99), 8) << "the default patch dies away within milliseconds";
    EXPECT_GT(s.Peak(1.0, 1.02), 1000);
    EXPECT_GE(s.Frames(), s.FrameAt(1.5));
    EXPECT_LT(s.Frames(), s.FrameAt(1.5 + MidiRenderer::kMaxTailSeconds));

    // Same input, same bytes.
    auto again = RunProgram(VORPLINE_RENDER_EXE, {dir.File("song.mid"), dir.File("again.wav"),
                                                  "--reglog", dir.File("again.log"), "--quiet"});
    ASSERT_EQ(again.exitCode, 0) << again.output;
    EXPECT_EQ(TempDir::Read(dir.File("out.wav")), TempDir::Read(dir.File("again.wav")));
    EXPECT_EQ(TempDir::Read(dir.File("log")), TempDir::Read(dir.File("again.log")));

    // The fast core gets the same writes at the same frames and sounds the same notes, with
    // samples of its own.
    auto fast =
        RunProgram(VORPLINE_RENDER_EXE, {dir.File("song.mid"), dir.File("fast.wav"), "--reglog",
                                         dir.File("fast.log"), "--quiet", "--core", "fast"});
    ASSERT_EQ(fast.exitCode, 0) << fast.output;
    EXPECT_EQ(TempDir::Read(dir.File("log")), TempDir::Read(dir.File("fast.log")));
    EXPECT_NE(TempDir::Read(dir.File("out.wav")), TempDir::Read(dir.File("fast.wav")));
    auto fastWave = WaveFileReader::Load(dir.File("fast.wav"));
    StereoSignal f{fastWave.Samples(), fastWave.SampleRate()};
    EXPECT_LE(f.Peak(0.0, 0.499), 8);
    EXPECT_GT(f.Peak(0.5, 0.52), 1000);
}

TEST(RenderProgram, BadInputIsAClearErrorAndWritesNothing) {
    TempDir dir;
    Bytes song = Song();
    Save(dir.File("song.mid"), song);
    Save(dir.File("cut.mid"), Bytes(song.begin(), song.begin() + 30));
    const struct {
        std::vector<std::string> args;
        int exitCode;
        const char* says;
    } runs[] = {
        {{dir.File("cut.mid"), dir.File("x.wav")}, 1, "cut.mid"},
        {{dir.File("none.mid"), dir.File("x.wav")}, 1, "none.mid"},
        {{dir.File("song.mid"), dir.File("x.wav"), "--rate", "44k"}, 2, "--rate"},
        {{dir.File("song.mid"), dir.File("x.wav"), "--core", "turbo"}, 2, "--core"},
        {{dir.File("song.mid"), "/nonexistent/x.wav"}, 1, "Failed to create wave output file"},
        {{"--help"}, 0, "--reglog"},
    };
    for (const auto& run : runs) {
        SCOPED_TRACE(run.args.back());
        auto result = RunProgram(VORPLINE_RENDER_EXE, run.args);
        EXPECT_EQ(result.exitCode, run.exitCode);
        EXPECT_THAT(result.output, HasSubstr(run.says));
    }
    EXPECT_FALSE(std::filesystem::exists(dir.File("x.wav")));
}

class RenderPitch : public ::testing::TestWithParam<std::pair<uint32_t, EmulatorCore>> {};

TEST_P(RenderPitch, SustainedA4IsFourHundredFortyHertzAtAnyRateOnEitherCore) {
    TempDir dir;
    Save(dir.File("a4.mid"), File(0, 480, {Track({{480, {0x90, 69, 127}}, {960, {0x80, 69, 0}}})}));
    RenderOptions options;
    options.midiPath = dir.File("a4.mid");
    options.wavePath = dir.File("a4.wav");
    options.rate = GetParam().first;
    options.core = GetParam().second;
    options.progress = false;
    MidiRenderer renderer(options);
    auto [patch, ext] = SustainedSine();
    renderer.SetPatch(patch, ext);
    renderer.Run();

    auto wave = WaveFileReader::Load(dir.File("a4.wav"));
    ASSERT_EQ(wave.SampleRate(), GetParam().first);
    StereoSignal s{wave.Samples(), wave.SampleRate()};
    EXPECT_LE(s.Peak(0.0, 0.49), 8);
    EXPECT_GT(s.Peak(0.6, 1.4), 8000);
    EXPECT_NEAR(s.Frequency(0.6, 1.4), 440.0, 1.0);
    // Released at 1.5 s, the release dies well before the end of the file, which stops soon
    // after the sound does.
    double end = static_cast<double>(s.Frames()) / s.rate;
    EXPECT_LE(s.Peak(end - MidiRenderer::kSilenceSeconds / 2, end), 8);
    EXPECT_LT(end, 1.5 + 1.0);
}

INSTANTIATE_TEST_SUITE_P(Rates, RenderPitch,
                         ::testing::Values(std::pair{44100u, EmulatorCore::kAccurate},
                                           std::pair{11025u, EmulatorCore::kAccurate},
                                           std::pair{96000u, EmulatorCore::kAccurate},
                                           std::pair{44100u, EmulatorCore::kFast},
                                           std::pair{11025u, EmulatorCore::kFast}));

TEST(RenderProgram, DspStageShapesTheRender) {
    TempDir dir;
    Save(dir.File("song.mid"), Song());
    auto plain =
        RunProgram(VORPLINE_RENDER_EXE, {dir.File("song.mid"), dir.File("plain.wav"), "--quiet"});
    ASSERT_EQ(plain.exitCode, 0) << plain.output;
    // Enabled, 8 bits crushed, no noise: every sample loses its low byte.
    auto crushed = RunProgram(VORPLINE_RENDER_EXE, {dir.File("song.mid"), dir.File("crushed.wav"),
                                                    "--quiet", "--dsp", "0,1,64,64,8,0,0,64,64"});
    ASSERT_EQ(crushed.exitCode, 0) << crushed.output;
    auto lowBits = [](const WaveFileReader& w) {
        return std::count_if(w.Samples().begin(), w.Samples().end(),
                             [](int16_t s) { return (s & 0xFF) != 0; });
    };
    EXPECT_GT(lowBits(WaveFileReader::Load(dir.File("plain.wav"))), 1000);
    EXPECT_EQ(lowBits(WaveFileReader::Load(dir.File("crushed.wav"))), 0);
    // Disabled settings leave the render bit-identical.
    auto off = RunProgram(VORPLINE_RENDER_EXE, {dir.File("song.mid"), dir.File("off.wav"),
                                                "--quiet", "--dsp", "0,0,127,127,8,2,3,10,120"});
    ASSERT_EQ(off.exitCode, 0) << off.output;
    EXPECT_EQ(TempDir::Read(dir.File("off.wav")), TempDir::Read(dir.File("plain.wav")));
    auto bad = RunProgram(VORPLINE_RENDER_EXE,
                          {dir.File("song.mid"), dir.File("bad.wav"), "--dsp", "1,2,3,4,5,6,7,8"});
    EXPECT_EQ(bad.exitCode, 2);
}

} // namespace
} // namespace vorpline::test
