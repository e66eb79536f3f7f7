#include "config/PciPortScanner.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string_view>

#include "platform/FileBytes.h"

namespace vorpline {

namespace {

struct PciId {
    uint32_t vendor;
    uint32_t device;
};

PciId IdOf(PciCard card) {
    switch (card) {
    case PciCard::FM801:
        return {0x1319, 0x0801};
    case PciCard::SOLO1:
        return {0x125D, 0x1969};
    case PciCard::ALS4000:
        return {0x4005, 0x4000};
    }
    return {0, 0};
}

// The kernel's resource flag for an I/O port range (IORESOURCE_IO).
constexpr uint64_t kIoResource = 0x100;
// Lines 0..5 of `resource` are the six BARs; the ROM and bridge windows follow.
constexpr size_t kBarCount = 6;
constexpr size_t kSolo1ChipBar = 2;
// The files are a few hundred bytes; a bound keeps a broken tree from being read whole.
constexpr size_t kMaxFileBytes = 4096;

std::optional<std::string> ReadSmallFile(const std::filesystem::path& file) {
    FileBytes read = ReadFileBytes(file, kMaxFileBytes);
    if (!read) {
        return std::nullopt;
    }
    return std::string(read.bytes.begin(), read.bytes.end());
}

std::string_view TrimSpace(std::string_view text) {
    constexpr std::string_view kSpace = " \t\r\n";
    const size_t first = text.find_first_not_of(kSpace);
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(kSpace) - first + 1);
}

// "0x1a2b", as sysfs prints IDs and resources. Nothing else is accepted.
std::optional<uint64_t> ParseHex(std::string_view text) {
    if (text.size() < 3 || text[0] != '0' || (text[1] != 'x' && text[1] != 'X')) {
        return std::nullopt;
    }
    uint64_t value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data() + 2, end, value, 16);
    if (error != std::errc() || stop != end) {
        return std::nullopt;
    }
    return value;
}

std::optional<uint64_t> ReadHexFile(const std::filesystem::path& file) {
    const auto text = ReadSmallFile(file);
    if (!text) {
        return std::nullopt;
    }
    return ParseHex(TrimSpace(*text));
}

struct Bar {
    uint64_t start;
    uint64_t flags;
};

// One `resource` line: "start end flags", three hex numbers.
std::optional<Bar> ParseResourceLine(std::string_view line) {
    std::optional<uint64_t> fields[3];
    for (auto& field : fields) {
        line = TrimSpace(line);
        const size_t gap = line.find_first_of(" \t");
        field = ParseHex(line.substr(0, gap));
        if (!field) {
            return std::nullopt;
        }
        line = gap == std::string_view::npos ? std::string_view{} : line.substr(gap);
    }
    if (!TrimSpace(line).empty()) {
        return std::nullopt;
    }
    return Bar{*fields[0], *fields[2]};
}

// The start of every assigned I/O BAR, indexed by BAR number.
std::vector<std::optional<uint16_t>> IoBars(const std::filesystem::path& resourceFile) {
    std::vector<std::optional<uint16_t>> bars(kBarCount);
    const auto text = ReadSmallFile(resourceFile);
    if (!text) {
        return bars;
    }
    std::string_view rest = *text;
    for (size_t index = 0; index < kBarCount && !rest.empty(); ++index) {
        const size_t end = rest.find('\n');
        const auto bar = ParseResourceLine(rest.substr(0, end));
        rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
        // Start 0 means the kernel assigned no ports; no card decodes port 0.
        if (bar && (bar->flags & kIoResource) != 0 && bar->start != 0) {
            bars[index] = static_cast<uint16_t>(bar->start);
        }
    }
    return bars;
}

} // namespace

PciPortScanner::PciPortScanner(std::string root) : root(std::move(root)) {}

std::vector<uint16_t> PciPortScanner::Scan(PciCard card) const {
    const PciId wanted = IdOf(card);
    std::vector<uint16_t> bases;
    std::error_code error;
    std::filesystem::directory_iterator entries(root, error);
    if (error) {
        return bases;
    }
    for (const auto end = std::filesystem::directory_iterator(); entries != end;
         entries.increment(error)) {
        if (error) {
            break;
        }
        const std::filesystem::path folder = entries->path();
        const auto vendor = ReadHexFile(folder / "vendor");
        const auto device = ReadHexFile(folder / "device");
        if (!vendor || !device || *vendor != wanted.vendor || *device != wanted.device) {
            continue;
        }
        const auto bars = IoBars(folder / "resource");
        if (card == PciCard::SOLO1) {
            if (bars[kSolo1ChipBar]) {
                bases.push_back(*bars[kSolo1ChipBar]);
            }
            continue;
        }
        for (const auto& bar : bars) {
            if (bar) {
                bases.push_back(*bar);
            }
        }
    }
    std::sort(bases.begin(), bases.end());
    return bases;
}

} // namespace vorpline
