#include "presets/CcPresetText.h"

#include <charconv>
#include <cstdint>

#include "platform/AsciiCase.h"

namespace vorpline {

namespace {

std::string_view Trim(std::string_view text) {
    const auto blank = [](char ch) { return ch == ' ' || ch == '\t'; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// A whole number that fits 32 bits, with an optional sign; nothing else.
std::optional<int32_t> ParseInt32(std::string_view text) {
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && text.front() == '-') {
            return std::nullopt;
        }
    }
    int32_t value = 0;
    const char* end = text.data() + text.size();
    auto [last, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || last != end) {
        return std::nullopt;
    }
    return value;
}

} // namespace

std::string NormaliseCcNumber(std::string_view text) {
    std::optional<int32_t> value = ParseInt32(Trim(text));
    return std::to_string(value.value_or(0));
}

uint8_t CcNumberOf(std::string_view text) {
    return static_cast<uint8_t>(ParseInt32(Trim(text)).value_or(0) & 0xFF);
}

CcPresetText::CcPresetText(std::span<const uint8_t> bytes) {
    std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    while (!text.empty()) {
        size_t end = text.find_first_of("\r\n");
        std::string_view line = text.substr(0, end);
        if (end == std::string_view::npos) {
            text = {};
        } else {
            // CR LF counts as one line end.
            size_t next = end + 1;
            if (text[end] == '\r' && next < text.size() && text[next] == '\n') {
                ++next;
            }
            text.remove_prefix(next);
        }
        size_t equals = line.find('=');
        if (equals != std::string_view::npos) {
            lines.emplace_back(line.substr(0, equals), line.substr(equals + 1));
        }
    }
}

std::optional<std::string> CcPresetText::ValueOf(std::string_view name) const {
    for (const auto& [key, value] : lines) {
        if (EqualsIgnoringAsciiCase(key, name)) {
            return value;
        }
    }
    return std::nullopt;
}

std::vector<uint8_t> CcPresetText::Format(const std::vector<std::string>& lines) {
    std::vector<uint8_t> bytes;
    for (const std::string& line : lines) {
        bytes.insert(bytes.end(), line.begin(), line.end());
        bytes.push_back('\r');
        bytes.push_back('\n');
    }
    return bytes;
}

} // namespace vorpline
