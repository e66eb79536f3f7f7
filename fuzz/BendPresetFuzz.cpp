// Circuit Bend presets come from other musicians: any 50 bytes must load into the three bends,
// keep OR within AND and every connection on one of the eight bits, bend every byte as the
// stored record says, and store back to bytes that load to the same settings again.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

#include "FuzzCheck.h"
#include "modulation/TFormBend.h"

namespace {

using vorpline::TFormBend;
using vorpline::TFrameBend;

// The bend a record describes, computed from the record alone.
uint8_t Expected(std::span<const uint8_t, TFrameBend::kRecordSize> record, uint8_t x) {
    const auto v = static_cast<uint8_t>(((x & record[0]) | record[1]) ^ record[2]);
    uint8_t result = 0;
    for (int i = 0; i < TFrameBend::kBits; ++i) {
        result |= static_cast<uint8_t>(((v >> record[8 + static_cast<std::size_t>(i)]) & 1) << i);
    }
    return result;
}

using vorpline::fuzz::Check;

void CheckFrames(TFormBend& form) {
    const auto stored = form.PresetBytes();
    const std::span<const uint8_t> all(stored);
    const TFrameBend* frames[] = {&form.FrameRegister, &form.FrameData, &form.FrameCC};
    for (std::size_t f = 0; f < 3; ++f) {
        const TFrameBend& frame = *frames[f];
        const auto record =
            all.subspan(f * TFrameBend::kRecordSize).first<TFrameBend::kRecordSize>();
        Check((frame.Or() & ~frame.And()) == 0);
        for (std::size_t i = 3; i < 8; ++i) {
            Check(record[i] == 0xFF);
        }
        for (std::size_t i = 0; i < TFrameBend::kBits; ++i) {
            Check(frame.Connect()[i] < TFrameBend::kBits);
            Check(frame.ComboBoxes[i].ItemIndex() == frame.Connect()[i]);
        }
        for (int x = 0; x < 256; ++x) {
            Check(frame.BendByte(static_cast<uint8_t>(x)) ==
                  Expected(record, static_cast<uint8_t>(x)));
        }
    }
    Check((stored[TFormBend::kFlagsOffset] & 0xC0) == 0);
    Check(stored[TFormBend::kPresetSize - 1] == 0xFF);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TFormBend form("/nonexistent", {}, [n = 0u]() mutable { return n++ * 2654435761u; });
    // Only exactly 50 bytes load.
    Check(form.LoadPresetBytes({data, size}) == (size == TFormBend::kPresetSize));
    // Any input is cut or padded to 50 bytes, so every run exercises the records.
    std::array<uint8_t, TFormBend::kPresetSize> file;
    file.fill(0xFF);
    std::memcpy(file.data(), data, std::min(size, file.size()));
    Check(form.LoadPresetBytes(file));
    CheckFrames(form);
    const auto first = form.PresetBytes();
    TFormBend again("/nonexistent", {});
    Check(again.LoadPresetBytes(first));
    Check(again.PresetBytes() == first);

    // Played: the controller loads the masks, the buttons change them; the rules still hold.
    form.CheckBoxEnable.SetChecked(true);
    for (std::size_t i = 0; i < std::min<std::size_t>(size, 64); ++i) {
        form.CcEvent(data[i] & 0x7F);
        form.BendRegister(data[i]);
        form.BendData(data[i]);
    }
    form.FrameData.ButtonFlip.Click();
    form.FrameCC.ButtonRandom.Click();
    CheckFrames(form);
    return 0;
}
