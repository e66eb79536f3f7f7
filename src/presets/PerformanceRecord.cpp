#include "presets/PerformanceRecord.h"

#include <algorithm>
#include <limits>

#include "platform/FileBytes.h"
#include "platform/IniFile.h"
#include "presets/PresetFolder.h"

namespace vorpline {

namespace {

namespace fs = std::filesystem;

struct NameField {
    std::size_t offset;
    std::string PerformanceRecord::*name;
};

struct NumberField {
    std::size_t offset;
    uint32_t PerformanceRecord::*number;
};

struct FlagField {
    std::size_t offset;
    bool PerformanceRecord::*flag;
};

constexpr NameField kNames[] = {
    {0, &PerformanceRecord::preset}, {260, &PerformanceRecord::drum},
    {524, &PerformanceRecord::cc},   {780, &PerformanceRecord::lfo},
    {1040, &PerformanceRecord::seq}, {1300, &PerformanceRecord::bend},
};
constexpr NumberField kNumbers[] = {
    {256, &PerformanceRecord::bank},
    {516, &PerformanceRecord::clockSource},
    {520, &PerformanceRecord::tempo},
};
constexpr FlagField kFlags[] = {
    {1036, &PerformanceRecord::lfoEnable},
    {1296, &PerformanceRecord::seqEnable},
    {1556, &PerformanceRecord::bendEnable},
};

uint32_t GetU32(std::span<const uint8_t> bytes, std::size_t at) {
    return static_cast<uint32_t>(bytes[at]) | static_cast<uint32_t>(bytes[at + 1]) << 8 |
           static_cast<uint32_t>(bytes[at + 2]) << 16 | static_cast<uint32_t>(bytes[at + 3]) << 24;
}

void PutU32(std::span<uint8_t> bytes, std::size_t at, uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i) {
        bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
    }
}

// The longest prefix of `text` of at most `limit` bytes that does not end inside a UTF-8
// sequence (a cut name still displays as text).
std::size_t CutAt(const std::string& text, std::size_t limit) {
    if (text.size() <= limit) {
        return text.size();
    }
    std::size_t cut = limit;
    // Step back over continuation bytes to the start of the character the limit splits.
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) {
        --cut;
    }
    return cut;
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

std::optional<PerformanceRecord> DecodePerformance(std::span<const uint8_t> bytes) {
    if (bytes.size() != PerformanceRecord::kSize) {
        return std::nullopt;
    }
    PerformanceRecord record;
    for (const NameField& field : kNames) {
        const auto text = bytes.subspan(field.offset, PerformanceRecord::kNameField);
        const auto end = std::find(text.begin(), text.end(), uint8_t{0});
        record.*field.name = std::string(text.begin(), end);
    }
    for (const NumberField& field : kNumbers) {
        record.*field.number = GetU32(bytes, field.offset);
    }
    for (const FlagField& field : kFlags) {
        record.*field.flag = GetU32(bytes, field.offset) != 0;
    }
    return record;
}

std::array<uint8_t, PerformanceRecord::kSize> EncodePerformance(const PerformanceRecord& record) {
    std::array<uint8_t, PerformanceRecord::kSize> bytes{};
    for (const NameField& field : kNames) {
        const std::string& name = record.*field.name;
        // A zero inside a name would end it early on reading: the name stops there now.
        const std::string text = name.substr(0, name.find('\0'));
        std::copy_n(text.begin(), CutAt(text, PerformanceRecord::kMaxNameBytes),
                    bytes.begin() + static_cast<std::ptrdiff_t>(field.offset));
    }
    for (const NumberField& field : kNumbers) {
        PutU32(bytes, field.offset, record.*field.number);
    }
    for (const FlagField& field : kFlags) {
        PutU32(bytes, field.offset, record.*field.flag ? 1 : 0);
    }
    return bytes;
}

std::optional<PerformanceRecord> ReadPerformanceFile(const fs::path& file) {
    FileBytes read = ReadFileBytes(file, PerformanceRecord::kSize + 1);
    if (!read) {
        return std::nullopt;
    }
    return DecodePerformance(read.bytes);
}

bool WritePerformanceFile(const fs::path& file, const PerformanceRecord& record) {
    const auto bytes = EncodePerformance(record);
    return ReplaceFileContents(file, bytes);
}

uint32_t PerformanceTempo(const std::string& text) {
    const auto value = IniFile::ParseInteger(text);
    return value && *value >= 0 && *value <= std::numeric_limits<uint32_t>::max()
               ? static_cast<uint32_t>(*value)
               : PerformanceRecord::kFallbackTempo;
}

const std::string& PerformanceBankFolder(uint32_t bank) {
    static const std::array<std::string, 3> kFolders = {"2op", "4op", "6op"};
    return kFolders[bank < kFolders.size() ? bank : 0];
}

std::vector<std::string> ListPerformances(const fs::path& root) {
    const std::string& extension = PerformanceRecord::kExtension;
    std::vector<std::string> titles;
    std::error_code ec;
    for (fs::directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string file = it->path().filename().string();
        std::error_code entryError;
        if (file.size() > extension.size() && file.ends_with(extension) &&
            it->is_regular_file(entryError) &&
            it->file_size(entryError) == PerformanceRecord::kSize && !entryError) {
            std::string title = file.substr(0, file.size() - extension.size());
            // A file no title can name (".hidden.vpx") could be neither loaded nor deleted.
            if (PresetFolder::NameProblem(title).empty()) {
                titles.push_back(std::move(title));
            }
        }
    }
    std::sort(titles.begin(), titles.end(), [](const std::string& a, const std::string& b) {
        const auto less = [](char x, char y) { return Lower(x) < Lower(y); };
        if (std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), less)) {
            return true;
        }
        return !std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(), less) && a < b;
    });
    return titles;
}

bool IsValidUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x80) {
            ++i;
            continue;
        }
        // Sequence length, the lead byte's payload and the lowest value of that length (a
        // smaller one is an overlong form). 0xC0, 0xC1 and 0xF5..0xFF lead nothing valid.
        std::size_t length = 4;
        uint32_t value = lead & 0x07u;
        uint32_t lowest = 0x10000;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            value = lead & 0x1Fu;
            lowest = 0x80;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            value = lead & 0x0Fu;
            lowest = 0x800;
        } else if (lead < 0xF0 || lead > 0xF4) {
            return false; // a stray continuation byte, or a lead byte no character has
        }
        if (text.size() - i < length) {
            return false;
        }
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) {
                return false;
            }
            value = value << 6 | (next & 0x3Fu);
        }
        if (value < lowest || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
            return false;
        }
        i += length;
    }
    return true;
}

} // namespace vorpline
