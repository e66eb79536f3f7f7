#include <gtest/gtest.h>

#include <fstream>
#include <map>

#include "engine/RegisterMap.h"
#include "presets/ExtLayout.h"
#include "presets/TSbi.h"
#include "support/MidiBytes.h"
#include "support/RegisterLogFile.h"
#include "support/RunProgram.h"
#include "support/TempDir.h"
#include "support/TestPatches.h"

namespace vorpline::test {
namespace {

using namespace midibytes;
using Registers = std::map<unsigned, unsigned>;

// A song's controllers reach the patch through the control-change map in a render as they do
// on stage: only with the map, only on operators ticked "CC", only on the numbers it assigns.
class CcRender : public ::testing::Test {
protected:
    CcRender() {
        auto [patch, ext] = SustainedSine();
        ext[ext::kCcBits] = 0x3F;
        EXPECT_TRUE(TSbi(dir.path).Write("6op", "Ticked", patch, ext));
        ext[ext::kCcBits] = 0;
        EXPECT_TRUE(TSbi(dir.path).Write("6op", "Unticked", patch, ext));
        std::ofstream(dir.File("volume30.txt"), std::ios::binary) << "Operator Volume=30\r\n";
        std::ofstream(dir.File("cc.ini")) << "[VORPLINE]\nIOType=8\nIOPort=Out\nOptions=2\n";
    }

    Registers Render(const std::string& preset, uint8_t controller, uint8_t value,
                     std::vector<std::string> extra) {
        Save(dir.File("song.mid"), File(0, 480,
                                        {Track({{0, {0x90, 60, 100}},
                                                {240, {0xB0, controller, value}},
                                                {240, {0x80, 60, 0}}})}));
        std::vector<std::string> args = {dir.File("song.mid"),
                                         dir.File("out.wav"),
                                         "--quiet",
                                         "--reglog",
                                         dir.File("log"),
                                         "--preset",
                                         (dir.path / "6op" / (preset + ".sbi")).string()};
        args.insert(args.end(), extra.begin(), extra.end());
        auto run = RunProgram(VORPLINE_RENDER_EXE, args);
        EXPECT_EQ(run.exitCode, 0) << run.output;
        return FinalRegisters(TempDir::Read(dir.File("log")));
    }

    TempDir dir;
};

TEST_F(CcRender, ControllersChangeRegistersThroughTheMap) {
    const uint16_t carrier = kRegLevel + OperatorSlotOffset(3, 0);
    const uint16_t algorithm = kRegFeedbackConnection + VoiceChannelOffset(0, 0);
    const struct {
        const char* why;
        const char* preset;
        uint8_t controller;
        uint8_t value;
        std::vector<std::string> options;
        uint16_t reg; // the register that must differ from a render without the controller
        bool changes;
    } cases[] = {
        {"no map: only the damper has a controller", "Ticked", 77, 0, {}, carrier, false},
        {"77 drives Operator Volume", "Ticked", 77, 0, {"--cc", "Default"}, carrier, true},
        {"operators not ticked CC stay", "Unticked", 77, 0, {"--cc", "Default"}, carrier, false},
        {"17 drives Operator Algorithm", "Ticked", 17, 0x70, {"--cc", "Default"}, algorithm, true},
        {"the map's file moves the volume to 30",
         "Ticked",
         30,
         0,
         {"--cc", dir.File("volume30.txt")},
         carrier,
         true},
        {"77 is then only Auxiliary 7, which acts on nothing",
         "Ticked",
         77,
         0,
         {"--cc", dir.File("volume30.txt")},
         carrier,
         false},
        {"the configuration's CC option brings the map",
         "Ticked",
         77,
         0,
         {"--ini", dir.File("cc.ini")},
         carrier,
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        // Controller 3 is undefined in every map here: the render without a change.
        const Registers before = Render(c.preset, 3, c.value, c.options);
        const Registers after = Render(c.preset, c.controller, c.value, c.options);
        ASSERT_TRUE(before.count(c.reg) && after.count(c.reg));
        EXPECT_EQ(before.at(c.reg) != after.at(c.reg), c.changes)
            << std::hex << before.at(c.reg) << " -> " << after.at(c.reg);
    }
}

TEST_F(CcRender, AMissingControlChangePresetStopsTheRenderBeforeAnyOutput) {
    auto run = RunProgram(VORPLINE_RENDER_EXE, {dir.File("song.mid"), dir.File("none.wav"),
                                                "--quiet", "--cc", "No Such Map"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.output.find("control change preset \"No Such Map\""), std::string::npos)
        << run.output;
    EXPECT_FALSE(std::filesystem::exists(dir.File("none.wav")));
}

} // namespace
} // namespace vorpline::test
