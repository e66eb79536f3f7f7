#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "app/ToolCatalog.h"

namespace vorpline {

struct RenderOptions;

// A tool window's preset named on the renderer's command line ("--cc Knobs", "--cc my.txt"):
// the option makes the window exist in the render, and its preset is loaded by name from the
// window's folder under the preset tree, or from a file when the text ends in the extension.
struct ToolPresetOption {
    const char* flag; // "--cc"
    ToolId tool;
    uint32_t option;       // the kOption bit that makes the window exist
    const char* folder;    // under the preset tree: "control change"
    const char* extension; // ".txt"
    const char* what;      // "control change preset", for messages
    // What naming the preset also switches on (the LFOs' master enable), or null.
    void (*switchOn)(ToolWindow& window);
};

std::span<const ToolPresetOption> ToolPresetOptions();
const ToolPresetOption* FindToolPresetOption(std::string_view flag);

// Whether `preset` names a file rather than a preset of the folder.
bool IsToolPresetFile(const ToolPresetOption& kind, const std::string& preset);

// Every tool preset of `options` must exist before any output does: throws std::runtime_error
// naming the first that does not.
void CheckToolPresets(const RenderOptions& options);

// Loads `preset` into the window of `kind` made for this render; throws std::runtime_error
// when the window refuses it.
void LoadToolPreset(const ToolRegistry& tools, const ToolPresetOption& kind,
                    const std::string& preset);

} // namespace vorpline
