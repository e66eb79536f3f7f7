#include "app/RenderPreset.h"

#include <algorithm>
#include <stdexcept>

#include "presets/PresetFolder.h"
#include "presets/TSbi.h"
#include "ui/MainPresets.h"

namespace vorpline {

void CheckRenderPreset(const RenderOptions& options) {
    const auto& banks = MainPresets::kBankFolders;
    if (std::find(banks.begin(), banks.end(), options.bank) == banks.end()) {
        throw std::invalid_argument("--bank wants 2op, 4op or 6op, not \"" + options.bank + "\"");
    }
    if (options.preset.empty() || options.preset == PresetFolder::kDefaultName) {
        return;
    }
    // Scratch records: only whether the file is accepted matters here.
    PatchRecord patch;
    PatchExt ext;
    bool readable = MainPresets::IsPresetFile(options.preset)
                        ? TSbi::ReadFile(options.preset, patch, ext)
                        : TSbi(options.presetRoot).Read(options.bank, options.preset, patch, ext);
    if (!readable) {
        throw std::runtime_error(RenderPresetError(options));
    }
}

std::string RenderPresetError(const RenderOptions& options) {
    return "preset \"" + options.preset + "\" not found or not a preset file" +
           (MainPresets::IsPresetFile(options.preset) ? "" : " (bank " + options.bank + ")");
}

} // namespace vorpline
