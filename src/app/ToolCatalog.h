#pragma once
#include <filesystem>
#include <memory>
#include <span>

#include "config/TFormPort.h"
#include "controls/Button.h"
#include "ui/MainPanels.h"
#include "ui/ToolWindow.h"

namespace vorpline {

class MainPresets;
class MessageHub;
class MidiOutPortSystem;
class PitchControl;
class OPL3;
class TFormMain;
class TimerService;
class ToolRegistry;
class VgmRecorder;

// The tool windows this program has.
enum class ToolId { Dsp, Bend, Kbd, Cc, Lfo, Seq, Clock, Drum, Monitor };

// The moment of start-up a window is made at: what it works with must exist by then.
enum class ToolStage {
    BeforeOutput, // the wave output takes the window's audio stage (DSP)
    BeforeEngine, // the engine takes the window's register bender (Circuit Bend)
    WithEngine,   // after the engine and the hub (map, clock and its windows, drum kit)
    WithInput,    // after the MIDI input (keyboard)
};

// What a window may use when it is made. The engine and the hub are null before WithEngine.
struct ToolContext {
    const PortConfig& config;
    // The preset tree ("vpx" beside the program).
    std::filesystem::path presetRoot;
    TimerService& timers;
    TFormMain& main;
    MainPresets& presets;
    // The windows made before this one.
    const ToolRegistry& tools;
    OPL3* engine = nullptr;
    MessageHub* hub = nullptr;
    PitchControl* pitch = nullptr;
    // Null: the program reaches no MIDI output (renders, tests).
    MidiOutPortSystem* midiOutputs = nullptr;
    // Records what reaches the chip; null before the engine.
    VgmRecorder* recorder = nullptr;
};

// One tool window: when it exists, when it is made, the button that shows it, how it is made.
struct ToolKind {
    ToolId id;
    ToolStage stage;
    Button MainPanels::*button;
    // Shutdown saves the windows' settings in rising rank: keyboard, LFO, sequencer, clock,
    // drum kit, Circuit Bend, map, DSP.
    int saveRank;
    // Whether the configuration wants the window in this run.
    bool (*wanted)(const PortConfig& config);
    std::unique_ptr<ToolWindow> (*make)(const ToolContext& context);
};

// Every tool window, in the order start-up makes them. Adding a window is one entry here (and
// its view in the desktop program's view catalog).
std::span<const ToolKind> ToolCatalog();

} // namespace vorpline
