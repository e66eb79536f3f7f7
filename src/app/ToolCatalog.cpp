#include "app/ToolCatalog.h"

#include "config/OutputConfig.h"
#include "dsp/TFormDSP.h"
#include "presets/TFormCc.h"
#include "presets/TFormKBD.h"
#include "ui/TFormMain.h"

namespace vorpline {

namespace {

// The DSP stage works on the software chip's audio: it exists for the wave output only.
bool WantsDsp(const PortConfig& config) {
    return config.ioType == kTypeWAVE && (config.options & kOptionDsp) != 0;
}

std::unique_ptr<ToolWindow> MakeDsp(const ToolContext& context) {
    return std::make_unique<TFormDSP>(context.config.ioSRate);
}

bool WantsKbd(const PortConfig& config) {
    return (config.options & kOptionKbd) != 0;
}

// Made after the hub: the keyboard's notes and preset steps reach it through the main loop.
std::unique_ptr<ToolWindow> MakeKbd(const ToolContext& context) {
    return std::make_unique<TFormKBD>(TFormKBD::PostToHub(context.timers, *context.hub));
}

bool WantsCc(const PortConfig& config) {
    return (config.options & kOptionCc) != 0;
}

// A preset window's errors and caption go through the synth panel, which knows the output.
PresetWindow::Services PresetServices(TFormMain& main) {
    return {[&main] { return main.ApplicationTitle(); },
            [&main](const std::string& message) { main.ShowInfo(message, "Error"); }, nullptr};
}

std::unique_ptr<ToolWindow> MakeCc(const ToolContext& context) {
    return std::make_unique<TFormCc>(context.presetRoot, PresetServices(context.main));
}

constexpr ToolKind kCatalog[] = {
    {ToolId::Dsp, ToolStage::BeforeOutput, &MainPanels::ButtonDSP, 6, WantsDsp, MakeDsp},
    {ToolId::Cc, ToolStage::WithEngine, &MainPanels::ButtonCc, 5, WantsCc, MakeCc},
    {ToolId::Kbd, ToolStage::WithInput, &MainPanels::ButtonKbd, 1, WantsKbd, MakeKbd},
};

} // namespace

std::span<const ToolKind> ToolCatalog() {
    return kCatalog;
}

} // namespace vorpline
