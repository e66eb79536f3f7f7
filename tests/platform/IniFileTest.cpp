#include "platform/IniFile.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>
#include <string>

namespace vorpline {
namespace {

using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::Optional;
using ::testing::ThrowsMessage;

class IniFileTest : public ::testing::Test {
protected:
    void WriteFile(const std::string& text) const { std::ofstream(path, std::ios::binary) << text; }
    std::string FileText() const { return test::TempDir::Read(path); }

    test::TempDir dir;
    std::string path = dir.File("vorpline.ini");
};

TEST_F(IniFileTest, SectionAndKeyNamesIgnoreCase) {
    WriteFile("[Output]\nDevice=FM801\n[MIDI]\nport = 20:0\n");
    IniFile ini(path);

    EXPECT_EQ(ini.ReadString("output", "DEVICE", "none"), "FM801");
    EXPECT_EQ(ini.ReadString(" Midi ", "Port", "none"), "20:0");
    EXPECT_EQ(ini.ReadString("Output", "Port", "none"), "none");
    EXPECT_EQ(ini.ReadString("Missing", "Device", "none"), "none");

    ini.WriteString("OUTPUT", "device", "SB16");
    ini.WriteString("midi", "PORT", "24:0");
    ini.UpdateFile();
    EXPECT_EQ(FileText(), "[Output]\nDevice=SB16\n[MIDI]\nport=24:0\n");
}

TEST_F(IniFileTest, UntouchedLinesAreWrittenBackByteForByte) {
    const std::string before = "; Settings\n"
                               "orphan=kept\n"
                               "\n"
                               "[General]\n"
                               "  Volume = 25  \n"
                               "; pan is -64..63\n"
                               "Pan=0\n"
                               "not a key line\n"
                               "\n"
                               "\n"
                               "[Line [2] Out]\n"
                               "Attenuator=2\n";
    WriteFile(before);
    {
        IniFile ini(path);
        EXPECT_EQ(ini.ReadString("General", "Volume", ""), "25");
        EXPECT_EQ(ini.ReadString("", "orphan", "none"), "none");
        ini.UpdateFile();
    }
    EXPECT_EQ(FileText(), before);

    IniFile ini(path);
    ini.WriteString("General", "Pan", "-12");
    ini.WriteString("General", "Mute", "1");
    ini.WriteString("Line [2] Out", "Attenuator", "4");
    ini.WriteString("Presets", "Last", "Organ");
    ini.UpdateFile();
    EXPECT_EQ(FileText(), "; Settings\n"
                          "orphan=kept\n"
                          "\n"
                          "[General]\n"
                          "  Volume = 25  \n"
                          "; pan is -64..63\n"
                          "Pan=-12\n"
                          "not a key line\n"
                          "Mute=1\n"
                          "\n"
                          "\n"
                          "[Line [2] Out]\n"
                          "Attenuator=4\n"
                          "\n"
                          "[Presets]\n"
                          "Last=Organ\n");
}

TEST_F(IniFileTest, MissingFileIsCreatedAndValuesKeepInnerBlanksAndBrackets) {
    {
        IniFile ini(path);
        EXPECT_EQ(ini.ReadString("General", "Volume", "25"), "25");
        EXPECT_FALSE(std::filesystem::exists(path));
        ini.WriteString("Device [1]", "Name", "Line [2] Out");
        ini.WriteString("Device [1]", "Padded", "  a = b  ");
        ini.WriteString("Device [1]", "Empty", "");
        ini.UpdateFile();
    }
    IniFile ini(path);
    EXPECT_EQ(ini.ReadString("Device [1]", "Name", ""), "Line [2] Out");
    EXPECT_EQ(ini.ReadString("device [1]", "Padded", ""), "a = b");
    EXPECT_EQ(ini.ReadString("Device [1]", "Empty", "none"), "");
}

TEST_F(IniFileTest, CrLfIsReadAndLfIsWritten) {
    WriteFile("[A]\r\nKey=Value\r\n\r\n[B]\r\nOther=2 \r\r\n");
    IniFile ini(path);
    EXPECT_EQ(ini.ReadString("A", "Key", ""), "Value");
    EXPECT_EQ(ini.ReadString("B", "Other", ""), "2");
    ini.WriteString("A", "New", "x");
    ini.UpdateFile();
    EXPECT_EQ(FileText(), "[A]\nKey=Value\nNew=x\n\n[B]\nOther=2 \n");
    EXPECT_EQ(IniFile(path).ReadString("B", "Other", ""), "2");
}

TEST_F(IniFileTest, FirstOfTwoKeysCountsAndDeleteRemovesAll) {
    WriteFile("[A]\nKey=1\nkey=2\nKeep=3\n[B]\nKey=4\n");
    IniFile ini(path);
    EXPECT_EQ(ini.ReadString("A", "Key", ""), "1");
    ini.WriteString("A", "Key", "5");
    EXPECT_EQ(ini.ReadString("A", "Key", ""), "5");

    ini.DeleteKey("a", "KEY");
    ini.DeleteKey("A", "Missing");
    EXPECT_EQ(ini.ReadString("A", "Key", "gone"), "gone");
    ini.UpdateFile();
    EXPECT_EQ(FileText(), "[A]\nKeep=3\n[B]\nKey=4\n");
}

TEST_F(IniFileTest, WritesThatWouldNotReadBackAreRefused) {
    IniFile ini(path);
    for (const auto& [section, key] : {std::pair{"", "Key"},
                                       {"A\nB", "Key"},
                                       {"A", " "},
                                       {"A", "a=b"},
                                       {"A", ";Key"},
                                       {"A", "[Key"}}) {
        EXPECT_THROW(ini.WriteString(section, key, "v"), std::invalid_argument) << key;
    }
    ini.UpdateFile();
    EXPECT_EQ(FileText(), "");
}

TEST_F(IniFileTest, ValuesWithControlCharactersAreWrittenOnOneLine) {
    WriteFile("[SYSTEM]\nBank=2\n");
    const struct {
        std::string typed;
        std::string readBack;
    } cases[] = {{"Bells\nBank=0", "Bells Bank=0"},
                 {"Organ\r\n[Other]\r\nKey=1", "Organ  [Other]  Key=1"},
                 {std::string("Nul\0Tab\tDel\x7F"
                              "End",
                              15),
                  "Nul Tab Del End"},
                 {"Caf\xC3\xA9 [2]", "Caf\xC3\xA9 [2]"}};
    for (const auto& c : cases) {
        {
            IniFile ini(path);
            ini.WriteString("SYSTEM", "Main Preset", c.typed);
            ini.UpdateFile();
        }
        IniFile ini(path);
        EXPECT_EQ(ini.ReadString("SYSTEM", "Main Preset", "none"), c.readBack);
        EXPECT_EQ(FileText(), "[SYSTEM]\nBank=2\nMain Preset=" + c.readBack + "\n");
    }
}

TEST_F(IniFileTest, GarbageFileNeitherCrashesNorLosesBytes) {
    std::mt19937 random(1234);
    std::string garbage;
    for (int i = 0; i < 4096; ++i) {
        garbage += static_cast<char>(random() & 0xFF);
    }
    garbage += std::string("\0[Odd\0]\n=\n[\n]\n[]\nx=\0y\n", 22);
    WriteFile(garbage);

    IniFile ini(path);
    EXPECT_EQ(ini.ReadString("General", "Volume", "25"), "25");
    ini.UpdateFile();
    // CRs before a LF are line ends; everything else comes back as it was.
    std::string expected;
    for (size_t i = 0; i < garbage.size(); ++i) {
        const size_t next = garbage.find_first_not_of('\r', i);
        if (garbage[i] != '\r' || next == std::string::npos || garbage[next] != '\n') {
            expected += garbage[i];
        }
    }
    EXPECT_EQ(FileText(), expected);

    ini.WriteString("General", "Volume", "31");
    EXPECT_EQ(ini.ReadString("General", "Volume", ""), "31");
}

TEST_F(IniFileTest, ExistingButUnreadableFileThrows) {
    std::filesystem::create_directory(path);
    EXPECT_THAT([&] { IniFile ini(path); }, ThrowsMessage<std::runtime_error>(HasSubstr(path)));
}

TEST_F(IniFileTest, UpdateReplacesTheFileAndLeavesNoTemporaryFile) {
    WriteFile("[General]\nVolume=25\n");
    ::chmod(path.c_str(), 0640);
    IniFile ini(path);
    ini.WriteString("General", "Volume", "20");
    ini.UpdateFile();
    ini.UpdateFile();

    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path),
                            std::filesystem::directory_iterator()),
              1);
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    EXPECT_EQ(FileText(), "[General]\nVolume=20\n");
}

TEST_F(IniFileTest, UpdateIntoAMissingFolderThrowsWithThePathAndReason) {
    const std::string lost = dir.File("no-such-folder/vorpline.ini");
    IniFile ini(lost);
    ini.WriteString("General", "Volume", "20");
    EXPECT_THAT([&] { ini.UpdateFile(); },
                ThrowsMessage<std::runtime_error>(
                    AllOf(HasSubstr(lost), HasSubstr("No such file or directory"))));
    EXPECT_FALSE(std::filesystem::exists(dir.path / "no-such-folder"));
}

TEST(IniFileParseIntegerTest, AcceptsSignedDecimalsOnly) {
    for (const auto& [text, value] : {std::pair<const char*, int64_t>{"25", 25},
                                      {" -12\t", -12},
                                      {"+7", 7},
                                      {"-0", 0},
                                      {"9223372036854775807", INT64_MAX},
                                      {"-9223372036854775808", INT64_MIN}}) {
        EXPECT_THAT(IniFile::ParseInteger(text), Optional(value)) << text;
    }
    for (const char* bad : {"", "  ", "+", "-", "12a", "0x10", "1 2", "- 5", "+-5", "--5", "1.5",
                            "9223372036854775808", "-9223372036854775809"}) {
        EXPECT_EQ(IniFile::ParseInteger(bad), std::nullopt) << '"' << bad << '"';
    }
}

} // namespace
} // namespace vorpline
