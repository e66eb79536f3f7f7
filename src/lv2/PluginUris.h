#pragma once

// The names the plugin goes by in every host; the TTL and the code share them.
namespace vorpline::lv2 {

inline constexpr const char* kPluginUri = "urn:vorpline:lv2:synth";
// The state key of the whole patch: the 6-operator preset file image as an atom:Chunk.
inline constexpr const char* kPatchKey = "urn:vorpline:lv2:synth#patch";
// The plugin option of a host's generic UI that loads a 2-, 4- or 6-operator .sbi file by path
// (a patch:Set of this property to an atom:Path on the MIDI input).
inline constexpr const char* kSbiFileKey = "urn:vorpline:lv2:synth#sbi_file";
// The presets' URIs: this, then the preset's name with anything but letters and digits as '_'.
inline constexpr const char* kPresetPrefix = "urn:vorpline:lv2:synth:preset:";
inline constexpr const char* kBinaryName = "vorpline_lv2.so";
// Ports before the parameter table's.
inline constexpr unsigned kMidiInPort = 0;
inline constexpr unsigned kLeftPort = 1;
inline constexpr unsigned kRightPort = 2;
inline constexpr unsigned kFirstParameterPort = 3;

} // namespace vorpline::lv2
