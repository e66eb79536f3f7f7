#include "app/RenderPreset.h"

#include <algorithm>
#include <stdexcept>

#include "presets/PerformanceRecord.h"
#include "presets/PresetFolder.h"
#include "presets/TSbi.h"
#include "ui/MainPresets.h"

namespace vorpline {

void CheckRenderPreset(const RenderOptions& options) {
    const auto& banks = MainPresets::kBankFolders;
    if (std::find(banks.begin(), banks.end(), options.bank) == banks.end()) {
        throw std::invalid_argument("--bank wants 2op, 4op or 6op, not \"" + options.bank + "\"");
    }
    if (!options.performance.empty()) {
        const auto file = RenderPerformanceFile(options);
        if (!file || !ReadPerformanceFile(*file)) {
            throw std::runtime_error("performance \"" + options.performance +
                                     "\" not found or not 1560 bytes");
        }
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

std::optional<std::filesystem::path> RenderPerformanceFile(const RenderOptions& options) {
    const std::string& name = options.performance;
    const std::string& extension = PerformanceRecord::kExtension;
    if (name.size() > extension.size() && name.ends_with(extension)) {
        return std::filesystem::path(name);
    }
    return PresetFolder(options.presetRoot, extension).PathOf(name);
}

std::string RenderPresetError(const RenderOptions& options) {
    return "preset \"" + options.preset + "\" not found or not a preset file" +
           (MainPresets::IsPresetFile(options.preset) ? "" : " (bank " + options.bank + ")");
}

} // namespace vorpline
