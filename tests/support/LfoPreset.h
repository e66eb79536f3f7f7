#pragma once
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace vorpline::test {

// One LFO record as a ".lfo" file stores it: sixteen bytes (enable, unused 0xFF, send function,
// destination, receive box and target, trigger "Start", function, duty 50, flags, note and
// octave filters, resolution multipliers 1), then nine 32-bit little-endian integers: n,
// cycles (endless), offset 64, amplitude 64, phase 0, duration, first and repeat delay and
// attack 0.
inline std::vector<uint8_t> LfoRecord(bool enable, uint8_t send, uint8_t function, int32_t n,
                                      int32_t durationTicks) {
    std::vector<uint8_t> record = {enable, 0xFF, send, 0, 0, 0, 0, function,
                                   50,     0,    0,    0, 1, 1, 1, 1};
    for (int32_t value : {n, int32_t{0x7FFFFFFF}, int32_t{64}, int32_t{64}, int32_t{0},
                          durationTicks, int32_t{0}, int32_t{0}, int32_t{0}}) {
        for (int byte = 0; byte < 4; ++byte) {
            record.push_back(static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * byte)));
        }
    }
    return record;
}

// A preset of eight records: `first` for LFO 1, the other seven switched off. Returns whether
// all 416 bytes were written.
inline bool WriteLfoPreset(const std::string& file, const std::vector<uint8_t>& first) {
    std::vector<uint8_t> preset = first;
    for (int lfo = 1; lfo < 8; ++lfo) {
        const std::vector<uint8_t> off = LfoRecord(false, 0, 3, 2, 24);
        preset.insert(preset.end(), off.begin(), off.end());
    }
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(preset.data()), static_cast<long>(preset.size()));
    return preset.size() == 416 && out.good();
}

} // namespace vorpline::test
