#pragma once
#include <cstdint>
#include <vector>

#include "engine/ChipBackend.h"

namespace vorpline::test {

// Remembers every register write the engine sends, as the chip would see it.
class RecordingBackend : public ChipBackend {
public:
    struct Entry {
        int bank;
        uint8_t address;
        uint8_t value;
        uint16_t extraDelay;
        uint16_t Register() const { return static_cast<uint16_t>(bank * 0x100 + address); }
    };

    void Write(int bank, uint8_t address, uint8_t value, uint16_t extraDelay) override {
        writes.push_back({bank, address, value, extraDelay});
    }

    // Writes to one register, in order.
    std::vector<uint8_t> ValuesOf(uint16_t reg) const {
        std::vector<uint8_t> values;
        for (const auto& w : writes) {
            if (w.Register() == reg) {
                values.push_back(w.value);
            }
        }
        return values;
    }

    std::vector<Entry> writes;
};

} // namespace vorpline::test
