#pragma once
#include "engine/ParallelLines.h"

#include <cstdint>
#include <ostream>
#include <vector>

namespace vorpline::test {

// One access to the parallel lines. Control values are logic level, as ParallelLines takes
// them; for reads `value` is what the recorder answered.
struct LineEvent {
    enum class Kind { WriteData, ReadData, WriteControl, ReadControl };
    Kind kind;
    uint8_t value;

    bool operator==(const LineEvent&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const LineEvent& event) {
    static constexpr const char* kNames[] = {"WriteData", "ReadData", "WriteControl",
                                             "ReadControl"};
    return out << kNames[static_cast<int>(event.kind)] << "(0x" << std::hex
               << static_cast<int>(event.value) << std::dec << ")";
}

inline LineEvent DataOut(uint8_t value) {
    return {LineEvent::Kind::WriteData, value};
}
inline LineEvent DataIn(uint8_t value) {
    return {LineEvent::Kind::ReadData, value};
}
inline LineEvent ControlOut(uint8_t logicValue) {
    return {LineEvent::Kind::WriteControl, logicValue};
}
inline LineEvent ControlIn(uint8_t logicValue) {
    return {LineEvent::Kind::ReadControl, logicValue};
}

// Records every access in order. Reads return the last value written to the same lines, as
// a plain output latch would.
class RecordingParallelLines final : public ParallelLines {
public:
    void WriteData(uint8_t value) override {
        data = value;
        events.push_back({LineEvent::Kind::WriteData, value});
    }
    uint8_t ReadData() override {
        events.push_back({LineEvent::Kind::ReadData, data});
        return data;
    }
    void WriteControl(uint8_t logicValue) override {
        control = logicValue;
        events.push_back({LineEvent::Kind::WriteControl, logicValue});
    }
    uint8_t ReadControl() override {
        events.push_back({LineEvent::Kind::ReadControl, control});
        return control;
    }

    // Only the writes, reads left out: the values that reached the lines.
    std::vector<LineEvent> Writes() const {
        std::vector<LineEvent> writes;
        for (const LineEvent& event : events) {
            if (event.kind == LineEvent::Kind::WriteData ||
                event.kind == LineEvent::Kind::WriteControl) {
                writes.push_back(event);
            }
        }
        return writes;
    }

    std::vector<LineEvent> events;

private:
    uint8_t data = 0;
    uint8_t control = 0;
};

} // namespace vorpline::test
