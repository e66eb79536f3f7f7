#include "config/OutputConfig.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <limits>

#include "platform/IniFile.h"

namespace vorpline {

namespace {

template <typename T>
T ReadNumber(const IniFile& ini, const char* key, const char* defaultText, T fallback) {
    auto value = IniFile::ParseInteger(ini.ReadString(kMainSection, key, defaultText));
    if (!value || *value < static_cast<int64_t>(std::numeric_limits<T>::min()) ||
        *value > static_cast<int64_t>(std::numeric_limits<T>::max())) {
        return fallback;
    }
    return static_cast<T>(*value);
}

} // namespace

PortConfig ReadOutputConfig(const IniFile& ini) {
    PortConfig c;
    c.ioType = ReadNumber<int32_t>(ini, "IOType", "3", 3);
    c.ioPort = ini.ReadString(kMainSection, "IOPort", "0220");
    c.ioPre = ReadNumber<uint16_t>(ini, "IOPre", "3", 5);
    c.ioPost = ReadNumber<uint16_t>(ini, "IOPost", "3", 15);
    c.ioKey = ReadNumber<uint16_t>(ini, "IOKey", "15", 15);
    c.ioSRate = ReadNumber<uint32_t>(ini, "IOSRate", "11025", 11025);
    c.ioBSize = ReadNumber<uint16_t>(ini, "IOBSize", "128", 256);
    c.ioRSize = ReadNumber<uint16_t>(ini, "IORSize", "8", 4);
    c.options = ReadNumber<uint32_t>(ini, "Options", "0", 0);
    // Any other text keeps the accurate core: it plays everything the fast one does.
    c.emulator = ParseEmulatorCore(ini.ReadString(kMainSection, "Emulator", "Accurate"))
                     .value_or(EmulatorCore::kAccurate);
    return c;
}

void WriteOutputConfig(IniFile& ini, const PortConfig& c) {
    ini.WriteString(kMainSection, "Options", std::to_string(c.options));
    ini.WriteString(kMainSection, "IOType", std::to_string(c.ioType));
    ini.WriteString(kMainSection, "IOPort", c.ioPort);
    ini.WriteString(kMainSection, "IOPre", std::to_string(c.ioPre));
    ini.WriteString(kMainSection, "IOPost", std::to_string(c.ioPost));
    ini.WriteString(kMainSection, "IOKey", std::to_string(c.ioKey));
    ini.WriteString(kMainSection, "IOSRate", std::to_string(c.ioSRate));
    ini.WriteString(kMainSection, "IOBSize", std::to_string(c.ioBSize));
    ini.WriteString(kMainSection, "IORSize", std::to_string(c.ioRSize));
    ini.WriteString(kMainSection, "Emulator", EmulatorCoreName(c.emulator));
}

std::string DeviceSection(const std::string& ioPort) {
    std::string section;
    for (char c : ioPort) {
        if (c == '[') {
            section += '(';
        } else if (c == ']') {
            section += ')';
        } else if (c == ' ') {
            section += '-';
        } else {
            section += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        }
    }
    return section;
}

namespace {

// On this file system names are case-sensitive: "studio.ini" must be found as "studio.INI".
std::filesystem::path FindIgnoringCase(const std::filesystem::path& wanted) {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (fs::exists(wanted, ec)) {
        return wanted;
    }
    auto lower = [](std::string text) {
        for (char& c : text) {
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        return text;
    };
    std::string name = lower(wanted.filename().string());
    for (fs::directory_iterator it(wanted.parent_path(), ec), end; !ec && it != end;
         it.increment(ec)) {
        if (it->is_regular_file(ec) && lower(it->path().filename().string()) == name) {
            return it->path();
        }
    }
    return wanted;
}

} // namespace

IniLocation LocateIni(const std::string& executablePath, const std::string& firstArgument) {
    namespace fs = std::filesystem;
    fs::path exe(executablePath);
    if (firstArgument.empty()) {
        return {FindIgnoringCase(fs::path(exe).replace_extension(".INI")).string(), false};
    }
    // Only the file name of the argument counts: the configuration stays beside the program.
    fs::path name = fs::path(firstArgument).filename();
    fs::path path = FindIgnoringCase(exe.parent_path() / name.replace_extension(".INI"));
    std::error_code ec;
    return {path.string(), fs::is_regular_file(path, ec)};
}

} // namespace vorpline
