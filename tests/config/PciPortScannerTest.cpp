#include "config/PciPortScanner.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace vorpline {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr const char* kUnused = "0x0000000000000000 0x0000000000000000 0x0000000000000000\n";

// A resource line as the kernel prints it: start, end, flags.
std::string Bar(uint64_t start, uint64_t end, uint64_t flags) {
    char line[80];
    std::snprintf(line, sizeof line, "0x%016llx 0x%016llx 0x%016llx\n",
                  static_cast<unsigned long long>(start), static_cast<unsigned long long>(end),
                  static_cast<unsigned long long>(flags));
    return line;
}

std::string IoBar(uint64_t start, uint64_t size) {
    return Bar(start, start + size - 1, 0x40101);
}

std::string MemoryBar(uint64_t start) {
    return Bar(start, start + 0xFFF, 0x40200);
}

// A fake /sys/bus/pci/devices with one folder per device.
class PciPortScannerTest : public ::testing::Test {
protected:
    void AddDevice(const std::string& address, const std::string& vendor, const std::string& device,
                   const std::string& resource) {
        const auto folder = dir.path / address;
        std::filesystem::create_directories(folder);
        Write(folder / "vendor", vendor);
        Write(folder / "device", device);
        Write(folder / "resource", resource);
    }

    static void Write(const std::filesystem::path& file, const std::string& text) {
        std::ofstream(file, std::ios::binary) << text;
    }

    std::vector<uint16_t> Scan(PciCard card) const {
        return PciPortScanner(dir.path.string()).Scan(card);
    }

    test::TempDir dir;
};

TEST_F(PciPortScannerTest, NoCardOrNoFolderFindsNothing) {
    AddDevice("0000:00:00.0", "0x8086\n", "0x1237\n", IoBar(0xC000, 0x20));
    EXPECT_THAT(Scan(PciCard::FM801), IsEmpty());
    EXPECT_THAT(PciPortScanner((dir.path / "missing").string()).Scan(PciCard::FM801), IsEmpty());
}

TEST_F(PciPortScannerTest, TwoFm801CardsGiveBothBasesSmallestFirst) {
    AddDevice("0000:00:09.0", "0x1319\n", "0x0801\n", IoBar(0xE400, 0x80) + kUnused);
    AddDevice("0000:00:0a.0", "0x1319\n", "0x0801\n", IoBar(0xD800, 0x80));
    AddDevice("0000:00:0b.0", "0x1319\n", "0x0802\n", IoBar(0xB000, 0x10));

    EXPECT_THAT(Scan(PciCard::FM801), ElementsAre(0xD800, 0xE400));
    EXPECT_THAT(Scan(PciCard::ALS4000), IsEmpty());
}

TEST_F(PciPortScannerTest, Solo1TakesOnlyBar2) {
    AddDevice("0000:00:0c.0", "0x125d\n", "0x1969\n",
              IoBar(0xA000, 0x10) + IoBar(0xA400, 0x10) + IoBar(0xA800, 0x04) +
                  IoBar(0xAC00, 0x04) + IoBar(0xB000, 0x04) + kUnused + kUnused);
    // A card whose BAR 2 is not an I/O range offers no chip ports.
    AddDevice("0000:00:0d.0", "0x125D\n", "0x1969\n",
              IoBar(0x9000, 0x10) + IoBar(0x9400, 0x10) + MemoryBar(0xF0000000));

    EXPECT_THAT(Scan(PciCard::SOLO1), ElementsAre(0xA800));
}

TEST_F(PciPortScannerTest, EveryIoBarCountsAndMemoryBarsDoNot) {
    AddDevice("0000:01:00.0", "0x4005\n", "0x4000\n",
              MemoryBar(0xFE000000) + IoBar(0xC000, 0x80) + kUnused + IoBar(0xC080, 0x10) +
                  kUnused + kUnused + Bar(0xFF000000, 0xFF00FFFF, 0x46200));
    // The ports are 16-bit: a larger start keeps its low 16 bits.
    AddDevice("0000:02:00.0", "0x4005\n", "0x4000\n", IoBar(0x1C000, 0x80));

    EXPECT_THAT(Scan(PciCard::ALS4000), ElementsAre(0xC000, 0xC000, 0xC080));
}

TEST_F(PciPortScannerTest, GarbageAndMissingFilesContributeNothing) {
    const std::string fm801Bar = IoBar(0xE000, 0x80);
    AddDevice("0000:00:01.0", "1319\n", "0x0801\n", fm801Bar);
    AddDevice("0000:00:02.0", "0x1319 junk\n", "0x0801\n", fm801Bar);
    AddDevice("0000:00:03.0", std::string("0x13") + '\0' + "19\n", "0x0801\n", fm801Bar);
    AddDevice("0000:00:04.0", "0x1319\n", "0x0801\n",
              "garbage\n0xE000 0xE07F\n0xE100 0xE17F 0x101 0x5\n" + IoBar(0xE200, 0x80));
    AddDevice("0000:00:05.0", "", "", "");
    AddDevice("0000:00:06.0", "0x1319\n", "0x0801\n", std::string(10000, '\xFF'));
    std::filesystem::create_directories(dir.path / "0000:00:07.0");
    Write(dir.path / "0000:00:07.0" / "vendor", "0x1319\n");
    Write(dir.path / "stray-file", "0x1319\n");
    // A folder in place of a file.
    std::filesystem::create_directories(dir.path / "0000:00:08.0" / "vendor");

    EXPECT_THAT(Scan(PciCard::FM801), ElementsAre(0xE200));
}

} // namespace
} // namespace vorpline
