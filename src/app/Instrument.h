#pragma once
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "app/ToolRegistry.h"
#include "config/TFormPort.h"
#include "engine/OPL3.h"
#include "ui/MainPresets.h"
#include "ui/TFormMain.h"

namespace vorpline {

class AudioProcessor;
class ChipBackend;
class IniFile;
class MessageHub;
class MidiOutPortSystem;
class PitchControl;
class VgmRecordingBackend;
class TimerService;

// The synthesizer without its output: the synth panel with its presets, the engine with pitch
// and portamento, the message hub in front of them and the tool windows the configuration asks
// for, wired to each other in one place. The desktop program builds it around a live output,
// the renderer around the offline chip; both run the same start-up steps through it, so a song
// in a render behaves as it does when played.
// Main thread only.
class Instrument {
public:
    struct Setup {
        // The algorithm pictures (the program's "assets/small").
        std::filesystem::path assetFolder;
        // The preset tree (the program's "vpx").
        std::filesystem::path presetRoot;
        TimerService* timers = nullptr;
        // The millisecond clock and double-click time of the module buttons.
        std::function<uint32_t()> nowMs;
        uint32_t doubleClickMs = 400;
        // The MIDI outputs the LFO window may send to; null = none (renders never reach a
        // device).
        MidiOutPortSystem* midiOutputs = nullptr;
    };

    // The synth panel and its presets; nothing audible until BuildEngine.
    explicit Instrument(Setup setup);
    // The tool windows go first (stopped before the engine goes), then the hub, the engine.
    ~Instrument();
    Instrument(const Instrument&) = delete;
    Instrument& operator=(const Instrument&) = delete;

    // Start-up, in this order.
    // The configuration of this run, and the windows the output needs (AudioStage).
    void PrepareOutput(const PortConfig& config);
    AudioProcessor* AudioStage() const { return tools.AudioStage(); }
    // The windows the engine needs, the engine on `backend` with the hub in front of it.
    void BuildEngine(ChipBackend& backend, const OPL3::Settings& settings);
    // The stored settings of `section`: the tool windows (made here as far as they come later),
    // the MIDI input (`openInput`, may be empty), the stored bank and preset, the algorithm
    // picture; then the windows start.
    void Start(const IniFile& ini, const std::string& section,
               const std::function<void()>& openInput);

    // Shutdown: the windows stop (the clock before the chip is silenced).
    void Stop() { tools.BeforeShutdown(); }
    // The panel's keys and every window's settings into `section`.
    void SaveSettings(IniFile& ini, const std::string& section,
                      const std::string& midiDevice) const;

    TFormMain& Main() { return main; }
    MainPresets& Presets() { return presets; }
    const PortConfig& Config() const { return config; }
    // Exist from BuildEngine on.
    OPL3& Engine() { return *engine; }
    PitchControl& Pitch() { return *pitch; }
    MessageHub& Hub() { return *hub; }
    const ToolRegistry& Tools() const { return tools; }

private:
    void MakeTools(ToolStage stage);

    Setup setup;
    PortConfig config;
    TFormMain main;
    MainPresets presets;
    // Between the engine and the output's backend, so the monitor's record button takes down
    // whatever reaches the chip, whichever road that is. Outlives the engine.
    std::unique_ptr<VgmRecordingBackend> recording;
    std::unique_ptr<OPL3> engine;
    std::unique_ptr<PitchControl> pitch;
    std::unique_ptr<MessageHub> hub;
    // Last, so the windows are destroyed before everything they use.
    ToolRegistry tools;
};

} // namespace vorpline
