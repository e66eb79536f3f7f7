// Sequences come from other musicians: any 144 bytes must load into the twelve steps, store
// back to records that load to the same settings again, and play without fault. Bytes beyond
// the 144 are a performance: keys struck and released and clock ticks, with every note the
// steps post handed back to them as the engine would.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "modulation/TFrameNote.h"

namespace {

using vorpline::TFrameNote;
using Record = std::array<uint8_t, TFrameNote::kRecordSize>;
constexpr std::size_t kSteps = 12;
// More events from one key than twelve steps can make means the steps feed each other forever.
constexpr std::size_t kMaxEventsPerKey = 1000;

Record Stored(const TFrameNote& step) {
    Record record;
    record.fill(0xFF);
    step.StoreRecord(record);
    return record;
}

struct Sequencer {
    std::array<TFrameNote, kSteps> steps;
    std::vector<uint32_t> posted;

    Sequencer() {
        for (std::size_t i = 0; i < kSteps; ++i) {
            steps[i].SetPoster([this](uint32_t packed) { posted.push_back(packed); });
            steps[i].Init(static_cast<int>(i));
        }
    }
    void Note(uint8_t note, uint8_t velocity, bool on) {
        for (TFrameNote& step : steps) {
            step.NoteEvent(note, velocity, on);
        }
    }
    // The engine's part: each posted note comes back as a note event.
    void Drain() {
        for (std::size_t i = 0; i < posted.size(); ++i) {
            const uint32_t packed = posted[i];
            const auto status = static_cast<uint8_t>(packed);
            const auto note = static_cast<uint8_t>(packed >> 8);
            const auto velocity = static_cast<uint8_t>(packed >> 16);
            if ((status != TFrameNote::kNoteOnStatus && status != TFrameNote::kNoteOffStatus) ||
                note > 127 || packed >> 24 != 0xFE || i >= kMaxEventsPerKey) {
                __builtin_trap();
            }
            Note(note, velocity, status == TFrameNote::kNoteOnStatus);
        }
        posted.clear();
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The window reads only files of exactly 144 bytes; the input is cut or padded to that.
    std::array<uint8_t, kSteps * TFrameNote::kRecordSize> file;
    file.fill(0xFF);
    std::memcpy(file.data(), data, std::min(size, file.size()));
    Sequencer seq;
    for (std::size_t i = 0; i < kSteps; ++i) {
        Record bytes;
        std::memcpy(bytes.data(), file.data() + i * bytes.size(), bytes.size());
        seq.steps[i].LoadRecord(bytes);
        const Record first = Stored(seq.steps[i]);
        TFrameNote again;
        again.LoadRecord(first);
        if (Stored(again) != first) {
            __builtin_trap();
        }
    }
    // 0x00..0x7F strikes that key, 0x80..0xEF releases key & 0x7F, 0xF0..0xFF runs 1..16 ticks.
    for (std::size_t at = file.size(); at < size; ++at) {
        const uint8_t event = data[at];
        if (event < 0x80) {
            seq.Note(event, 100, true);
        } else if (event < 0xF0) {
            seq.Note(event & 0x7F, 0, false);
        } else {
            for (int tick = 0; tick <= event - 0xF0; ++tick) {
                for (TFrameNote& step : seq.steps) {
                    step.Tick();
                }
                seq.Drain();
            }
        }
        seq.Drain();
    }
    for (TFrameNote& step : seq.steps) {
        step.StepNoteOff();
        if (step.State().StepState != TFrameNote::kIdle) {
            __builtin_trap();
        }
    }
    return 0;
}
