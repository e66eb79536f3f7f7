#include "files/VgmWriter.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vorpline {
namespace {

using Bytes = std::vector<uint8_t>;
using ::testing::HasSubstr;

Bytes Read(const std::string& path) {
    const std::string text = test::TempDir::Read(path);
    return {text.begin(), text.end()};
}

// The 0x80-byte header with the two fields Close patches.
Bytes Header(uint32_t eof, uint32_t samples) {
    Bytes h(0x80, 0);
    auto put = [&h](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) {
            h[at + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (8 * i));
        }
    };
    put(0x00, 0x206D6756); // "Vgm "
    put(0x04, eof);
    put(0x08, 0x151);
    put(0x18, samples);
    put(0x34, 0x4C);
    put(0x5C, 14318180);
    return h;
}

TEST(VgmWriter, ATinyRecordingIsHeaderCommandsWaitsAndEnd) {
    test::TempDir dir;
    const std::string path = dir.File("t.vgm");
    VgmWriter vgm(path, 44100);
    vgm.Write(0, 0x105, 0x01);
    vgm.Write(10, 0x0A0, 0x41);
    vgm.Write(5, 0x1B0, 0x32); // a time before the last counts as the last
    vgm.Close(745);
    EXPECT_FALSE(vgm.IsOpen());
    Bytes expected = Header(0x80 + 12 - 4, 745);
    expected.insert(expected.end(),
                    {0x5F, 0x05, 0x01, 0x79, 0x5E, 0xA0, 0x41, 0x5F, 0xB0, 0x32, 0x62, 0x66});
    EXPECT_EQ(Read(path), expected);
}

TEST(VgmWriter, WaitsTakeTheShortestCommands) {
    const struct {
        uint64_t samples;
        Bytes bytes;
    } cases[] = {
        {0, {}},
        {1, {0x70}},
        {16, {0x7F}},
        {17, {0x61, 0x11, 0x00}},
        {735, {0x62}},
        {736, {0x61, 0xE0, 0x02}},
        {882, {0x63}},
        {65535, {0x61, 0xFF, 0xFF}},
        {65536 + 734, {0x61, 0xFF, 0xFF, 0x62}},
    };
    for (const auto& c : cases) {
        Bytes out;
        VgmWriter::AppendWait(out, c.samples);
        EXPECT_EQ(out, c.bytes) << c.samples;
    }
}

TEST(VgmWriter, ChipFramesBecomeSamplesWithoutDrift) {
    const struct {
        uint64_t time;
        uint32_t rate;
        uint64_t sample;
    } cases[] = {
        {0, 49716, 0},
        {1, 49716, 1},
        {49716, 49716, 44100},
        {49717, 49716, 44101},
        {3600ull * 24 * 49716, 49716, 3600ull * 24 * 44100},
        {123, 44100, 123},
        {~0ull, 49716, ~0ull},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(VgmWriter::SampleAt(c.time, c.rate), c.sample) << c.time;
    }
}

// Past the format's limits the file is finished with what came before and the writer stops.
TEST(VgmWriter, ARecordingStopsAtTheLimitsWithAValidFile) {
    test::TempDir dir;
    const struct {
        uint64_t maxBytes;
        uint64_t time;
        const char* says;
    } cases[] = {
        {VgmWriter::kMaxBytes, VgmWriter::kMaxSamples + 1, "2^32 samples"},
        {0x80 + 3 + 1 + 2, 0, "4 GiB"}, // room for one command and the end marker only
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.says);
        const std::string path = dir.File("limit.vgm");
        VgmWriter vgm(path, 44100, c.maxBytes);
        vgm.Write(0, 0x0A0, 0x41);
        EXPECT_THAT([&] { vgm.Write(c.time, 0x0B0, 0x32); },
                    ::testing::ThrowsMessage<VgmWriter::LimitReached>(HasSubstr(c.says)));
        vgm.Write(c.time + 1, 0x0B0, 0x32);
        vgm.Close(c.time + 2);
        Bytes expected = Header(0x80 + 4 - 4, 0);
        expected.insert(expected.end(), {0x5E, 0xA0, 0x41, 0x66});
        EXPECT_EQ(Read(path), expected);
    }
}

TEST(VgmWriter, AFileThatCannotBeMadeIsNamed) {
    EXPECT_THAT([] { VgmWriter("/nonexistent/x.vgm", 44100); },
                ::testing::ThrowsMessage<std::runtime_error>(HasSubstr("/nonexistent/x.vgm")));
}

} // namespace
} // namespace vorpline
