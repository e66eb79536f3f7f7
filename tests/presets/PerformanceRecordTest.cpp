#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "presets/ExportBundle.h"
#include "presets/PerformanceRecord.h"
#include "support/TempDir.h"

namespace vorpline::test {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;

PerformanceRecord Sample() {
    PerformanceRecord r;
    r.preset = "Lead";
    r.bank = 1;
    r.drum = "Kit";
    r.clockSource = 2;
    r.tempo = 0x01020304;
    r.cc = "Knobs";
    r.lfo = "Wobble";
    r.lfoEnable = true;
    r.seq = "Steps";
    r.bend = "Crush";
    r.bendEnable = true;
    return r;
}

TEST(PerformanceRecord, LayoutByteForByte) {
    const auto bytes = EncodePerformance(Sample());
    const auto at = [&](std::size_t offset, std::size_t count) {
        return std::vector<uint8_t>(bytes.begin() + static_cast<std::ptrdiff_t>(offset),
                                    bytes.begin() + static_cast<std::ptrdiff_t>(offset + count));
    };
    const struct {
        std::size_t offset;
        std::vector<uint8_t> expected;
    } fields[] = {
        {0, {'L', 'e', 'a', 'd', 0}},
        {255, {0, 1, 0, 0, 0, 'K', 'i', 't', 0}},
        {516, {2, 0, 0, 0, 4, 3, 2, 1, 'K'}},
        {780, {'W'}},
        {1035, {0, 1, 0, 0, 0, 'S'}},
        {1296, {0, 0, 0, 0, 'C'}},
        {1555, {0, 1, 0, 0, 0}},
    };
    for (const auto& field : fields) {
        EXPECT_EQ(at(field.offset, field.expected.size()), field.expected) << field.offset;
    }
    EXPECT_EQ(DecodePerformance(bytes), Sample());
    EXPECT_FALSE(DecodePerformance(std::span(bytes).first(1559)));

    // A name fills at most 255 bytes, cut before a split character; reading stops at a zero.
    PerformanceRecord longName;
    longName.lfo = std::string(254, 'x') + "\xC3\xA9";
    auto cut = EncodePerformance(longName);
    EXPECT_EQ(DecodePerformance(cut)->lfo, std::string(254, 'x'));
    cut[780 + 3] = 0;
    EXPECT_EQ(DecodePerformance(cut)->lfo, "xxx");
    EXPECT_EQ(PerformanceTempo("140"), 140u);
    EXPECT_EQ(PerformanceTempo("fast"), 120u);
    EXPECT_EQ(PerformanceTempo("-5"), 120u);
}

TEST(PerformanceRecord, OnlyWholeRecordsAreListed) {
    TempDir dir;
    for (const auto& [name, size] :
         std::vector<std::pair<std::string, std::size_t>>{{"b.vpx", 1560},
                                                          {"Short.vpx", 1559},
                                                          {"Long.vpx", 1561},
                                                          {"A.vpx", 1560},
                                                          {".hidden.vpx", 1560},
                                                          {"c.txt", 1560}}) {
        std::ofstream(dir.path / name) << std::string(size, '\0');
    }
    fs::create_directory(dir.path / "folder.vpx");
    EXPECT_THAT(ListPerformances(dir.path), ElementsAre("A", "b"));
    EXPECT_THAT(ListPerformances(dir.path / "missing"), ElementsAre());
}

TEST(PerformanceRecord, Utf8) {
    for (const auto& [text, valid] : std::vector<std::pair<std::string, bool>>{
             {"Pad \xC3\xA9\xE2\x82\xAC\xF0\x9F\x8E\xB9", true},
             {"\xFF", false},
             {"\xC0\xAF", false},         // overlong "/"
             {"\xED\xA0\x80", false},     // surrogate
             {"\xF4\x90\x80\x80", false}, // past U+10FFFF
             {"\xE2\x82", false},         // cut short
             {"\x80", false}}) {
        EXPECT_EQ(IsValidUtf8(text), valid) << text;
    }
}

TEST(ExportBundle, EncodesSevenEntriesAndParsesThemBack) {
    BundleEntries entries;
    entries[4].assign(416, 7);
    entries[6].assign(50, 1);
    // Entries without a file name "Default".
    PerformanceRecord r = Sample();
    r.preset = r.drum = r.cc = r.seq = "Default";
    const auto image = EncodePerformance(r);
    entries[0].assign(image.begin(), image.end());
    const auto file = EncodeBundle(entries);
    ASSERT_EQ(file.size(), 4 + 7 * 2 + 1560 + 416 + 50u);
    EXPECT_EQ(std::vector<uint8_t>(file.begin(), file.begin() + 6),
              (std::vector<uint8_t>{'E', 'X', 'P', 0, 0x18, 0x06}));
    const BundleResult parsed = ParseBundle(file);
    ASSERT_TRUE(parsed.bundle) << parsed.problem;
    EXPECT_EQ(parsed.bundle->entries, entries);
    EXPECT_EQ(parsed.bundle->record, r);
    EXPECT_EQ(LargestBundle(), 4 + 14 + 1560 + 310 + 90 + 65535 + 416 + 144 + 50u);
}

} // namespace
} // namespace vorpline::test
