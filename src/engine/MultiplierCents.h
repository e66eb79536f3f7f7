#pragma once
#include <array>
#include <cstdint>
#include <string>

namespace vorpline {

// Cents of each MULT value 0..15 relative to MULT 1: the multipliers 0.5, 1, 2 .. 15 rounded
// to 10 cents. MULT 10/11, 12/13 and 14/15 share a value, so a cents value names the first.
inline constexpr std::array<int16_t, 16> kMultiplierCentsTable = {
    -1200, 0, 1200, 1900, 2400, 2790, 3100, 3370, 3600, 3800, 3990, 3990, 4300, 4300, 4690, 4690};

inline constexpr uint8_t kMultiplierNotFound = 0xFF;

// MULT for a cents value: the first match, or kMultiplierNotFound.
uint8_t MultiplierIndexOfCents(int cents);

// "+1200", "-1200", "0 cents"; any value in the table's display form.
std::string CentsText(int cents);

// Whole-number reading of a cents text as a musician types it: "+1200" is 1200, "-4690" is
// -4690, and anything that does not start with a number ("0 cents", "abc") counts as 0.
int CentsFromText(const std::string& text);

} // namespace vorpline
