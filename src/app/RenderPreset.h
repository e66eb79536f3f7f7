#pragma once
#include <filesystem>
#include <optional>
#include <string>

#include "app/MidiRenderer.h"

namespace vorpline {

// The preset a render was asked for must exist before any output does: throws
// std::runtime_error (RenderPresetError's text) when the named preset cannot be read, and
// std::invalid_argument for a bank other than "2op", "4op" and "6op".
void CheckRenderPreset(const RenderOptions& options);

// The performance file a render was asked for (a title in the preset tree or a ".vpx" path),
// or nothing when the title could not name a file there.
std::optional<std::filesystem::path> RenderPerformanceFile(const RenderOptions& options);

// "preset \"NAME\" not found or not a preset file (bank 6op)".
std::string RenderPresetError(const RenderOptions& options);

} // namespace vorpline
