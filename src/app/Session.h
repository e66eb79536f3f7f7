#pragma once
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/Instrument.h"
#include "audio/AudioBackend.h"
#include "audio/WaveOut.h"
#include "audio/YMF262.h"
#include "config/OutputConfig.h"
#include "midi/MidiPortSystem.h"
#include "platform/IniFile.h"
#include "platform/TimerService.h"

namespace vorpline {

class ChipBackend;
class FM801;
class Mixer;
class OPL3;
class ParallelLines;
class PitchControl;
class PortIo;
class TFormPort;
class MessageHub;
class MidiIn;
class MidiOutPortSystem;
class MidiInputSelector;

// A start-up failure; the text is what the user sees before the program ends.
class StartupError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One run of the synthesizer: everything the main window owns from start-up to shutdown
// (configuration, output devices, the engine) and the two sequences that build and take it
// down. The windowing side supplies the dialogs and the clock.
// Main thread only.
class Session {
public:
    struct Services {
        // Runs the configuration dialog modally.
        std::function<void(TFormPort&)> runPortDialog;
        TimerService* timers = nullptr;
        AudioBackend* audio = nullptr;
        // The MIDI ports of the system (RtMidi's when null).
        MidiPortSystem* midiPorts = nullptr;
        // The auxiliary MIDI outputs of the LFO window; null = none.
        MidiOutPortSystem* midiOutputs = nullptr;
        std::function<uint32_t()> nowMs;
        uint32_t doubleClickMs = 400;
    };

    Session(std::string executablePath, std::vector<std::string> arguments, Services services);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // The start-up sequence; throws StartupError (or the output's own error) and writes nothing
    // to the INI file when it fails.
    void Start();
    // The shutdown sequence: closes the devices, silences a hardware chip, writes the INI file.
    void Close();

    TFormMain& Main() { return instrument.Main(); }
    const PortConfig& Config() const { return config; }
    const std::string& IniPath() const { return iniPath; }
    const std::string& Section() const { return deviceSection; }
    OPL3* Engine() { return started ? &instrument.Engine() : nullptr; }
    WaveOut* Output() { return waveOut.get(); }
    MainPresets& Presets() { return instrument.Presets(); }
    MessageHub* Hub() { return started ? &instrument.Hub() : nullptr; }
    MidiIn* Input() { return midiIn.get(); }
    // The tool windows of this run, for the desktop program's views.
    const ToolRegistry& Tools() const { return instrument.Tools(); }

    // Window mode of the wave output: the main loop calls this often; it renders the buffers
    // the device has finished and reports a wave-file failure (as an exception) once.
    void ServiceAudio();

private:
    void OpenOutput();
    void CreateEngine();
    void OpenMidiInput(const IniFile& ini);
    // Stops the audio stream, so nothing renders from the chip or the DSP any more; keeps the
    // first failure (of finishing the wave file) for the caller.
    std::string CloseStream();
    uint16_t ParsedPort() const;

    std::filesystem::path folder;
    std::string executablePath;
    std::vector<std::string> arguments;
    Services services;
    std::string iniPath;
    bool skipDialog = false;
    PortConfig config;
    std::string deviceSection;
    bool started = false;

    // Destroyed in reverse order: the stream is closed first (destructor), then the MIDI input
    // goes, then the instrument (tool windows, hub, engine), then the chip access it wrote
    // through, then the wave output, and the emulator it rendered from last.
    std::unique_ptr<YMF262> emulator;
    std::unique_ptr<WaveOut> waveOut;
    std::unique_ptr<PortIo> portIo;
    std::unique_ptr<ParallelLines> parallel;
    std::unique_ptr<ChipBackend> backend;
    std::unique_ptr<Mixer> mixer;
    Instrument instrument;
    std::unique_ptr<MidiPortSystem> ownMidiPorts;
    std::unique_ptr<MidiIn> midiIn;
    std::unique_ptr<MidiInputSelector> midiSelector;
};

} // namespace vorpline
