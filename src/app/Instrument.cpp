#include "app/Instrument.h"

#include "app/PerformanceTargets.h"
#include "engine/PitchControl.h"
#include "files/VgmRecordingBackend.h"
#include "midi/MessageHub.h"
#include "platform/IniFile.h"

namespace vorpline {

Instrument::Instrument(Setup setupIn)
    : setup(std::move(setupIn)), main(setup.assetFolder), presets(main, setup.presetRoot) {
    main.nowMs = setup.nowMs;
    main.doubleClickMs = setup.doubleClickMs;
    main.ButtonPerf.onClick = [this] { RunPerformanceDialog(*this); };
}

Instrument::~Instrument() = default;

void Instrument::MakeTools(ToolStage stage) {
    tools.Create(stage, ToolContext{config, setup.presetRoot, *setup.timers, main, presets, tools,
                                    engine.get(), hub.get(), pitch.get(), setup.midiOutputs,
                                    recording ? &recording->Recorder() : nullptr});
    if (hub) {
        tools.ConnectPeers(hub->peers);
    }
}

void Instrument::PrepareOutput(const PortConfig& configuration) {
    config = configuration;
    MakeTools(ToolStage::BeforeOutput);
}

void Instrument::BuildEngine(ChipBackend& backend, const OPL3::Settings& settings) {
    MakeTools(ToolStage::BeforeEngine);
    TimerService* timers = setup.timers;
    recording =
        std::make_unique<VgmRecordingBackend>(backend, [timers] { return timers->NowMs(); });
    engine = std::make_unique<OPL3>(*recording, *setup.timers, settings, tools.Bender());
    pitch = std::make_unique<PitchControl>(*engine);
    main.AttachEngine(*engine, *pitch);
    presets.AttachEngine(*engine, *pitch);
    // Every musical event, from the input or from inside the program, goes through the hub.
    hub = std::make_unique<MessageHub>(main, *engine, *pitch);
    presets.AttachControllers(hub->Controllers());
    hub->onStepPreset = [this](int delta) { presets.StepPreset(delta); };
    tools.ConnectPeers(hub->peers);
}

void Instrument::Start(const IniFile& ini, const std::string& section,
                       const std::function<void()>& openInput) {
    const std::string& title = main.ApplicationTitle();
    // The windows made so far (DSP, Circuit Bend) take their settings of this output.
    tools.LoadPending(ini, section, title);
    // Without the control-change map the frames' "CC" boxes mean nothing; with the drum kit,
    // part 5/6 keeps three voices.
    main.EnableOperatorCc((config.options & kOptionCc) != 0);
    if (config.options & kOptionDrum) {
        main.RemoveDrumModes();
    }
    // The control-change map, the clock with its windows, the drum kit.
    MakeTools(ToolStage::WithEngine);
    tools.LoadPending(ini, section, title);
    if (openInput) {
        openInput();
    }
    // The keyboard.
    MakeTools(ToolStage::WithInput);
    tools.LoadPending(ini, section, title);
    // The stored bank and preset, which sends the patch to the engine.
    presets.LoadSettings(ini, section);
    main.LoadSchematic();
    tools.AfterStartUp();
}

void Instrument::SaveSettings(IniFile& ini, const std::string& section,
                              const std::string& midiDevice) const {
    ini.WriteString(section, "Midi Device", midiDevice);
    ini.WriteString(section, "Bank", std::to_string(main.ComboBoxBank.ItemIndex()));
    ini.WriteString(section, "Main Preset", main.ComboBoxPreset.Text());
    tools.SaveSettings(ini, section);
}

} // namespace vorpline
