// The configuration file may have been edited by hand or cut short: any bytes load, every key
// the file names reads back unchanged after another key is written and the file is replaced,
// and the written key reads back as written (on one line, blanks trimmed).
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "FuzzCheck.h"
#include "platform/IniFile.h"

namespace {

using vorpline::fuzz::Check;

// One file per fuzzing process, in a folder of its own that is removed at exit.
const std::string& FilePath() {
    static const std::string path = [] {
        static std::string folder = "/tmp/vorpline-ini-fuzz-XXXXXX";
        Check(::mkdtemp(folder.data()) != nullptr);
        std::atexit([] {
            std::remove((folder + "/fuzz.ini").c_str());
            ::rmdir(folder.c_str());
        });
        return folder + "/fuzz.ini";
    }();
    return path;
}

void WriteAll(const std::string& path, const uint8_t* data, size_t size) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    Check(file != nullptr);
    Check(std::fwrite(data, 1, size, file) == size);
    Check(std::fclose(file) == 0);
}

std::string_view Trim(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; };
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

// Section and key names as the file spells them, roughly: the probes need not all exist.
std::vector<std::pair<std::string, std::string>> Probes(std::string_view text) {
    std::vector<std::pair<std::string, std::string>> probes;
    std::string section;
    while (!text.empty() && probes.size() < 64) {
        const size_t end = std::min(text.find('\n'), text.size());
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        const size_t open = line.find('[');
        const size_t close = line.rfind(']');
        const size_t equals = line.find('=');
        if (open != std::string_view::npos && close != std::string_view::npos && open < close) {
            section = Trim(line.substr(open + 1, close - open - 1));
        } else if (equals != std::string_view::npos) {
            probes.emplace_back(section, Trim(line.substr(0, equals)));
        }
    }
    return probes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string& path = FilePath();
    WriteAll(path, data, size);
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto probes = Probes(text);

    vorpline::IniFile ini(path);
    std::vector<std::string> before;
    for (const auto& [section, key] : probes) {
        before.push_back(ini.ReadString(section, key, "\x01"));
        Check(before.back().find('\n') == std::string::npos);
    }
    // A value taken from the input itself, line breaks and all.
    const std::string value(text.substr(size / 2, 40));
    const std::string section = probes.empty() ? "Fuzz" : probes.back().first;
    bool written = true;
    try {
        ini.WriteString(section, "FuzzKey", value);
    } catch (const std::invalid_argument&) {
        written = false; // a blank or multi-line section name from the input
    }
    ini.DeleteKey("Fuzz Gone", "Key");
    ini.UpdateFile();

    const vorpline::IniFile again(path);
    std::string expected = value;
    for (char& c : expected) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            c = ' ';
        }
    }
    if (written) {
        Check(again.ReadString(section, "FuzzKey", "\x01") == Trim(expected));
    }
    for (size_t i = 0; i < probes.size(); ++i) {
        const auto& [probeSection, key] = probes[i];
        if (written && SameName(key, "FuzzKey") && SameName(probeSection, section)) {
            continue; // the written key, perhaps in another spelling
        }
        Check(again.ReadString(probeSection, key, "\x01") == before[i]);
    }
    return 0;
}
