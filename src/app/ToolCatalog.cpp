#include "app/ToolCatalog.h"

#include "config/OutputConfig.h"
#include "dsp/TFormDSP.h"
#include "presets/TFormKBD.h"

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

constexpr ToolKind kCatalog[] = {
    {ToolId::Dsp, ToolStage::BeforeOutput, &MainPanels::ButtonDSP, 6, WantsDsp, MakeDsp},
    {ToolId::Kbd, ToolStage::WithInput, &MainPanels::ButtonKbd, 1, WantsKbd, MakeKbd},
};

} // namespace

std::span<const ToolKind> ToolCatalog() {
    return kCatalog;
}

} // namespace vorpline
