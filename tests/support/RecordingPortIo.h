#pragma once
#include "engine/PortIo.h"

#include <cstdint>
#include <deque>
#include <map>
#include <ostream>
#include <vector>

namespace vorpline::test {

// One port transfer as a PortIo user made it. For reads `value` is what the recorder answered.
struct PortEvent {
    enum class Kind { Out8, In8, Out16, In16 };
    Kind kind;
    uint16_t port;
    uint16_t value;

    bool operator==(const PortEvent&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const PortEvent& event) {
    static constexpr const char* kNames[] = {"Out8", "In8", "Out16", "In16"};
    return out << kNames[static_cast<int>(event.kind)] << "(0x" << std::hex << event.port << ", 0x"
               << event.value << std::dec << ")";
}

inline PortEvent Out8(uint16_t port, uint16_t value) {
    return {PortEvent::Kind::Out8, port, value};
}
inline PortEvent In8(uint16_t port, uint16_t value) {
    return {PortEvent::Kind::In8, port, value};
}
inline PortEvent Out16(uint16_t port, uint16_t value) {
    return {PortEvent::Kind::Out16, port, value};
}
inline PortEvent In16(uint16_t port, uint16_t value) {
    return {PortEvent::Kind::In16, port, value};
}

// PortIo that records every transfer in order. Reads answer from `replies[port]` front to back,
// then `idleValue` (an empty ISA bus reads 0xFF).
class RecordingPortIo final : public PortIo {
public:
    void Out8(uint16_t port, uint8_t value) override {
        events.push_back({PortEvent::Kind::Out8, port, value});
    }
    uint8_t In8(uint16_t port) override {
        const auto value = static_cast<uint8_t>(NextReply(port));
        events.push_back({PortEvent::Kind::In8, port, value});
        return value;
    }
    void Out16(uint16_t port, uint16_t value) override {
        events.push_back({PortEvent::Kind::Out16, port, value});
    }
    uint16_t In16(uint16_t port) override {
        const uint16_t value = NextReply(port);
        events.push_back({PortEvent::Kind::In16, port, value});
        return value;
    }

    std::vector<PortEvent> events;
    std::map<uint16_t, std::deque<uint16_t>> replies;
    uint16_t idleValue = 0xFF;

private:
    uint16_t NextReply(uint16_t port) {
        auto found = replies.find(port);
        if (found == replies.end() || found->second.empty()) {
            return idleValue;
        }
        const uint16_t value = found->second.front();
        found->second.pop_front();
        return value;
    }
};

} // namespace vorpline::test
