#include <gtest/gtest.h>

#include <fstream>
#include <vector>

#include "support/MidiBytes.h"
#include "support/RegisterLogFile.h"
#include "support/RunProgram.h"
#include "support/TempDir.h"

namespace vorpline::test {
namespace {

using namespace midibytes;

constexpr unsigned kKeyOn = 0x20;
constexpr double kRate = 44100;

bool IsKeyOn(const LoggedWrite& w) {
    return (w.reg & 0xF0) == 0xB0 && (w.reg & 0x0F) <= 8 && (w.value & kKeyOn) != 0;
}

class SeqBendRender : public ::testing::Test {
protected:
    SeqBendRender() {
        // Key 60 held for two seconds.
        Save(dir.File("song.mid"),
             File(0, 480, {Track({{0, {0x90, 60, 100}}, {1920, {0x80, 60, 0}}})}));
    }
    void WriteFile(const std::string& name, const std::vector<uint8_t>& bytes) {
        std::ofstream(dir.File(name), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
    }
    std::vector<LoggedWrite> Render(std::vector<std::string> options,
                                    const std::string& wave = "out.wav") {
        std::vector<std::string> args = {dir.File("song.mid"), dir.File(wave), "--quiet",
                                         "--reglog", dir.File("log")};
        args.insert(args.end(), options.begin(), options.end());
        auto run = RunProgram(VORPLINE_RENDER_EXE, args);
        EXPECT_EQ(run.exitCode, 0) << run.output;
        return RegisterWrites(TempDir::Read(dir.File("log")));
    }

    TempDir dir;
};

// Step 1 echoes any key an octave up after 24 ticks, for 12 ticks: in the register log the
// echo's key-on comes one beat after the key, at the tempo's tick (21 ms at 120 BPM, 28 ms at
// 90), an octave above it (one block higher), and its key-off 12 ticks later.
TEST_F(SeqBendRender, EchoStepsPlayAtTheirTicks) {
    std::vector<uint8_t> sequence(144, 0xFF);
    const std::vector<uint8_t> step = {0, 12, 1, 0xFF, 24, 0, 0, 0, 12, 0, 0, 0};
    std::copy(step.begin(), step.end(), sequence.begin());
    for (size_t i = 1; i < 12; ++i) {
        const std::vector<uint8_t> off = {0, 0, 0, 0xFF, 3, 0, 0, 0, 0, 0, 0, 0};
        std::copy(off.begin(), off.end(), sequence.begin() + static_cast<long>(12 * i));
    }
    WriteFile("echo.seq", sequence);
    for (auto [tempo, tickMs] : {std::pair{"120", 21}, {"90", 28}}) {
        SCOPED_TRACE(std::string(tempo) + " BPM");
        const auto writes = Render({"--seq", dir.File("echo.seq"), "--tempo", tempo});
        std::vector<LoggedWrite> keyOns;
        for (const auto& w : writes) {
            if (IsKeyOn(w)) {
                keyOns.push_back(w);
            }
        }
        ASSERT_GE(keyOns.size(), 2u);
        const LoggedWrite& key = keyOns.front();
        const LoggedWrite& echo = keyOns.back();
        EXPECT_EQ(key.frame, 0u);
        EXPECT_NEAR(static_cast<double>(echo.frame), 24 * tickMs * kRate / 1000, 2.0);
        EXPECT_EQ((echo.value >> 2) & 7, ((key.value >> 2) & 7) + 1) << "one octave up";
        // The echo's channel is keyed off 12 ticks after it started.
        unsigned long off = 0;
        for (const auto& w : writes) {
            if (w.reg == echo.reg && w.frame > echo.frame && !(w.value & kKeyOn)) {
                off = w.frame;
                break;
            }
        }
        EXPECT_NEAR(static_cast<double>(off - echo.frame), 12 * tickMs * kRate / 1000, 2.0);
    }
}

// With the Data bend forcing bit 7, every write from the moment bending is on goes out with
// bit 7 set, at the same frame and register as without bending; the renders stay identical
// from run to run.
TEST_F(SeqBendRender, EveryWriteIsBentAsTheMasksSay) {
    std::vector<uint8_t> bend(50, 0xFF);
    const std::vector<uint8_t> identity = {0xFF, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                           0,    1,    2,    3,    4,    5,    6,    7};
    for (size_t frame = 0; frame < 3; ++frame) {
        std::copy(identity.begin(), identity.end(), bend.begin() + static_cast<long>(16 * frame));
    }
    bend[16 + 1] = 0x80; // Data OR: bit 7 forced to 1
    bend[48] = 0;
    WriteFile("bit7.bnd", bend);
    // A scale of eight notes, each for an eighth.
    Save(dir.File("song.mid"), File(0, 480,
                                    {Track({{0, {0x90, 60, 100}},
                                            {240, {0x80, 60, 0}},
                                            {0, {0x90, 62, 100}},
                                            {240, {0x80, 62, 0}},
                                            {0, {0x90, 64, 100}},
                                            {240, {0x80, 64, 0}},
                                            {0, {0x90, 65, 100}},
                                            {240, {0x80, 65, 0}},
                                            {0, {0x90, 67, 100}},
                                            {240, {0x80, 67, 0}},
                                            {0, {0x90, 69, 100}},
                                            {240, {0x80, 69, 0}},
                                            {0, {0x90, 71, 100}},
                                            {240, {0x80, 71, 0}},
                                            {0, {0x90, 72, 100}},
                                            {240, {0x80, 72, 0}}})}));

    const auto plain = Render({});
    const auto bent = Render({"--bend", dir.File("bit7.bnd")});
    ASSERT_EQ(plain.size(), bent.size());
    size_t first = 0;
    while (first < plain.size() && plain[first] == bent[first]) {
        ++first;
    }
    ASSERT_LT(first, plain.size()) << "nothing was bent";
    for (size_t i = first; i < plain.size(); ++i) {
        ASSERT_EQ(bent[i].frame, plain[i].frame) << i;
        ASSERT_EQ(bent[i].reg, plain[i].reg) << i;
        ASSERT_EQ(bent[i].value, plain[i].value | 0x80) << i;
    }
    EXPECT_GT(plain.size() - first, 30u) << "the whole song's writes, not just one note's";

    Render({"--bend", dir.File("bit7.bnd")}, "again.wav");
    Render({"--bend", dir.File("bit7.bnd")});
    EXPECT_EQ(TempDir::Read(dir.File("out.wav")), TempDir::Read(dir.File("again.wav")));
}

} // namespace
} // namespace vorpline::test
