#pragma once
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <vector>

#include "audio/RegisterQueue.h"
#include "audio/YMF262.h"
#include "lv2/BlockTimers.h"
#include "midi/CcMap.h"

namespace vorpline {

class ChipStream;
class EmulatorBackend;
class Instrument;

namespace lv2 {

// The synthesizer as a plugin instance sees it, without the plugin API: the same panel,
// engine, pitch and message hub as the desktop program (an Instrument), the software chip at
// its own rate converted to the host's, and the plugin's block time for portamento.
//
// The chip hears the engine's writes through a register queue drained before each 16-frame
// chip chunk, and the converter runs ahead by its filter's delay: a note played at frame k
// sounds from frame k + about 1 ms on, whatever the block size.
//
// Construction, SavePatch, LoadPatch and LoadPresetFile belong to the host's instantiation
// thread; the rest runs on its audio thread and never allocates, locks or touches a file.
// The two never overlap (the host's threading rules for plugin instances).
class Synth {
public:
    // Output frames converted per chip pass; Render takes any count in pieces of this.
    static constexpr size_t kMaxPiece = 1024;

    // `presetRoot` is where "Default" would be looked up (the bundle's own folder: none there,
    // so the built-in default patch plays).
    Synth(uint32_t rate, const std::filesystem::path& presetRoot);
    ~Synth();
    Synth(const Synth&) = delete;
    Synth& operator=(const Synth&) = delete;

    Instrument& Synthesizer() { return *instrument; }
    uint32_t Rate() const { return rate; }

    // --- audio thread ---
    // One MIDI message (status byte first); system exclusive and broken messages are dropped.
    void Midi(const uint8_t* bytes, size_t size);
    // Renders `frames` frames, firing portamento ticks at their frames on the way.
    void Render(float* left, float* right, size_t frames);
    // The control ports of the parameter table, in its order (null = not connected): each
    // value that differs from what its port last gave goes into the panel and the engine.
    // After a patch was loaded the values only become the new baseline.
    void ApplyPorts(std::span<const float* const> ports);

    // --- instantiation thread ---
    // The whole patch in the 6-operator preset file layout.
    std::vector<uint8_t> SavePatch();
    // Any preset file image (2, 4 or 6 operators) over the current patch, as the panel loads
    // presets; false (nothing changed) for an image it does not accept. The ports' next values
    // become their baseline, so a host's older port values do not undo the loaded patch.
    bool LoadPatch(std::span<const uint8_t> image);
    // A ".sbi" file anywhere.
    bool LoadPresetFile(const std::filesystem::path& file);

private:
    // Every list's text buffer is grown once to its longest item here, so choosing items on
    // the audio thread later never allocates.
    void WarmLists();

    // The default control-change map, fixed: all 35 functions on their usual controllers.
    class DefaultMap final : public CcMap {
    public:
        const CcNumberTable& Numbers() const override { return kDefaultCcNumbers; }
        void ControllerObserved(uint8_t, uint8_t) override {}
    };

    uint32_t rate;
    BlockTimers timers;
    YMF262 chip;
    RegisterQueue registers;
    std::unique_ptr<ChipStream> stream;
    std::unique_ptr<EmulatorBackend> backend;
    std::unique_ptr<Instrument> instrument;
    DefaultMap ccMap;
    std::vector<int16_t> piece;
    std::vector<int> applied; // the value each port last applied
    bool resync = false;
};

} // namespace lv2
} // namespace vorpline
