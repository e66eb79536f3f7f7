#pragma once
#include <string>

#include "app/MidiRenderer.h"

namespace vorpline {

// The preset a render was asked for must exist before any output does: throws
// std::runtime_error (RenderPresetError's text) when the named preset cannot be read, and
// std::invalid_argument for a bank other than "2op", "4op" and "6op".
void CheckRenderPreset(const RenderOptions& options);

// "preset \"NAME\" not found or not a preset file (bank 6op)".
std::string RenderPresetError(const RenderOptions& options);

} // namespace vorpline
