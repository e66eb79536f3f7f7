#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <tuple>

#include "engine/MultiplierCents.h"
#include "presets/ExtLayout.h"
#include "presets/TSbi.h"
#include "support/TempDir.h"

namespace vorpline::test {
namespace {

namespace fs = std::filesystem;

// Every operator register byte different, so a swapped or shifted byte shows.
PatchRecord DistinctPatch() {
    PatchRecord patch;
    for (size_t op = 0; op < 6; ++op) {
        for (size_t r = 0; r < 4; ++r) {
            patch.op[op].reg[r] = static_cast<uint8_t>(0x10 * (op + 1) + r + 1);
        }
        patch.op[op].reg[4] = static_cast<uint8_t>(op + 1);
    }
    patch.channel12 = 0x3B; // R L FB 5 CNT 1
    patch.channel34 = 0x11;
    patch.channel56 = 0x2C;
    return patch;
}

PatchExt DistinctExt() {
    PatchExt e;
    for (int i = 0; i < PatchExt::kSize; ++i) {
        e[i] = static_cast<uint8_t>(i * 7 + 3);
    }
    return e;
}

std::vector<uint8_t> Image(size_t size, const char* magic) {
    std::vector<uint8_t> file(size, 0);
    std::copy_n(magic, std::min<size_t>(size, 3), file.begin());
    if (size > 3) {
        file[3] = 0x1A;
    }
    return file;
}

void Save(const fs::path& path, const std::vector<uint8_t>& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

std::vector<uint8_t> Load(const fs::path& path) {
    std::string text = TempDir::Read(path.string());
    return {text.begin(), text.end()};
}

bool SameRegisters(const PatchRecord& a, const PatchRecord& b) {
    for (size_t op = 0; op < 6; ++op) {
        if (a.op[op].reg != b.op[op].reg) {
            return false;
        }
    }
    return a.channel12 == b.channel12 && a.channel34 == b.channel34 && a.channel56 == b.channel56;
}

class SbiFiles : public ::testing::Test {
protected:
    TempDir dir;
    TSbi sbi{dir.path};
};

TEST_F(SbiFiles, EachKindIsLaidOutFieldByField) {
    struct Kind {
        const char* bank;
        std::string name;
        size_t size;
        const char* magic;
        std::vector<size_t> pairs; // operator pairs stored, in file order
    };
    const Kind kinds[] = {{"2op", "Bass", 52, "2OP\x1A", {2}},
                          {"4op", std::string(40, 'x'), 60, "4OP\x1A", {0, 1}},
                          {"6op", "Bright Brass", 310, "6OP\x1A", {0, 1, 2}}};
    const PatchRecord patch = DistinctPatch();
    PatchExt e = DistinctExt();
    ext::PutU16(e, ext::kTranspose, -1200);
    const uint8_t channels[3] = {patch.channel12, patch.channel34, patch.channel56};
    for (const Kind& kind : kinds) {
        SCOPED_TRACE(kind.bank);
        ASSERT_TRUE(sbi.Write(kind.bank, kind.name, patch, e));
        auto file = Load(dir.path / kind.bank / (kind.name + ".sbi"));
        ASSERT_EQ(file.size(), kind.size);
        EXPECT_EQ(std::string(file.begin(), file.begin() + 4), kind.magic);
        // The name is cut to 32 bytes in the file, never in the file name.
        std::string field = kind.name.substr(0, 32);
        field.resize(32, '\0');
        EXPECT_EQ(std::string(file.begin() + 4, file.begin() + 36), field);
        // 11-byte blocks: modulator then carrier for each register, then the channel byte.
        size_t at = 36;
        for (size_t pair : kind.pairs) {
            for (size_t r = 0; r < 5; ++r, at += 2) {
                EXPECT_EQ(file[at], patch.op[2 * pair].reg[r]) << at;
                EXPECT_EQ(file[at + 1], patch.op[2 * pair + 1].reg[r]) << at;
            }
            EXPECT_EQ(file[at++], channels[pair]) << at;
        }
        if (kind.size != 310) {
            EXPECT_THAT(std::vector<uint8_t>(file.begin() + static_cast<long>(at), file.end()),
                        ::testing::Each(0));
            continue;
        }
        EXPECT_EQ(file[69], 5) << "version";
        EXPECT_EQ(file[70], e[0]);
        EXPECT_EQ(file[71], 0) << "reserved byte";
        EXPECT_EQ(file[72], 0x50) << "-1200 = 0xFB50, little-endian";
        EXPECT_EQ(file[73], 0xFB);
        for (int i = 4; i < PatchExt::kSize; ++i) {
            EXPECT_EQ(file[70 + static_cast<size_t>(i)], e[i]) << i;
        }
    }
}

TEST_F(SbiFiles, EveryKindReadsBackWhatWasWritten) {
    const PatchRecord written = DistinctPatch();
    PatchExt writtenExt = DistinctExt();
    writtenExt[ext::kReserved] = 0;
    writtenExt[PatchExt::kOutputs] = 0x07; // L+R 1-4, L 5/6
    // Channel bytes read over 0x30: 6-op presets take their outputs from the extension; the
    // shorter kinds keep the outputs and take CNT and feedback from the file.
    const struct {
        const char* bank;
        size_t firstOp, endOp;
        uint8_t channel12, channel34, channel56;
    } kinds[] = {{"2op", 4, 6, 0x30, 0x30, 0x3C},
                 {"4op", 0, 4, 0x3B, 0x31, 0x30},
                 {"6op", 0, 6, 0x3B, 0x31, 0x1C}};
    for (const auto& kind : kinds) {
        SCOPED_TRACE(kind.bank);
        ASSERT_TRUE(sbi.Write(kind.bank, "p", written, writtenExt));
        PatchRecord read;
        read.channel12 = read.channel34 = read.channel56 = 0x30;
        PatchExt readExt;
        ASSERT_TRUE(sbi.Read(kind.bank, "p", read, readExt));
        for (size_t op = 0; op < 6; ++op) {
            const bool stored = op >= kind.firstOp && op < kind.endOp;
            EXPECT_EQ(read.op[op].reg, stored ? written.op[op].reg : PatchRecord{}.op[op].reg)
                << op;
        }
        EXPECT_EQ(read.channel12, kind.channel12);
        EXPECT_EQ(read.channel34, kind.channel34);
        EXPECT_EQ(read.channel56, kind.channel56);
        if (kind.endOp - kind.firstOp == 6) {
            EXPECT_EQ(readExt.bytes, writtenExt.bytes);
        }
    }
}

TEST_F(SbiFiles, ShortPresetsOverlayOnlyTheirOperators) {
    auto file = Image(52, "SBI");
    file[3] = 0x55; // not examined
    for (size_t i = 36; i < 46; ++i) {
        file[i] = 0xF8 | static_cast<uint8_t>(i & 7);
    }
    file[46] = 0xCF; // bits 6-7 and 4-5 are not the file's to set
    Save(dir.path / "2op" / "classic.sbi", file);
    PatchRecord patch = DistinctPatch();
    PatchExt e = DistinctExt();
    const PatchExt before = e;
    ASSERT_TRUE(sbi.Read("2op", "classic", patch, e));
    EXPECT_EQ(patch.op[4].reg[0], file[36]);
    EXPECT_EQ(patch.op[5].reg[3], file[43]);
    EXPECT_EQ(patch.op[4].reg[4], file[44] & 7);
    EXPECT_EQ(patch.op[5].reg[4], file[45] & 7);
    EXPECT_EQ(patch.channel56, 0x2F);
    EXPECT_EQ(patch.op[0].reg, DistinctPatch().op[0].reg);
    EXPECT_EQ(patch.channel12, 0x3B);
    for (int entry = 0; entry < 32; ++entry) {
        EXPECT_EQ(ext::GetS16(e, ext::TuningEntry(4 + entry / 16, entry % 16)),
                  kMultiplierCentsTable[static_cast<size_t>(entry % 16)]);
    }
    for (int i = 0; i < PatchExt::kSize; ++i) {
        if (i < ext::TuningEntry(4, 0) || i >= ext::TuningEntry(6, 0)) {
            EXPECT_EQ(e[i], before[i]) << i;
        }
    }
}

TEST_F(SbiFiles, SizeAndMagicDecideTheKindAndBadFilesChangeNothing) {
    struct Case {
        size_t size;
        const char* magic;
        bool accepted;
    };
    const Case cases[] = {{52, "2OP", true},  {52, "SBI", true},  {52, "4OP", false},
                          {52, "6OP", false}, {60, "4OP", true},  {60, "2OP", false},
                          {70, "6OP", true},  {310, "6OP", true}, {200, "6OP", true},
                          {70, "4OP", false}, {0, "", false},     {51, "2OP", false},
                          {53, "2OP", false}, {59, "4OP", false}, {61, "4OP", false},
                          {69, "6OP", false}, {311, "6OP", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.size) + " " + c.magic);
        auto file = Image(c.size, c.magic);
        for (size_t i = 36; i < std::min<size_t>(c.size, 69); ++i) {
            file[i] = 0x77;
        }
        PatchRecord patch = DistinctPatch();
        PatchExt e = DistinctExt();
        EXPECT_EQ(TSbi::Decode(file, patch, e), c.accepted);
        if (!c.accepted) {
            EXPECT_TRUE(SameRegisters(patch, DistinctPatch()));
            EXPECT_EQ(e.bytes, DistinctExt().bytes);
        }
    }
}

TEST_F(SbiFiles, ShortSixOperatorFilesGetTheDefaultsOfTheirAge) {
    PatchRecord patch = DistinctPatch();
    PatchExt e = DistinctExt();
    ASSERT_TRUE(TSbi::Decode(Image(70, "6OP"), patch, e));
    PatchExt expected;
    for (int op = 0; op < 6; ++op) {
        for (int mult = 0; mult < 16; ++mult) {
            ext::PutU16(expected, ext::TuningEntry(op, mult),
                        kMultiplierCentsTable[static_cast<size_t>(mult)]);
        }
    }
    expected[ext::kHigh1234] = expected[ext::kHigh56] = 10;
    expected[PatchExt::kMode1234] = expected[PatchExt::kMode56] = 6;
    expected[PatchExt::kPriority1234] = expected[PatchExt::kPriority56] = 2;
    ext::PutU16(expected, ext::kBendRange1234, 1200);
    ext::PutU16(expected, ext::kBendRange56, 1200);
    ext::PutU16(expected, ext::kModRange1234, 2400);
    ext::PutU16(expected, ext::kModRange56, 2400);
    EXPECT_EQ(e.bytes, expected.bytes);
    EXPECT_EQ(patch.channel12, 0x00) << "outputs come from the (zero) extension";

    // 300 bytes of version 5: the record up to offset 229, zeros after, no defaults.
    auto file = Image(300, "6OP");
    file[69] = 5;
    std::fill(file.begin() + 70, file.end(), 0x5A);
    ASSERT_TRUE(TSbi::Decode(file, patch, e));
    EXPECT_EQ(e[229], 0x5A);
    EXPECT_EQ(e[230], 0);
    EXPECT_EQ(e[239], 0);
    EXPECT_EQ(patch.channel56, 0x20) << "right output from bit 3 of 0x5A, left off (bit 2)";
    EXPECT_EQ(patch.channel12, 0x20) << "bit 1 of 0x5A";

    // Version 2 keeps its priorities but gets the bend, portamento, legato and range defaults.
    file[69] = 2;
    ASSERT_TRUE(TSbi::Decode(file, patch, e));
    EXPECT_EQ(e[PatchExt::kPriority1234], 0x5A);
    EXPECT_EQ(std::tuple(ext::GetS16(e, ext::kBendRange1234), ext::GetU16(e, ext::kPortamento56),
                         e[ext::kLegato], ext::GetS16(e, ext::kModRange1234)),
              std::tuple(int16_t{1200}, uint16_t{0}, uint8_t{0}, int16_t{2400}));
}

TEST_F(SbiFiles, WritingReplacesWholeFilesAndNeverLeavesTheBank) {
    fs::create_directories(dir.path / "6op");
    ASSERT_TRUE(sbi.Write("6op", "p", DistinctPatch(), DistinctExt()));
    ASSERT_TRUE(sbi.Write("6op", "p", PatchRecord{}, PatchExt{}));
    EXPECT_EQ(Load(dir.path / "6op" / "p.sbi")[36], 0) << "replaced";
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path / "6op"), fs::directory_iterator()), 1)
        << "no temporary file left";

    // A folder in the way makes the write fail and stays.
    fs::create_directories(dir.path / "6op" / "blocked.sbi");
    EXPECT_FALSE(sbi.Write("6op", "blocked", DistinctPatch(), DistinctExt()));
    EXPECT_TRUE(fs::is_directory(dir.path / "6op" / "blocked.sbi"));

    EXPECT_FALSE(sbi.Write("lfo", "p", DistinctPatch(), DistinctExt()));
    EXPECT_FALSE(fs::exists(dir.path / "lfo"));
    for (const char* name : {"../escape", "sub/escape", "", ".hidden"}) {
        EXPECT_FALSE(sbi.Write("6op", name, DistinctPatch(), DistinctExt())) << name;
    }
    EXPECT_FALSE(fs::exists(dir.path / "escape.sbi"));

    Save(dir.path / "outside.sbi", Image(60, "4OP"));
    PatchRecord patch;
    PatchExt e;
    EXPECT_FALSE(sbi.Read("6op", "../outside", patch, e));
    EXPECT_TRUE(TSbi::ReadFile(dir.path / "outside.sbi", patch, e)) << "by path it is fine";
}

} // namespace
} // namespace vorpline::test
