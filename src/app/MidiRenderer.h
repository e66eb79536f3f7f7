#pragma once
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "audio/YMF262.h"
#include "engine/PatchRecord.h"

namespace vorpline {

struct ToolPresetOption;

struct RenderOptions {
    std::string midiPath;
    std::string wavePath;   // empty = no wave file
    std::string regLogPath; // empty = no register log
    std::string vgmPath;    // empty = no VGM recording of the chip's register writes
    uint32_t rate = 44100;
    bool progress = true; // report on standard error for long songs
    // The synthesizer's configuration file; empty = the defaults of a first start.
    std::string iniPath;
    // Where the panel looks for its pictures; a render needs none, so it may be missing.
    std::filesystem::path assetFolder;
    // The preset to play: a name in `bank` ("2op", "4op", "6op") under `presetRoot` (the
    // program's "vpx" folder) or a ".sbi" file anywhere, loaded as the panel loads presets.
    // Empty = none named.
    std::string bank = "6op";
    std::string preset;
    std::filesystem::path presetRoot;
    // The DSP stage's nine settings as stored ("0,1,64,64,0,0,0,64,64"); empty = no DSP.
    std::string dsp;
    // Tool windows made for the render with the preset each plays (by name or file), in the
    // order given: "--cc Knobs" makes the control-change map and loads "Knobs".
    std::vector<std::pair<const ToolPresetOption*, std::string>> toolPresets;
    // A performance to render with: a title in the preset tree or a ".vpx" file; empty = none.
    std::string performance;
    // The clock's tempo in beats per minute (1..999) with its internal timer as the source;
    // 0 = as the configuration has it (100 BPM by default).
    int tempo = 0;
    // The emulation that renders the chip; none = as the configuration has it (accurate by
    // default).
    std::optional<EmulatorCore> core;
};

struct RenderResult {
    uint64_t outputFrames = 0;
    double seconds = 0;
};

// Plays a Standard MIDI File through the synthesizer in virtual time and writes the sound to a
// wave file: the synthesizer's job without a sound card. The song is a MIDI input like any
// other: every event goes through the main window's message hub, so the parts hear it on their
// channels and key ranges (both on channel 1 over the whole keyboard until a preset says
// otherwise). The same input and options always give the same bytes. Single thread.
class MidiRenderer {
public:
    // Sound continues at most this long after the song's end while it has not died away.
    static constexpr double kMaxTailSeconds = 5.0;
    // Silence this long after the song's end ends the render.
    static constexpr double kSilenceSeconds = 0.1;

    explicit MidiRenderer(RenderOptions options);

    // The patch both parts play, shown in the operator frames as a loaded preset would be; the
    // built-in default if not set.
    void SetPatch(const PatchRecord& patch, const PatchExt& ext);

    // Throws MidiFileError for a bad MIDI file and std::runtime_error for a configuration file
    // that does not exist (both before any output exists) and for output failures.
    RenderResult Run();

private:
    RenderOptions options;
    std::optional<std::pair<PatchRecord, PatchExt>> patch;
};

} // namespace vorpline
