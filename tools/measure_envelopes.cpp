// Prints the envelope times of the accurate emulator for every effective rate 0..63, as the
// rows of the table in src/engine/EnvelopeRates.cpp. Run by hand (about half a minute):
//   vorpline-measure-envelopes
//
// Times the envelope of one operator on the accurate emulator, from its output sample by
// sample. The operator is the carrier of channel 0 at full level with the square waveform,
// whose output magnitude is the envelope's level at every sample whatever the phase; its
// modulator stays silent. An effective rate r (0..63, four per register step, as the chip
// counts them: 4 * rate + key-scaling offset) is set up as register rate r / 4 with the
// key-scaling offset r % 4, taken from the block and F-number bit 9 with KSR on.
//
// A rate whose stage does not finish within `limitMs` of chip time gives nothing (rate 0 never
// moves; effective rates 1..3 cannot be set, a register rate of 0 stops the envelope).

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "audio/YMF262.h"

namespace {

using vorpline::EmulatorCore;
using vorpline::YMF262;

struct AttackTiming {
    double riseMs; // output amplitude from 10% to 90% of the full level
    double fullMs; // key-on until the full level
};

constexpr double kMsPerFrame = 1000.0 / YMF262::kNativeRate;
constexpr int kRenderChunk = 256;
// Frames rendered after a key-on with the instant attack before the key-off, so the level
// is settled at its top.
constexpr int kSettleFrames = 64;

// Channel 0's carrier; the chip numbers it slot 3 in the operator registers.
constexpr uint8_t kCarrier = 0x03;
constexpr uint8_t kModulator = 0x00;

class ProbeChip {
public:
    explicit ProbeChip(int effectiveRate) {
        ok = chip.Init(1, YMF262::kClock, YMF262::kNativeRate) == YMF262::kInitOk;
        const int rate = effectiveRate / 4;
        const int offset = effectiveRate % 4;
        // KSR on: offset = block * 2 + F-number bit 9 (the note-select bit stays 0).
        const int block = offset >> 1;
        const int fnumber = (offset & 1) ? 0x200 : 0x100;
        keyBits = static_cast<uint8_t>(block << 2 | fnumber >> 8);
        Set(0x105, 0x01); // OPL3 mode: all eight waveforms
        Set(0x20 + kModulator, 0x01);
        Set(0x40 + kModulator, 0x3F);
        Set(0x20 + kCarrier, 0x11); // KSR, MULT 1
        Set(0x40 + kCarrier, 0x00); // full level, no level scaling
        Set(0xE0 + kCarrier, 0x06); // square
        Set(0xC0, 0x30);            // both outputs, FM: only the carrier is heard
        Set(0xA0, static_cast<uint8_t>(fnumber & 0xFF));
        rateNibble = static_cast<uint8_t>(rate);
    }

    bool Ok() const { return ok; }

    void Set(uint16_t reg, uint8_t value) {
        chip.Write(0, reg > 0xFF ? 2 : 0, static_cast<uint8_t>(reg & 0xFF));
        chip.Write(0, reg > 0xFF ? 3 : 1, value);
    }
    void Key(bool on) {
        // Rendered frames not yet looked at belong to the time before the key.
        next = buffer.size();
        frame = 0;
        Set(0xB0, static_cast<uint8_t>(keyBits | (on ? 0x20 : 0)));
    }
    uint8_t RateNibble() const { return rateNibble; }

    // Frames are counted from the last Key call. Renders on until `reached` holds for the
    // output magnitude of a frame and returns that frame's count (the first frame after the
    // key is frame 1), or -1 when `limitFrames` pass first.
    long Until(long limitFrames, const std::function<bool(int)>& reached) {
        while (frame < limitFrames) {
            if (next == buffer.size()) {
                chip.UpdateOne(0, buffer.data(), buffer.size() / 2);
                next = 0;
            }
            // Left channel only; a negative half-wave is the one's complement of the level.
            const int sample = buffer[next];
            next += 2;
            ++frame;
            if (reached(sample < 0 ? -sample - 1 : sample)) {
                return frame;
            }
        }
        return -1;
    }

    // The level held at 0 dB, from a key-on with the instant attack.
    int FullLevel() {
        Set(0x60 + kCarrier, 0xF0);
        Set(0x80 + kCarrier, 0x00);
        Key(true);
        int level = 0;
        Until(kSettleFrames, [&level](int magnitude) {
            level = magnitude;
            return false;
        });
        return level;
    }

private:
    YMF262 chip{EmulatorCore::kAccurate};
    bool ok = false;
    uint8_t keyBits = 0;
    uint8_t rateNibble = 0;
    std::vector<int16_t> buffer = std::vector<int16_t>(2 * kRenderChunk);
    size_t next = 2 * kRenderChunk;
    long frame = 0;
};

long LimitFrames(double limitMs) {
    return static_cast<long>(limitMs / kMsPerFrame) + 1;
}

std::optional<AttackTiming> ProbeAttack(int effectiveRate, double limitMs) {
    ProbeChip reference(effectiveRate);
    const int full = reference.FullLevel();
    ProbeChip chip(effectiveRate);
    if (!chip.Ok() || full <= 0) {
        return std::nullopt;
    }
    // Attack, then no decay: the level stays at the top once there.
    chip.Set(0x60 + kCarrier, static_cast<uint8_t>(chip.RateNibble() << 4));
    chip.Set(0x80 + kCarrier, 0x00);
    chip.Key(true);
    const long limit = LimitFrames(limitMs);
    const long low = chip.Until(limit, [full](int m) { return m * 10 >= full; });
    const long high = chip.Until(limit, [full](int m) { return m * 10 >= full * 9; });
    const long top = chip.Until(limit, [full](int m) { return m >= full; });
    if (low < 0 || high < 0 || top < 0) {
        return std::nullopt;
    }
    return AttackTiming{(high - low) * kMsPerFrame, top * kMsPerFrame};
}

std::optional<double> ProbeRelease(int effectiveRate, double limitMs) {
    ProbeChip chip(effectiveRate);
    const int full = chip.FullLevel();
    if (!chip.Ok() || full <= 0) {
        return std::nullopt;
    }
    chip.Set(0x80 + kCarrier, chip.RateNibble());
    chip.Key(false);
    // -48 dB is 1/251.2 of the amplitude.
    const double threshold = full * std::pow(10.0, -48.0 / 20.0);
    const long at =
        chip.Until(LimitFrames(limitMs / 2), [threshold](int m) { return m <= threshold; });
    if (at < 0) {
        return std::nullopt;
    }
    return 2.0 * at * kMsPerFrame;
}

std::string Cell(std::optional<double> ms) {
    if (!ms) {
        return "kNever";
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.4f", *ms);
    return text;
}

} // namespace

int main() {
    // Longer than the slowest stage (effective rate 4, some 42 s): beyond it nothing moves.
    constexpr double kLimitMs = 200000.0;
    for (int rate = 0; rate < 64; ++rate) {
        const auto attack = ProbeAttack(rate, kLimitMs);
        const auto release = ProbeRelease(rate, kLimitMs);
        std::printf("    {%s, %s, %s}, // %d\n",
                    Cell(attack ? std::optional(attack->riseMs) : std::nullopt).c_str(),
                    Cell(attack ? std::optional(attack->fullMs) : std::nullopt).c_str(),
                    Cell(release).c_str(), rate);
    }
    return 0;
}
