#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>

#include "files/WaveFileReader.h"
#include "support/MidiBytes.h"
#include "support/RunProgram.h"
#include "support/TempDir.h"

namespace vorpline::test {
namespace {

using namespace midibytes;

// The tool windows a configuration file switches on play in a render with their stored
// settings, as they would live.
TEST(RenderIni, TheConfigurationBringsItsToolWindowsAndTheirSettings) {
    TempDir dir;
    Save(dir.File("song.mid"), File(0, 480, {Track({{0, {0x90, 69, 127}}, {480, {0x80, 69, 0}}})}));
    const struct {
        const char* ini;
        bool audible;
    } cases[] = {
        // No DSP window: the note sounds.
        {"[VORPLINE]\nIOType=8\nIOPort=Out\nOptions=0\n[OUT]\nDSP=0,1,64,0,0,0,0,64,64\n", true},
        // The DSP window with its output gain at 0 stored for this output: silence.
        {"[VORPLINE]\nIOType=8\nIOPort=Out\nOptions=256\n[OUT]\nDSP=0,1,64,0,0,0,0,64,64\n", false},
        // Stored for another output only: the window starts at its defaults, disabled.
        {"[VORPLINE]\nIOType=8\nIOPort=Out\nOptions=256\n[ELSE]\nDSP=0,1,64,0,0,0,0,64,64\n", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ini);
        std::ofstream(dir.File("c.ini")) << c.ini;
        auto run = RunProgram(VORPLINE_RENDER_EXE, {dir.File("song.mid"), dir.File("out.wav"),
                                                    "--quiet", "--ini", dir.File("c.ini")});
        ASSERT_EQ(run.exitCode, 0) << run.output;
        const WaveFileReader wave = WaveFileReader::Load(dir.File("out.wav"));
        int peak = 0;
        for (int16_t s : wave.Samples()) {
            peak = std::max(peak, std::abs(static_cast<int>(s)));
        }
        EXPECT_EQ(peak > 1000, c.audible) << "peak " << peak;
    }
}

} // namespace
} // namespace vorpline::test
