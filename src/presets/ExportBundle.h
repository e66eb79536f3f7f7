#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "presets/PerformanceRecord.h"
#include "presets/PresetFolder.h"

namespace vorpline {

// An export file (".exp") carries a performance and every preset file it names, so it can be
// imported on another installation:
//
//   offset 0  "EXP" 0x00
//   offset 4  seven entries back to back, each a u16 little-endian length n and n bytes: the
//             complete contents of one file, or n = 0 for none ("Default", an absent window)
//
// Entries in order: the performance record, the main preset (".sbi" of the bank the record
// names), the drum kit, the control-change map, the LFO preset, the sequence, the Circuit Bend
// preset. An export file comes from elsewhere: before anything is written it is checked whole
// (ParseBundle), and the files it holds are written only where PlanBundleFiles puts them.
enum class BundleEntry { Performance, Preset, Drum, Cc, Lfo, Seq, Bend };
inline constexpr std::size_t kBundleEntryCount = 7;

// One kind of entry: how messages call it, where its file lives below the preset tree, its
// size and the record's field that names it.
struct BundleKind {
    BundleEntry entry;
    const char* what; // "LFO preset"
    // Below the preset tree ("lfo"); empty for the performance (the root itself) and the main
    // preset (the bank's folder).
    const char* folder;
    const char* extension;
    // The only size a file of this kind has; 0 when sizes vary (main presets, maps).
    std::size_t exactSize;
    // The largest file of the kind.
    std::size_t maxSize;
    // The record's field naming the file; null for the performance itself.
    std::string PerformanceRecord::*name;
};

// The kinds in entry order.
std::span<const BundleKind> BundleKinds();
const BundleKind& KindOf(BundleEntry entry);

using BundleEntries = std::array<std::vector<uint8_t>, kBundleEntryCount>;

// The longest an export file can be: header, seven lengths and the largest file of each kind.
// Anything longer is refused before it is read further.
std::size_t LargestBundle();

// A checked export: its entries and the performance record of the first one.
struct Bundle {
    BundleEntries entries;
    PerformanceRecord record;
};

// A bundle, or the problem that stopped it as a sentence for the user ("the LFO preset entry
// is 400 bytes, not 416.").
struct BundleResult {
    std::optional<Bundle> bundle;
    std::string problem;
};

// The file image. Every entry must be shorter than 65536 bytes (a bundle from CheckBundle or
// GatherBundle is).
std::vector<uint8_t> EncodeBundle(const BundleEntries& entries);

// Takes an export file apart and checks every part before anything is used: the header, exactly
// seven entries each within the file and nothing after them, the performance entry exactly one
// record, every other entry empty or of the size (or, for main presets, a file) its kind has,
// and every name in the record valid UTF-8 that a preset folder accepts ("Default" and the
// empty name only for empty entries).
BundleResult ParseBundle(std::span<const uint8_t> file);
// The checks of ParseBundle after the layout, on entries already apart.
BundleResult CheckBundle(BundleEntries entries);

// The export of `record`: the record, then each file it names read whole from the preset tree
// `presetRoot`. A "Default" name, a kind in `absent` or a file that does not exist gives an empty
// entry; a file that cannot be read, or that import would refuse, is the problem.
BundleResult GatherBundle(const std::filesystem::path& presetRoot, const PerformanceRecord& record,
                          std::span<const BundleEntry> absent = {});

// Where the non-empty entries of `bundle` go below `presetRoot`, the performance as "<title>.vpx":
// every path is made by PresetFolder::PathOf of its kind's folder, so none leaves the tree. A
// title or name PathOf refuses is the problem (`files` is then empty).
struct BundlePlan {
    std::vector<FileContents> files;
    std::vector<BundleEntry> kinds; // one per file
    std::string problem;
};
BundlePlan PlanBundleFiles(const std::filesystem::path& presetRoot, const std::string& title,
                           const Bundle& bundle);

} // namespace vorpline
