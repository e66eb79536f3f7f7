#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "engine/PatchRecord.h"

namespace vorpline {

struct RenderOptions {
    std::string midiPath;
    std::string wavePath;
    std::string regLogPath; // empty = no register log
    uint32_t rate = 44100;
    bool progress = true; // report on standard error for long songs
};

struct RenderResult {
    uint64_t outputFrames = 0;
    double seconds = 0;
};

// Plays a Standard MIDI File through the engine and the software chip in virtual time and
// writes the sound to a wave file: the synthesizer's job without a sound card. The same input
// and options always give the same bytes. Single thread.
class MidiRenderer {
public:
    // Sound continues at most this long after the song's end while it has not died away.
    static constexpr double kMaxTailSeconds = 5.0;
    // Silence this long after the song's end ends the render.
    static constexpr double kSilenceSeconds = 0.1;

    explicit MidiRenderer(RenderOptions options);

    // The patch both parts play; the built-in default if not set.
    void SetPatch(const PatchRecord& patch, const PatchExt& ext);

    // Throws MidiFileError for a bad MIDI file (before any output exists) and
    // std::runtime_error for output failures.
    RenderResult Run();

private:
    RenderOptions options;
    std::optional<std::pair<PatchRecord, PatchExt>> patch;
};

} // namespace vorpline
