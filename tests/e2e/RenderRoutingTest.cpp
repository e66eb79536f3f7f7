#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "support/MidiBytes.h"
#include "support/RunProgram.h"
#include "support/TempDir.h"

namespace vorpline::test {
namespace {

using namespace midibytes;
using ::testing::HasSubstr;
using ::testing::Not;

// The register log's lines written at one output frame, e.g. "22050 1B0 32".
std::vector<std::string> LinesAt(const std::string& log, const std::string& frame) {
    std::vector<std::string> lines;
    std::istringstream in(log);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind(frame + " ", 0) == 0) {
            lines.push_back(line);
        }
    }
    return lines;
}

class RenderRouting : public ::testing::Test {
protected:
    // Renders a one-track song (480 ticks per quarter at 120 bpm: 480 ticks = 0.5 s = frame
    // 22050) and returns its register log.
    std::string Render(std::initializer_list<std::pair<uint32_t, Bytes>> events,
                       std::vector<std::string> extra = {}) {
        Save(dir.File("song.mid"), File(0, 480, {Track(events)}));
        std::vector<std::string> args = {dir.File("song.mid"), dir.File("out.wav"), "--reglog",
                                         dir.File("log"), "--quiet"};
        args.insert(args.end(), extra.begin(), extra.end());
        auto run = RunProgram(VORPLINE_RENDER_EXE, args);
        EXPECT_EQ(run.exitCode, 0) << run.output;
        return TempDir::Read(dir.File("log"));
    }

    TempDir dir;
};

TEST_F(RenderRouting, SongEventsGoThroughTheHub) {
    // Coarse tuning up a semitone makes A4 sound as B flat 4 does untuned.
    std::string bFlat = Render({{480, {0x90, 70, 100}}, {480, {0x80, 70, 0}}});
    std::string tuned = Render(
        {{0, {0xB0, 100, 2}}, {0, {0xB0, 6, 65}}, {480, {0x90, 69, 100}}, {480, {0x80, 69, 0}}});
    EXPECT_FALSE(LinesAt(bFlat, "22050").empty());
    EXPECT_EQ(LinesAt(tuned, "22050"), LinesAt(bFlat, "22050"));

    // Both parts listen to channel 1 only.
    std::string other = Render({{480, {0x91, 69, 100}}, {480, {0x81, 69, 0}}});
    EXPECT_TRUE(LinesAt(other, "22050").empty());
}

TEST_F(RenderRouting, ConfigurationFileSwitchesTheDrumKitOn) {
    std::ofstream(dir.File("synth.ini")) << "[VORPLINE]\nOptions=128\nIOType=8\nIOPort=Fake Out\n"
                                            "[FAKE-OUT]\nBank=1\nMain Preset=Default\n";
    std::string log =
        Render({{480, {0x90, 69, 100}}, {480, {0x80, 69, 0}}}, {"--ini", dir.File("synth.ini")});
    EXPECT_THAT(log, HasSubstr("\n0 0BD 20\n")) << "rhythm mode";
    EXPECT_THAT(Render({{480, {0x90, 69, 100}}}), Not(HasSubstr("0BD 20")));

    auto missing = RunProgram(VORPLINE_RENDER_EXE, {dir.File("song.mid"), dir.File("x.wav"),
                                                    "--ini", dir.File("none.ini")});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_THAT(missing.output, HasSubstr("none.ini"));
}

} // namespace
} // namespace vorpline::test
