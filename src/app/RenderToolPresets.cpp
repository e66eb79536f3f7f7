#include "app/RenderToolPresets.h"

#include <filesystem>
#include <stdexcept>

#include "app/MidiRenderer.h"
#include "app/ToolRegistry.h"
#include "config/TFormPort.h"
#include "modulation/TFormBend.h"
#include "modulation/TFormLFO.h"
#include "modulation/TFormSeq.h"
#include "presets/PresetFolder.h"
#include "presets/PresetWindow.h"
#include "presets/TFormCc.h"
#include "presets/TFormDrum.h"

namespace vorpline {

namespace {

// A render that names a window's preset wants to hear it: the window's master enable goes on.
template <class Window> void SwitchOn(ToolWindow& window) {
    if (auto* form = dynamic_cast<Window*>(&window)) {
        form->CheckBoxEnable.SetChecked(true);
    }
}

// The LFOs reach the synthesizer through the control-change map's numbers, so naming LFOs
// brings the map (with its stored or built-in preset) too.
constexpr ToolPresetOption kOptions[] = {
    {"--cc", ToolId::Cc, kOptionCc, TFormCc::kFolder, ".txt", "control change preset", nullptr},
    {"--lfo", ToolId::Lfo, kOptionLfo | kOptionCc, TFormLFO::kFolder, TFormLFO::kExtension,
     "LFO preset", SwitchOn<TFormLFO>},
    {"--seq", ToolId::Seq, kOptionSeq, TFormSeq::kFolder, TFormSeq::kExtension, "sequence",
     SwitchOn<TFormSeq>},
    {"--kit", ToolId::Drum, kOptionDrum, TFormDrum::kFolder, TFormDrum::kExtension, "drum kit",
     nullptr},
    {"--bend", ToolId::Bend, kOptionBend, TFormBend::kFolder, TFormBend::kExtension,
     "Circuit Bend preset", SwitchOn<TFormBend>},
};

std::runtime_error Missing(const ToolPresetOption& kind, const std::string& preset) {
    return std::runtime_error(std::string(kind.what) + " \"" + preset +
                              "\" not found or not readable");
}

} // namespace

std::span<const ToolPresetOption> ToolPresetOptions() {
    return kOptions;
}

const ToolPresetOption* FindToolPresetOption(std::string_view flag) {
    for (const ToolPresetOption& kind : kOptions) {
        if (flag == kind.flag) {
            return &kind;
        }
    }
    return nullptr;
}

bool IsToolPresetFile(const ToolPresetOption& kind, const std::string& preset) {
    return preset.ends_with(kind.extension) &&
           preset.size() > std::string_view(kind.extension).size();
}

void CheckToolPresets(const RenderOptions& options) {
    for (const auto& [kind, preset] : options.toolPresets) {
        if (preset == PresetFolder::kDefaultName) {
            continue;
        }
        std::error_code error;
        std::optional<std::filesystem::path> path =
            IsToolPresetFile(*kind, preset)
                ? std::optional<std::filesystem::path>(preset)
                : PresetFolder(options.presetRoot / kind->folder, kind->extension).PathOf(preset);
        if (!path || !std::filesystem::is_regular_file(*path, error)) {
            throw Missing(*kind, preset);
        }
    }
}

void LoadToolPreset(const ToolRegistry& tools, const ToolPresetOption& kind,
                    const std::string& preset) {
    ToolWindow* window = tools.Find(kind.tool);
    PresetWindow* presets = window != nullptr ? window->Presets() : nullptr;
    if (presets == nullptr) {
        throw std::logic_error(std::string(kind.flag) + ": the window was not made");
    }
    bool loaded = false;
    if (IsToolPresetFile(kind, preset)) {
        loaded = presets->LoadFile(preset);
    } else {
        // What the user would type into the window's preset box, Enter included.
        presets->RebuildList();
        loaded = presets->LoadByName(preset);
    }
    if (!loaded) {
        throw Missing(kind, preset);
    }
    if (kind.switchOn != nullptr) {
        kind.switchOn(*window);
    }
}

} // namespace vorpline
