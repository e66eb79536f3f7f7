#pragma once
#include <string>

namespace vorpline {

class AudioProcessor;
class Form;
class HubPeers;
class IniFile;
class PresetWindow;
class RegisterBender;

// A tool window (DSP, Circuit Bend, control-change map, clock, LFO, sequencer, drum kit,
// keyboard, ...) as start-up, shutdown, the message hub and the desktop program see it. It
// exists only when its option is on; its module button on the synth panel shows and hides it.
//
// Lifecycle, all on the main thread: made at its moment of start-up (the catalog says which),
// LoadSettings once the output's section is known, AfterStartUp once every window exists and the
// stored preset is loaded, BeforeShutdown when the program closes (before the engine goes),
// SaveSettings into the configuration file. (Start, Stop and Continue are the clock's transport
// commands, hence the longer names here.)
class ToolWindow {
public:
    virtual ~ToolWindow() = default;

    // The window its module button shows and hides (ToggleShow).
    virtual Form& Window() = 0;
    // The window's settings stored for this output (`section` of the configuration file); the
    // caption ends in the application title.
    virtual void LoadSettings(const IniFile& ini, const std::string& section,
                              const std::string& applicationTitle) = 0;
    virtual void SaveSettings(IniFile& ini, const std::string& section) const = 0;

    // Hands the hub whatever this window receives: controller functions, MIDI clock, notes.
    virtual void ConnectPeers(HubPeers& /*peers*/) {}
    // The last step of start-up (the stored LFO and sequencer enables take effect) and its
    // counterpart at shutdown (the clock stops).
    virtual void AfterStartUp() {}
    virtual void BeforeShutdown() {}

    // What the output path takes from a window, if it offers it: an effect on the rendered
    // audio (the DSP stage) and a bender of register writes (Circuit Bend).
    virtual AudioProcessor* AudioStage() { return nullptr; }
    virtual RegisterBender* Bender() { return nullptr; }
    // The preset panel of a window that keeps presets (the desktop program gives it its
    // confirmations; a performance picks its preset by name).
    virtual PresetWindow* Presets() { return nullptr; }
};

} // namespace vorpline
