#include "engine/MultiplierCents.h"

#include <cctype>
#include <charconv>

namespace vorpline {

uint8_t MultiplierIndexOfCents(int cents) {
    for (size_t i = 0; i < kMultiplierCentsTable.size(); ++i) {
        if (kMultiplierCentsTable[i] == cents) {
            return static_cast<uint8_t>(i);
        }
    }
    return kMultiplierNotFound;
}

std::string CentsText(int cents) {
    if (cents == 0) {
        return "0 cents";
    }
    return cents > 0 ? "+" + std::to_string(cents) : std::to_string(cents);
}

int CentsFromText(const std::string& text) {
    // The whole text must be an integer (blanks around it allowed), as a strict integer
    // conversion would take it; "0 cents" is therefore not a number and counts 0.
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && std::isspace(static_cast<unsigned char>(text[begin]))) {
        ++begin;
    }
    while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1]))) {
        --end;
    }
    if (begin < end && text[begin] == '+') {
        ++begin;
        if (begin < end && text[begin] == '-') {
            return 0;
        }
    }
    int value = 0;
    auto [ptr, ec] = std::from_chars(text.data() + begin, text.data() + end, value);
    if (ec != std::errc() || ptr != text.data() + end || begin == end) {
        return 0;
    }
    return value;
}

} // namespace vorpline
