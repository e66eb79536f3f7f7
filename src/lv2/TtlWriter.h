#pragma once
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace vorpline::lv2 {

// A preset as the bundle offers it: the value of every control port and the whole patch.
struct BundlePreset {
    std::string name;
    std::vector<int> values;    // in parameter table order
    std::vector<uint8_t> patch; // the 6-operator preset file image
};

// The bundle's description, written from the parameter table so the ports a host sees are the
// ones the plugin has: manifest.ttl (the plugin and its presets), vorpline.ttl (the ports with
// names, ranges, defaults, units and the items of every list) and one file per preset.
// `defaults` are the control ports' values of a fresh instance.
// Throws std::runtime_error when a file cannot be written.
void WriteBundleTtl(const std::filesystem::path& bundle, const std::vector<int>& defaults,
                    const std::vector<BundlePreset>& presets);

// The preset's URI: kPresetPrefix and the name with everything but ASCII letters and digits as
// '_'.
std::string PresetUri(const std::string& name);
// RFC 4648 base64 with padding, as Turtle's xsd:base64Binary literals hold binary state.
std::string Base64(const std::vector<uint8_t>& bytes);
// The file of a preset in the bundle.
std::string PresetFileName(const std::string& name);

} // namespace vorpline::lv2
