// LFO presets come from other musicians: any 416 bytes must load into the eight LFOs, run them
// without fault, and store back to records that load to the same settings again.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <vector>

#include "midi/CcMap.h"
#include "midi/MidiOut.h"
#include "modulation/TFrameLFO.h"

namespace vorpline {
// The LFOs run here without an auxiliary output (null), so the port is never reached.
bool MidiOut::SendControl(uint8_t, uint8_t, uint8_t) {
    __builtin_trap();
}
} // namespace vorpline

namespace {

using vorpline::TFrameLFO;
using Record = std::array<uint8_t, TFrameLFO::kRecordSize>;

const std::vector<std::string>& Names() {
    static const std::vector<std::string> names(vorpline::kCcFunctionNames.begin(),
                                                vorpline::kCcFunctionNames.end());
    return names;
}

Record Stored(const TFrameLFO& lfo) {
    Record record;
    record.fill(0xFF);
    lfo.StoreRecord(record);
    return record;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The window reads only files of exactly 416 bytes; any input is cut or padded to that, so
    // every run exercises the records.
    constexpr size_t kLfos = 8;
    std::array<uint8_t, kLfos * TFrameLFO::kRecordSize> file;
    file.fill(0xFF);
    std::memcpy(file.data(), data, std::min(size, file.size()));
    for (size_t i = 0; i < kLfos; ++i) {
        Record bytes;
        std::memcpy(bytes.data(), file.data() + i * bytes.size(), bytes.size());
        int sent = 0;
        TFrameLFO::Links links{
            [&sent](uint32_t, uint32_t) { ++sent; }, [] {}, [] { return true; }, {}};
        TFrameLFO lfo;
        lfo.Init(static_cast<int>(i), Names(), &vorpline::kDefaultCcNumbers, nullptr, links);
        lfo.LoadRecord(bytes);
        const Record first = Stored(lfo);
        TFrameLFO again;
        again.Init(static_cast<int>(i), Names(), &vorpline::kDefaultCcNumbers, nullptr, links);
        again.LoadRecord(first);
        if (Stored(again) != first) {
            __builtin_trap();
        }
        // Run it through two cycles of its settings and every modulation input.
        lfo.Trigger(true);
        for (int tick = 0; tick < 400; ++tick) {
            lfo.Tick();
            if (tick % 50 == 0) {
                lfo.ModulationEvent(bytes[static_cast<size_t>(tick / 50) % bytes.size()]);
            }
        }
        lfo.NoteEvent(bytes[0] & 0x7F, 100, true);
        lfo.Switch1Event(bytes[1]);
        lfo.Switch2Event(bytes[2]);
    }
    return 0;
}
