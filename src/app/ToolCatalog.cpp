#include "app/ToolCatalog.h"

#include "app/ToolRegistry.h"
#include "config/OutputConfig.h"
#include "dsp/TFormDSP.h"
#include "engine/OPL3.h"
#include "engine/PitchControl.h"
#include "midi/HubPoster.h"
#include "midi/MidiPortSystem.h"
#include "modulation/TFormBend.h"
#include "modulation/TFormCalc.h"
#include "modulation/TFormLFO.h"
#include "modulation/TFormRT.h"
#include "modulation/TFormSeq.h"
#include "presets/TFormCc.h"
#include "presets/TFormDrum.h"
#include "presets/TFormKBD.h"
#include "ui/TFormMain.h"
#include "ui/TFormMonitor.h"
#include "ui/UiService.h"

namespace vorpline {

namespace {

// A MIDI output system without ports, for runs that must not reach a device.
class NoMidiOutputs final : public MidiOutPortSystem {
public:
    std::vector<std::string> ListOutputs() override { return {}; }
    int Open(std::size_t) override { return kMidiBadDeviceId; }
    int Send(uint32_t) override { return kMidiInvalidHandle; }
    int Reset() override { return kMidiInvalidHandle; }
    int Close() override { return kMidiInvalidHandle; }
};

template <uint32_t Option> bool WantsOption(const PortConfig& config) {
    return (config.options & Option) != 0;
}

// The DSP stage works on the software chip's audio: it exists for the wave output only.
bool WantsDsp(const PortConfig& config) {
    return config.ioType == kTypeWAVE && (config.options & kOptionDsp) != 0;
}

// The clock exists for the windows it drives.
bool WantsClock(const PortConfig& config) {
    return (config.options & (kOptionLfo | kOptionSeq)) != 0;
}

// A preset window's errors and caption go through the synth panel, which knows the output.
PresetWindow::Services PresetServices(TFormMain& main) {
    return {[&main] { return main.ApplicationTitle(); },
            [&main](const std::string& message) { main.ShowInfo(message, "Error"); }, nullptr};
}

// The tick calculator over the synth panel; nothing without windows (renders).
std::optional<int> RunCalculator(TFormMain& main, int beatsPerBar, int ticks) {
    if (main.ui == nullptr) {
        return std::nullopt;
    }
    TFormCalc calculator(beatsPerBar, ticks, main.ApplicationTitle());
    main.ui->ShowCalc(calculator);
    return calculator.Accepted();
}

template <class Window> Window* Made(const ToolContext& context, ToolId id) {
    return dynamic_cast<Window*>(context.tools.Find(id));
}

std::unique_ptr<ToolWindow> MakeDsp(const ToolContext& context) {
    return std::make_unique<TFormDSP>(context.config.ioSRate);
}

// Made after the hub: the keyboard's notes and preset steps reach it through the main loop.
std::unique_ptr<ToolWindow> MakeKbd(const ToolContext& context) {
    return std::make_unique<TFormKBD>(TFormKBD::PostToHub(context.timers, *context.hub));
}

std::unique_ptr<ToolWindow> MakeCc(const ToolContext& context) {
    return std::make_unique<TFormCc>(context.presetRoot, PresetServices(context.main));
}

// After the map: the LFOs send through its numbers (without a map they run but send nothing).
std::unique_ptr<ToolWindow> MakeLfo(const ToolContext& context) {
    static NoMidiOutputs noOutputs;
    const TFormCc* map = Made<TFormCc>(context, ToolId::Cc);
    PitchControl* pitch = context.pitch;
    TFormLFO::Links links{PostToHub(context.timers, *context.hub),
                          [pitch] {
                              for (int part = 0; part < 2; ++part) {
                                  for (int lfo = 0; lfo < PitchControl::kLfoCount; ++lfo) {
                                      pitch->SetLfoPitch(part, lfo, 0);
                                  }
                              }
                          },
                          [&main = context.main](int beatsPerBar, int ticks) {
                              return RunCalculator(main, beatsPerBar, ticks);
                          }};
    return std::make_unique<TFormLFO>(
        context.presetRoot, PresetServices(context.main),
        context.midiOutputs != nullptr ? *context.midiOutputs : noOutputs,
        std::vector<std::string>(kCcFunctionNames.begin(), kCcFunctionNames.end()),
        map != nullptr ? &map->Numbers() : nullptr, std::move(links));
}

// Before the engine, which bends every write through it.
std::unique_ptr<ToolWindow> MakeBend(const ToolContext& context) {
    return std::make_unique<TFormBend>(context.presetRoot, PresetServices(context.main));
}

std::unique_ptr<ToolWindow> MakeSeq(const ToolContext& context) {
    return std::make_unique<TFormSeq>(context.presetRoot, PresetServices(context.main),
                                      PostToHub(context.timers, *context.hub));
}

std::unique_ptr<ToolWindow> MakeDrum(const ToolContext& context) {
    return std::make_unique<TFormDrum>(context.presetRoot, PresetServices(context.main),
                                       context.engine);
}

// After the windows it drives, which it ticks in this order: the LFOs, then the sequencer.
std::unique_ptr<ToolWindow> MakeClock(const ToolContext& context) {
    TFormLFO* lfo = Made<TFormLFO>(context, ToolId::Lfo);
    TFormSeq* seq = Made<TFormSeq>(context, ToolId::Seq);
    return std::make_unique<TFormRT>(context.timers, context.engine,
                                     std::vector<ClockFollower*>{lfo, seq}, lfo);
}

// Every output has the monitor: it reads the engine's copy of the registers, so it costs
// nothing while hidden and works for hardware as for the software chip.
bool Always(const PortConfig& /*config*/) {
    return true;
}

std::unique_ptr<ToolWindow> MakeMonitor(const ToolContext& context) {
    OPL3* engine = context.engine;
    return std::make_unique<TFormMonitor>(
        [engine](uint16_t reg) { return engine->ReadRegister(reg); }, context.recorder,
        [engine](uint16_t reg) { return engine->WriteCount(reg); });
}

constexpr ToolKind kCatalog[] = {
    {ToolId::Dsp, ToolStage::BeforeOutput, &MainPanels::ButtonDSP, 80, WantsDsp, MakeDsp},
    {ToolId::Bend, ToolStage::BeforeEngine, &MainPanels::ButtonBend, 60, WantsOption<kOptionBend>,
     MakeBend},
    {ToolId::Cc, ToolStage::WithEngine, &MainPanels::ButtonCc, 70, WantsOption<kOptionCc>, MakeCc},
    {ToolId::Lfo, ToolStage::WithEngine, &MainPanels::ButtonLFO, 20, WantsOption<kOptionLfo>,
     MakeLfo},
    {ToolId::Seq, ToolStage::WithEngine, &MainPanels::ButtonSeq, 30, WantsOption<kOptionSeq>,
     MakeSeq},
    {ToolId::Clock, ToolStage::WithEngine, &MainPanels::ButtonRT, 40, WantsClock, MakeClock},
    {ToolId::Drum, ToolStage::WithEngine, &MainPanels::ButtonDrum, 50, WantsOption<kOptionDrum>,
     MakeDrum},
    {ToolId::Monitor, ToolStage::WithEngine, &MainPanels::ButtonMon, 90, Always, MakeMonitor},
    {ToolId::Kbd, ToolStage::WithInput, &MainPanels::ButtonKbd, 10, WantsOption<kOptionKbd>,
     MakeKbd},
};

} // namespace

std::span<const ToolKind> ToolCatalog() {
    return kCatalog;
}

} // namespace vorpline
