#include "app/PerformanceTargets.h"

#include "app/Instrument.h"
#include "modulation/TFormBend.h"
#include "modulation/TFormLFO.h"
#include "modulation/TFormRT.h"
#include "modulation/TFormSeq.h"
#include "presets/ExportBundle.h"
#include "presets/PresetWindow.h"
#include "presets/TFormCc.h"
#include "presets/TFormDrum.h"
#include "ui/UiService.h"

namespace vorpline {

namespace {

// An export entry must have the size the window itself reads and writes.
static_assert(TFormLFO::kPresetSize == 416);
static_assert(TFormSeq::kPresetSize == 144);
static_assert(TFormBend::kPresetSize == 50);
static_assert(TFormDrum::kPresetSize == 90);
static_assert(MainPresets::kBankFolders.size() == 3);

template <class Window> PerformanceWindow WithEnable(ToolWindow* window) {
    auto* form = dynamic_cast<Window*>(window);
    return {window != nullptr ? window->Presets() : nullptr,
            form != nullptr ? &form->CheckBoxEnable : nullptr};
}

PerformanceWindow PresetsOnly(ToolWindow* window) {
    return {window != nullptr ? window->Presets() : nullptr, nullptr};
}

} // namespace

PerformanceTargets MakePerformanceTargets(Instrument& instrument) {
    const ToolRegistry& tools = instrument.Tools();
    PerformanceTargets targets;
    targets.presetRoot = instrument.Presets().Sbi().Root();
    targets.main = &instrument.Presets().Window();
    targets.bank = &instrument.Main().ComboBoxBank;
    targets.clock = dynamic_cast<TFormRT*>(tools.Find(ToolId::Clock));
    targets.lfo = WithEnable<TFormLFO>(tools.Find(ToolId::Lfo));
    targets.seq = WithEnable<TFormSeq>(tools.Find(ToolId::Seq));
    targets.bend = WithEnable<TFormBend>(tools.Find(ToolId::Bend));
    targets.cc = PresetsOnly(tools.Find(ToolId::Cc));
    targets.drum = PresetsOnly(tools.Find(ToolId::Drum));
    return targets;
}

void RunPerformanceDialog(Instrument& instrument) {
    TFormMain& main = instrument.Main();
    if (main.ui == nullptr) {
        return;
    }
    PerformanceTargets targets = MakePerformanceTargets(instrument);
    TFormPerf::Services services;
    services.applicationTitle = main.ApplicationTitle();
    services.showError = [&main](const std::string& message) { main.ShowInfo(message, "Error"); };
    services.confirm = instrument.Presets().Window().Confirmations();
    services.exportFolder = targets.presetRoot.parent_path() / "export";
    TFormPerf dialog(std::move(targets), std::move(services));
    main.ui->ShowPerf(dialog);
}

} // namespace vorpline
