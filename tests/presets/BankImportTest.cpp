#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <vector>

#include "presets/BankImport.h"
#include "presets/PresetFolder.h"
#include "presets/TSbi.h"
#include "support/TempDir.h"

namespace vorpline::test {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

Bytes ReadAll(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A record of `size` bytes; the register bytes count up from `seed` so a shifted byte shows.
Bytes Record(const char* magic, const std::string& name, size_t size = 52, uint8_t seed = 1) {
    Bytes r(size, 0);
    std::memcpy(r.data(), magic, 4);
    std::memcpy(r.data() + 4, name.data(), std::min<size_t>(name.size(), 25));
    for (size_t i = 36; i < 58 && i < size; ++i) {
        r[i] = static_cast<uint8_t>(seed + i);
    }
    return r;
}

Bytes Join(const std::vector<Bytes>& records) {
    Bytes all;
    for (const auto& r : records) {
        all.insert(all.end(), r.begin(), r.end());
    }
    return all;
}

// The operator registers of every slot reach the preset files exactly as the bank holds them,
// read back through the preset reader; names are safe and unique in each folder.
TEST(BankImport, SystemBanksImportWhole) {
    const fs::path dir = "/usr/share/sounds/opl3";
    for (const char* file : {"std.sb", "std.o3", "drums.sb", "drums.o3"}) {
        SCOPED_TRACE(file);
        const Bytes bytes = ReadAll(dir / file);
        if (bytes.empty()) {
            GTEST_SKIP() << "needs " << (dir / file) << " (Debian package alsa-tools)";
        }
        const ParsedBank bank = ParseBank(bytes);
        ASSERT_EQ(bank.problem, "");
        const size_t size = bytes.size() / 128;
        EXPECT_EQ(bank.recordSize, size);
        EXPECT_EQ(bank.records.size() + static_cast<size_t>(bank.emptySlots), 128u);
        TempDir root;
        const auto result = ImportBank(root.path, bank, std::nullopt, nullptr);
        ASSERT_EQ(result.problem, "");
        ASSERT_EQ(result.presets.size(), bank.records.size());
        std::set<std::string> seen;
        for (const ImportedPreset& p : result.presets) {
            EXPECT_EQ(PresetFolder::NameProblem(p.name), "") << p.name;
            EXPECT_TRUE(seen.insert(p.folder + "/" + p.name).second) << p.name;
            PatchRecord patch;
            PatchExt ext;
            ASSERT_TRUE(TSbi::ReadFile(root.path / p.folder / (p.name + ".sbi"), patch, ext));
            const uint8_t* rec = bytes.data() + static_cast<size_t>(p.index) * size;
            const bool four = p.folder == "4op";
            const int first = four ? 0 : 4;
            for (int pair = 0; pair < (four ? 2 : 1); ++pair) {
                const size_t at = 36 + 11 * static_cast<size_t>(pair);
                for (size_t r = 0; r < 5; ++r) {
                    const uint8_t mask = r == 4 ? 7 : 0xFF;
                    EXPECT_EQ(patch.op[first + 2 * pair].reg[r], rec[at + 2 * r] & mask);
                    EXPECT_EQ(patch.op[first + 2 * pair + 1].reg[r], rec[at + 2 * r + 1] & mask);
                }
            }
            const uint8_t channel = four ? patch.channel12 : patch.channel56;
            EXPECT_EQ(channel & 0x0F, rec[46] & 0x0F) << p.name;
            if (four) {
                EXPECT_EQ(patch.channel34 & 1, rec[57] & 1) << p.name;
            }
        }
    }
}

TEST(BankImport, NamesBecomeSafeAndUnique) {
    const Bytes bank =
        Join({Record("SBI\x1a", "a/b\\c"), Record("2OP\x1a", "..\x01x"), Record("SBI\x1a", ""),
              Record("SBI\x1a", "Piano"), Record("SBI\x1a", "piano"), Record("SBI\x1a", "Default"),
              Record("SBI\x1a", "  Pad \xC3\xA9 "), Record("SBI\x1a", "..")});
    TempDir root;
    const auto result = ImportBank(root.path, ParseBank(bank), std::nullopt, nullptr);
    ASSERT_EQ(result.problem, "");
    std::vector<std::string> names;
    for (const auto& p : result.presets) {
        names.push_back(p.name);
        EXPECT_TRUE(fs::exists(root.path / "2op" / (p.name + ".sbi"))) << p.name;
    }
    EXPECT_EQ(names, (std::vector<std::string>{"a_b_c", "_x", "Instrument 2", "Piano", "piano 2",
                                               "Default 2", "Pad __", "Instrument 7"}));
}

TEST(BankImport, BrokenFilesAreRefusedWithAReason) {
    const Bytes sbi = Record("SBI\x1a", "One");
    const Bytes four = Record("4OP\x1a", "Two", 60);
    struct Case {
        Bytes file;
        const char* problem;
    };
    const std::vector<Case> cases = {
        {{}, "the file is empty"},
        {Bytes(sbi.begin(), sbi.end() - 1), "record 1 is cut short: the file ends 51 bytes"},
        {Join({sbi, sbi, Bytes(10, 0)}), "record 3 is cut short: the file ends 10 bytes"},
        {Join({four, Bytes(four.begin(), four.begin() + 30)}), "record 2 is cut short"},
        {Bytes(60 * 128 + 1, 0), "the file is too large"},
        {Join(std::vector<Bytes>(129, sbi)), "the file holds 129 records"},
        {Join({sbi, Record("XYZ\x1a", "Bad")}), "record 2 is not an instrument"},
        {Join({four, Record("SBI\x1a", "Bad", 60)}), "record 2 is not an instrument"},
        {Bytes(52 * 4, 0), "the bank holds no instruments"},
    };
    for (const Case& c : cases) {
        const ParsedBank bank = ParseBank(c.file);
        EXPECT_EQ(bank.problem.rfind(c.problem, 0), 0u) << bank.problem;
        EXPECT_TRUE(bank.records.empty());
        TempDir root;
        EXPECT_EQ(ImportBank(root.path, bank, std::nullopt, nullptr).problem, bank.problem);
        EXPECT_TRUE(fs::is_empty(root.path));
    }
}

// Existing presets change only after a yes; one bank of a mixed file can be asked for alone.
TEST(BankImport, ReplacesOnlyWhenConfirmed) {
    const Bytes bank = Join({Record("4OP\x1a", "Lead", 60, 1), Record("2OP\x1a", "Bass", 60, 9),
                             Record("4OP\x1a", "Pad", 60, 5)});
    TempDir root;
    fs::create_directories(root.path / "4op");
    const fs::path lead = root.path / "4op" / "Lead.sbi";
    std::ofstream(lead) << "mine";
    const ParsedBank parsed = ParseBank(bank);
    std::vector<std::string> asked;
    for (const bool answer : {false, true}) {
        const auto result = ImportBank(root.path, parsed, std::string("4op"),
                                       [&](const std::vector<std::string>& existing) {
                                           asked = existing;
                                           return answer;
                                       });
        EXPECT_EQ(asked, std::vector<std::string>{"4op/Lead"});
        EXPECT_EQ(result.cancelled, !answer);
        EXPECT_EQ(result.leftOut, 1);
        EXPECT_EQ(fs::exists(root.path / "4op" / "Pad.sbi"), answer);
        EXPECT_EQ(TempDir::Read(lead.string()) == "mine", !answer);
        EXPECT_FALSE(fs::exists(root.path / "2op"));
    }
}

} // namespace
} // namespace vorpline::test
