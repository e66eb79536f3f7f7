// Sequences come from other musicians: any 144 bytes must load into the twelve steps, store
// back to records that load to the same settings again, and play without fault. Bytes beyond
// the 144 are a performance: keys struck and released and clock ticks, with every note the
// steps post handed back to the window as the engine would (once or, for a note both parts
// play, twice), which must never make the steps feed each other endlessly.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "modulation/TFormSeq.h"

namespace {

using vorpline::TFormSeq;
using vorpline::TFrameNote;
using Record = std::array<uint8_t, TFrameNote::kRecordSize>;
// Twelve steps can answer one event with a few dozen notes; a thousand means they never stop.
constexpr std::size_t kMaxEventsPerInput = 1000;

Record Stored(const TFrameNote& step) {
    Record record;
    record.fill(0xFF);
    step.StoreRecord(record);
    return record;
}

struct Engine {
    std::vector<uint32_t> posted;
    int reports = 1;

    // Each posted note comes back as the engine's note event.
    void Drain(TFormSeq& seq) {
        for (std::size_t i = 0; i < posted.size(); ++i) {
            const uint32_t packed = posted[i];
            const auto status = static_cast<uint8_t>(packed);
            const auto note = static_cast<uint8_t>(packed >> 8);
            const auto velocity = static_cast<uint8_t>(packed >> 16);
            if ((status != TFrameNote::kNoteOnStatus && status != TFrameNote::kNoteOffStatus) ||
                note > 127 || packed >> 24 != 0xFE || i >= kMaxEventsPerInput) {
                __builtin_trap();
            }
            for (int part = 0; part < reports; ++part) {
                seq.ClockNote(note, velocity, status == TFrameNote::kNoteOnStatus);
            }
        }
        posted.clear();
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The window reads only files of exactly 144 bytes; the input is cut or padded to that.
    std::array<uint8_t, TFormSeq::kPresetSize> file;
    file.fill(0xFF);
    std::memcpy(file.data(), data, std::min(size, file.size()));
    Engine engine;
    TFormSeq seq("/nonexistent", {}, [&engine](uint32_t packed, uint32_t param) {
        if (param != 0) {
            __builtin_trap();
        }
        engine.posted.push_back(packed);
    });
    seq.CheckBoxEnable.SetChecked(true);
    for (std::size_t i = 0; i < seq.FrameNote.size(); ++i) {
        Record bytes;
        std::memcpy(bytes.data(), file.data() + i * bytes.size(), bytes.size());
        seq.FrameNote[i].LoadRecord(bytes);
        const Record first = Stored(seq.FrameNote[i]);
        TFrameNote again;
        again.LoadRecord(first);
        if (Stored(again) != first) {
            __builtin_trap();
        }
    }
    // 0x00..0x7F strikes that key, 0x80..0xEF releases key & 0x7F, 0xF0..0xFF runs 1..16 ticks.
    // Odd lengths have both parts report every note.
    engine.reports = 1 + static_cast<int>(size & 1);
    for (std::size_t at = file.size(); at < size; ++at) {
        const uint8_t event = data[at];
        if (event < 0x80) {
            seq.ClockNote(event, 100, true);
        } else if (event < 0xF0) {
            seq.ClockNote(event & 0x7F, 0, false);
        } else {
            for (int tick = 0; tick <= event - 0xF0; ++tick) {
                seq.ClockTick();
                engine.Drain(seq);
            }
        }
        engine.Drain(seq);
    }
    seq.ClockStop();
    for (const TFrameNote& step : seq.FrameNote) {
        if (step.State().StepState != TFrameNote::kIdle) {
            __builtin_trap();
        }
    }
    return 0;
}
