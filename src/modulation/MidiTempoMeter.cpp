#include "modulation/MidiTempoMeter.h"

namespace vorpline {

namespace {

constexpr double kMsPerMinute = 60000.0;
constexpr double kTicksPerBeat = 24.0;

} // namespace

void MidiTempoMeter::Tick(uint32_t nowMs) {
    if (count > 0) {
        const uint32_t previous = times[(next + times.size() - 1) % times.size()];
        if (nowMs - previous > kMaxGapMs) {
            count = 0;
        }
    }
    times[next] = nowMs;
    next = (next + 1) % times.size();
    if (count < times.size()) {
        ++count;
    }
}

std::optional<double> MidiTempoMeter::Bpm() const {
    if (count < kMinTicks + 1) {
        return std::nullopt;
    }
    const uint32_t newest = times[(next + times.size() - 1) % times.size()];
    const uint32_t oldest = times[(next + times.size() - count) % times.size()];
    const uint32_t span = newest - oldest;
    if (span == 0) {
        return std::nullopt; // a burst faster than the clock can tell apart
    }
    return kMsPerMinute * static_cast<double>(count - 1) / (kTicksPerBeat * span);
}

} // namespace vorpline
