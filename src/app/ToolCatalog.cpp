#include "app/ToolCatalog.h"

#include "config/OutputConfig.h"
#include "dsp/TFormDSP.h"

namespace vorpline {

namespace {

// The DSP stage works on the software chip's audio: it exists for the wave output only.
bool WantsDsp(const PortConfig& config) {
    return config.ioType == kTypeWAVE && (config.options & kOptionDsp) != 0;
}

std::unique_ptr<ToolWindow> MakeDsp(const ToolContext& context) {
    return std::make_unique<TFormDSP>(context.config.ioSRate);
}

constexpr ToolKind kCatalog[] = {
    {ToolId::Dsp, ToolStage::BeforeOutput, &MainPanels::ButtonDSP, 6, WantsDsp, MakeDsp},
};

} // namespace

std::span<const ToolKind> ToolCatalog() {
    return kCatalog;
}

} // namespace vorpline
