#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vorpline {

// The text of a control-change preset: one line "function=number" per function, lines ended by
// CR LF ("Master Volume=7"). Numbers are whatever the user typed; how they become controller
// numbers is decided here too, so typing, learning and loading all agree.

// The number text as the grid should hold it: blanks trimmed, "" -> "0", otherwise the decimal
// text of its integer value, or "0" when it is not a whole number that fits 32 bits ("12 " ->
// "12", "+7" -> "7", "007" -> "7", "abc" -> "0", "1e3" -> "0").
std::string NormaliseCcNumber(std::string_view text);

// The controller number a typed text stands for: the low 8 bits of its normalised value, so
// "300" acts as 44 and "-1" as 255 (entries above 127 match no controller: the function is off).
uint8_t CcNumberOf(std::string_view text);

// The value of the first line whose name is `name` (ASCII letter case ignored), or nothing.
// Lines may end in CR LF, LF or CR; a line without "=" names nothing. Any bytes are accepted:
// whatever is not a known name is ignored by the caller.
class CcPresetText {
public:
    explicit CcPresetText(std::span<const uint8_t> bytes);
    std::optional<std::string> ValueOf(std::string_view name) const;
    std::size_t LineCount() const { return lines.size(); }

    // The file's bytes for `lines` ("name=value" each), every line ended by CR LF.
    static std::vector<uint8_t> Format(const std::vector<std::string>& lines);

private:
    std::vector<std::pair<std::string, std::string>> lines;
};

} // namespace vorpline
