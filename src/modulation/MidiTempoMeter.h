#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace vorpline {

// The tempo of an outside MIDI clock, measured from the arrival times of its ticks (24 per
// quarter note) over the last bar, so the millisecond jitter of the arrival times averages out
// to well under 0.1 BPM. A pause of more than kMaxGapMs (a stopped clock, or one so slow that
// no tempo means anything) starts the measurement again; until a beat's worth of ticks has come
// in there is no tempo. Main thread.
class MidiTempoMeter {
public:
    static constexpr std::size_t kWindowTicks = 96;
    static constexpr std::size_t kMinTicks = 24;
    static constexpr uint32_t kMaxGapMs = 2000;

    // A tick arrived at `nowMs` (a wrapping millisecond clock).
    void Tick(uint32_t nowMs);
    void Reset() { count = 0; }
    // Beats per minute over the ticks measured, or nothing yet.
    std::optional<double> Bpm() const;

private:
    std::array<uint32_t, kWindowTicks + 1> times{};
    std::size_t next = 0;  // where the next time goes
    std::size_t count = 0; // times held, up to kWindowTicks + 1
};

} // namespace vorpline
