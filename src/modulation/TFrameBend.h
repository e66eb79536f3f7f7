#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "controls/Button.h"
#include "controls/CheckBox.h"
#include "controls/ComboBox.h"
#include "controls/Edit.h"
#include "controls/TrackBar.h"

namespace vorpline {

// One programmable 8-bit bend: a byte passes a forcing stage and then a rewiring stage,
//
//   v = ((x & AND) | OR) ^ EOR;   result bit i = bit connect[i] of v.
//
// Every edit keeps OR a subset of AND, so each bit is in one of three states the "Short" track
// bar shows: forced 0 (AND 0, OR 0, position 0), passed (AND 1, OR 0, position 1) or forced 1
// (AND 1, OR 1, position 2). The state lives here; the controls show it and edit it.
//
// Record (16 bytes, as stored in ".bnd" files):
//   0 AND, 1 OR, 2 EOR, 3..7 not used (left as the caller filled them, 0xFF in files),
//   8..15 connect map: byte i = the source bit 0..7 of output bit i.
//
// Threads: edits and handlers on the main thread. BendByte only reads the three masks and the
// map, and the engine calls it on the main thread too.
class TFrameBend {
public:
    static constexpr int kBits = 8;
    static constexpr std::size_t kRecordSize = 16;
    // Track bar positions.
    static constexpr int kForced0 = 0;
    static constexpr int kPassed = 1;
    static constexpr int kForced1 = 2;

    // A pseudo-random number; "Rand." uses its low bits.
    using RandomSource = std::function<uint32_t()>;

    // `random` feeds "Rand."; empty = a generator seeded from the clock.
    explicit TFrameBend(RandomSource random = {});
    // A generator seeded from the clock, so "Rand." differs from one run to the next.
    static RandomSource SeededFromClock();
    TFrameBend(const TFrameBend&) = delete;
    TFrameBend& operator=(const TFrameBend&) = delete;

    uint8_t BendByte(uint8_t x) const;

    uint8_t And() const { return andMask; }
    uint8_t Or() const { return orMask; }
    uint8_t Eor() const { return eorMask; }
    const std::array<uint8_t, kBits>& Connect() const { return connect; }

    // Each keeps OR within AND (SetAnd narrows OR, SetOr widens AND) and refreshes the controls.
    void SetAnd(uint8_t value);
    void SetOr(uint8_t value);
    void SetEor(uint8_t value);
    // AND 0xFF, OR 0, EOR 0, the identity map.
    void Reset();
    // Bytes 0-2 and 8-15; bytes 3-7 are left as they are.
    void StoreRecord(std::span<uint8_t, kRecordSize> record) const;
    // Any 16 bytes load: an OR bit outside AND widens AND (the bend then does what the record
    // says, as OR forces the bit whatever AND holds), and a connect byte keeps its low three
    // bits, so every output bit takes one of the eight inputs.
    void LoadRecord(std::span<const uint8_t, kRecordSize> record);

    // A mask as typed: decimal or hexadecimal after "0x", "0X" or "$", blanks around it and a
    // sign allowed, the low 8 bits of the number kept. Nothing when it is not a number whose
    // magnitude fits in 32 bits.
    static std::optional<uint8_t> ParseMask(std::string_view text);
    // "0x" and two upper-case hexadecimal digits: "0x0F".
    static std::string MaskText(uint8_t mask);

    // --- handlers (the shared ones act on the bit of the control that fired) ---
    void TrackBar0Change(const TrackBar& sender);
    void CheckBox0Click(const CheckBox& sender);
    void ComboBox0Change(const ComboBox& sender);
    // Enter ('\r') takes the text; other keys do nothing.
    void EditAndKeyUp(int key);
    void EditOrKeyUp(int key);
    void EditEorKeyUp(int key);
    void ButtonRandomClick();
    void ButtonFlipClick();
    void ButtonResetClick();

    // Row i ("b0" .. "b7"): "Short" (tag 1 << i), "Invert" (tag 1 << i), "Connect" (tag i).
    std::array<TrackBar, kBits> TrackBars;
    std::array<CheckBox, kBits> CheckBoxes;
    std::array<ComboBox, kBits> ComboBoxes;
    Edit EditAnd;
    Edit EditOr;
    Edit EditEor;
    Button ButtonRandom;
    Button ButtonFlip;
    Button ButtonReset;

private:
    void Wire();
    // Every control from the state; no handler acts meanwhile.
    void Refresh();

    uint8_t andMask = 0xFF;
    uint8_t orMask = 0x00;
    uint8_t eorMask = 0x00;
    std::array<uint8_t, kBits> connect{0, 1, 2, 3, 4, 5, 6, 7};
    RandomSource random;
    bool refreshing = false;
};

} // namespace vorpline
