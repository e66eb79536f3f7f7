#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

namespace vorpline {

// One operator of a preset. reg[] holds the operator's values of registers
// 0x20 (AM VIB EGT KSR MULT), 0x40 (KSL TL), 0x60 (AR DR), 0x80 (SL RR) and 0xE0 (WS);
// the rest are the editor's settings that travel in PatchExt on disk.
struct OperatorRecord {
    static constexpr int16_t kNoTuningEntry = -1; // 0xFFFF on disk
    std::array<uint8_t, 5> reg{};
    std::array<int16_t, 16> tuning{}; // cents for MULT 0..15
    bool cc = false;
    bool damper = false;
    uint8_t offset = 0; // velocity offset 0..127
    uint8_t target = 0; // velocity target 0 Off, 1 Volume, 2 Attack, 3 Decay, 4 Sustain, 5 Release
};

// A preset's register content: six operators and three channel bytes in register 0xC0 form
// (bit 0 CNT, bits 1-3 FB, bit 4 left, bit 5 right).
struct PatchRecord {
    std::array<OperatorRecord, 6> op{};
    uint8_t channel12 = 0; // register 0xC0 of the pair's first channel
    uint8_t channel34 = 0; // register 0xC3: CNT and outputs only
    uint8_t channel56 = 0; // register 0xC6
};

// Every non-register setting of a preset, as the 240 bytes stored in 6-operator files.
// Kept as raw bytes because the file layout is the definition; the named offsets are the ones
// the engine reads.
struct PatchExt {
    static constexpr int kSize = 240;
    static constexpr int kOutputs = 8;          // bit 0 L 1-4, 1 R 1-4, 2 L 5/6, 3 R 5/6
    static constexpr int kDepths = 9;           // bit 0 tremolo depth, bit 1 vibrato depth
    static constexpr int kDamperBits = 210;     // bit o = operator o
    static constexpr int kVelocityOffset = 212; // 6 bytes
    static constexpr int kMode1234 = 218;
    static constexpr int kMode56 = 219;
    static constexpr int kVelocityTarget = 220; // 6 bytes
    static constexpr int kPriority1234 = 226;
    static constexpr int kPriority56 = 227;

    std::array<uint8_t, kSize> bytes{};
    uint8_t operator[](int i) const { return bytes[static_cast<std::size_t>(i)]; }
    uint8_t& operator[](int i) { return bytes[static_cast<std::size_t>(i)]; }
};

} // namespace vorpline
