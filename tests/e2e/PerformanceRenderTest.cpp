#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <unistd.h>

#include "presets/PerformanceRecord.h"
#include "support/MidiBytes.h"
#include "support/RegisterLogFile.h"
#include "support/RunProgram.h"
#include "support/TempDir.h"

namespace vorpline::test {
namespace {

using namespace midibytes;

// A performance renders with the whole instrument as it sets it: here the starter "Organ" of
// the 4-op bank, and a sequence (put beside the program for the test) that echoes every key an
// octave up one beat later, at the performance's tempo of 90 BPM (a 28 ms tick).
TEST(PerformanceRender, ThePerformanceSetsPresetSequenceAndTempo) {
    TempDir dir;
    const std::filesystem::path tree =
        std::filesystem::path(VORPLINE_RENDER_EXE).parent_path() / "vpx";
    const std::string sequence = "Echo " + std::to_string(getpid());
    std::filesystem::create_directories(tree / "sequence");
    const std::filesystem::path seqFile = tree / "sequence" / (sequence + ".seq");
    std::vector<uint8_t> steps(144, 0xFF);
    const std::vector<uint8_t> step = {0, 12, 1, 0xFF, 24, 0, 0, 0, 12, 0, 0, 0};
    std::copy(step.begin(), step.end(), steps.begin());
    for (size_t i = 1; i < 12; ++i) {
        steps[12 * i] = 0;
        steps[12 * i + 2] = 0;
    }
    std::ofstream(seqFile, std::ios::binary)
        .write(reinterpret_cast<const char*>(steps.data()), static_cast<long>(steps.size()));

    PerformanceRecord record;
    record.bank = 1;
    record.preset = "Organ";
    record.seq = sequence;
    record.seqEnable = true;
    record.tempo = 90;
    const auto bytes = EncodePerformance(record);
    std::ofstream(dir.File("gig.vpx"), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
    Save(dir.File("song.mid"),
         File(0, 480, {Track({{0, {0x90, 60, 100}}, {1920, {0x80, 60, 0}}})}));

    auto render = [&](std::vector<std::string> options, const std::string& log) {
        std::vector<std::string> args = {dir.File("song.mid"), dir.File(log + ".wav"), "--quiet",
                                         "--reglog", dir.File(log)};
        args.insert(args.end(), options.begin(), options.end());
        auto run = RunProgram(VORPLINE_RENDER_EXE, args);
        EXPECT_EQ(run.exitCode, 0) << run.output;
        return RegisterWrites(TempDir::Read(dir.File(log)));
    };
    const auto performed = render({"--performance", dir.File("gig.vpx")}, "performed");
    const auto again = render({"--performance", dir.File("gig.vpx")}, "again");
    const auto organ = render({"--bank", "4op", "--preset", "Organ"}, "organ");
    std::filesystem::remove(seqFile);

    unsigned long echo = 0;
    for (const LoggedWrite& w : performed) {
        if ((w.reg & 0xF0) == 0xB0 && (w.reg & 0x0F) <= 8 && (w.value & 0x20) && w.frame > 0) {
            echo = w.frame;
            break;
        }
    }
    EXPECT_NEAR(static_cast<double>(echo), 24 * 28 * 44.1, 2.0) << "the echo, one beat later";
    // The operators are Organ's: every operator register ends as in a render of Organ alone.
    auto finals = [](const std::vector<LoggedWrite>& writes) {
        std::map<unsigned, unsigned> last;
        for (const LoggedWrite& w : writes) {
            if (w.reg % 0x100 >= 0x20 && w.reg % 0x100 < 0xA0) {
                last[w.reg] = w.value;
            }
        }
        return last;
    };
    EXPECT_EQ(finals(performed), finals(organ));
    EXPECT_EQ(TempDir::Read(dir.File("performed.wav")), TempDir::Read(dir.File("again.wav")));

    auto missing = RunProgram(VORPLINE_RENDER_EXE,
                              {dir.File("song.mid"), dir.File("x.wav"), "--performance", "Nope"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.output.find("performance \"Nope\""), std::string::npos) << missing.output;
}

} // namespace
} // namespace vorpline::test
