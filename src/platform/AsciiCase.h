#pragma once
#include <cstddef>
#include <string_view>

namespace vorpline {

// Whether two texts are equal when ASCII letters are compared without case, as names in
// configuration files, preset lists and preset lines are. Other bytes (UTF-8 included) must
// match exactly: folding them would need a locale, and these names are matched, not shown.
inline bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    const auto lower = [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    };
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

} // namespace vorpline
