#include "presets/ExportBundle.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/FileBytes.h"
#include "presets/TSbi.h"

namespace vorpline {

namespace {

namespace fs = std::filesystem;

constexpr uint8_t kMagic[] = {'E', 'X', 'P', 0};
constexpr std::size_t kHeaderSize = sizeof kMagic;
constexpr std::size_t kLengthSize = 2;
// A u16 length cannot say more.
constexpr std::size_t kMaxEntry = 0xFFFF;

// Sizes of the preset files: LFO 8 x 52, sequence 12 x 12, Circuit Bend 3 x 16 + 2, kit 90.
constexpr BundleKind kKinds[] = {
    {BundleEntry::Performance, "performance", "", ".vpx", PerformanceRecord::kSize,
     PerformanceRecord::kSize, nullptr},
    {BundleEntry::Preset, "main preset", "", ".sbi", 0, TSbi::kSize6op, &PerformanceRecord::preset},
    {BundleEntry::Drum, "drum kit", "drum kit", ".kit", 90, 90, &PerformanceRecord::drum},
    {BundleEntry::Cc, "control change map", "control change", ".txt", 0, kMaxEntry,
     &PerformanceRecord::cc},
    {BundleEntry::Lfo, "LFO preset", "lfo", ".lfo", 416, 416, &PerformanceRecord::lfo},
    {BundleEntry::Seq, "sequence", "sequence", ".seq", 144, 144, &PerformanceRecord::seq},
    {BundleEntry::Bend, "Circuit Bend preset", "circuit bend", ".bnd", 50, 50,
     &PerformanceRecord::bend},
};
static_assert(std::size(kKinds) == kBundleEntryCount);

std::string Bytes(std::size_t count) {
    return std::to_string(count) + (count == 1 ? " byte" : " bytes");
}

// The folder and extension a kind's files live in for this record.
PresetFolder FolderOf(const fs::path& presetRoot, const BundleKind& kind,
                      const PerformanceRecord& record) {
    switch (kind.entry) {
    case BundleEntry::Performance:
        return PresetFolder(presetRoot, kind.extension);
    case BundleEntry::Preset:
        return PresetFolder(presetRoot / PerformanceBankFolder(record.bank), kind.extension);
    default:
        return PresetFolder(presetRoot / kind.folder, kind.extension);
    }
}

bool NamesNothing(const std::string& name) {
    return name.empty() || name == PresetFolder::kDefaultName;
}

// Why the name of `kind` cannot stand in the record beside an entry of `size` bytes.
std::string NameProblem(const BundleKind& kind, const std::string& name, std::size_t size) {
    const std::string field = std::string("the ") + kind.what + " name";
    if (!IsValidUtf8(name)) {
        return field + " is not valid UTF-8 text.";
    }
    if (NamesNothing(name)) {
        // "Default" is built in and never a file; an empty name is no file either.
        return size == 0 ? ""
                         : "the " + std::string(kind.what) + " entry holds a file, but " +
                               (name.empty() ? "it has no name." : "its name is \"Default\".");
    }
    const std::string problem = PresetFolder::NameProblem(name);
    return problem.empty() ? "" : field + " cannot be a file name. " + problem;
}

// Why an entry of `kind` cannot hold `bytes`.
std::string EntryProblem(const BundleKind& kind, std::span<const uint8_t> bytes) {
    const std::string entry = std::string("the ") + kind.what + " entry";
    if (kind.entry == BundleEntry::Performance && bytes.empty()) {
        return entry + " is empty.";
    }
    if (bytes.empty()) {
        return {};
    }
    if (bytes.size() > kMaxEntry) {
        return entry + " is " + Bytes(bytes.size()) + ", more than an export can carry (" +
               Bytes(kMaxEntry) + ").";
    }
    if (kind.exactSize != 0 && bytes.size() != kind.exactSize) {
        return entry + " is " + Bytes(bytes.size()) + ", not " + std::to_string(kind.exactSize) +
               ".";
    }
    if (kind.entry == BundleEntry::Preset) {
        PatchRecord patch;
        PatchExt ext;
        if (!TSbi::Decode(bytes, patch, ext)) {
            return entry + " (" + Bytes(bytes.size()) + ") is no preset file.";
        }
    }
    return {};
}

BundleResult Problem(std::string text) {
    return {std::nullopt, std::move(text)};
}

} // namespace

std::span<const BundleKind> BundleKinds() {
    return kKinds;
}

const BundleKind& KindOf(BundleEntry entry) {
    return kKinds[static_cast<std::size_t>(entry)];
}

std::size_t LargestBundle() {
    std::size_t total = kHeaderSize;
    for (const BundleKind& kind : kKinds) {
        total += kLengthSize + kind.maxSize;
    }
    return total;
}

std::vector<uint8_t> EncodeBundle(const BundleEntries& entries) {
    std::vector<uint8_t> file(std::begin(kMagic), std::end(kMagic));
    for (const auto& entry : entries) {
        const std::size_t size = std::min(entry.size(), kMaxEntry);
        file.push_back(static_cast<uint8_t>(size & 0xFF));
        file.push_back(static_cast<uint8_t>(size >> 8));
        file.insert(file.end(), entry.begin(), entry.begin() + static_cast<std::ptrdiff_t>(size));
    }
    return file;
}

BundleResult ParseBundle(std::span<const uint8_t> file) {
    if (file.empty()) {
        return Problem("the file is empty.");
    }
    if (file.size() > LargestBundle()) {
        return Problem("the file is larger than any export (" + Bytes(LargestBundle()) + ").");
    }
    if (file.size() < kHeaderSize ||
        !std::equal(std::begin(kMagic), std::end(kMagic), file.begin())) {
        return Problem("the file does not start with \"EXP\".");
    }
    BundleEntries entries;
    std::size_t at = kHeaderSize;
    for (const BundleKind& kind : kKinds) {
        if (file.size() - at < kLengthSize) {
            return Problem(std::string("the file ends before the ") + kind.what + " entry.");
        }
        const std::size_t size = file[at] | static_cast<std::size_t>(file[at + 1]) << 8;
        at += kLengthSize;
        if (file.size() - at < size) {
            return Problem(std::string("the ") + kind.what + " entry (" + Bytes(size) +
                           ") runs past the end of the file.");
        }
        const auto bytes = file.subspan(at, size);
        entries[static_cast<std::size_t>(kind.entry)].assign(bytes.begin(), bytes.end());
        at += size;
    }
    // Nothing of ours follows the seventh entry: whatever does is no export this program made.
    if (at != file.size()) {
        return Problem(Bytes(file.size() - at) + " follow the last entry.");
    }
    return CheckBundle(std::move(entries));
}

BundleResult CheckBundle(BundleEntries entries) {
    for (const BundleKind& kind : kKinds) {
        std::string problem = EntryProblem(kind, entries[static_cast<std::size_t>(kind.entry)]);
        if (!problem.empty()) {
            return Problem(std::move(problem));
        }
    }
    auto record =
        DecodePerformance(entries[static_cast<std::size_t>(BundleEntry::Performance)]).value();
    for (const BundleKind& kind : kKinds) {
        if (kind.name != nullptr) {
            std::string problem = NameProblem(kind, record.*kind.name,
                                              entries[static_cast<std::size_t>(kind.entry)].size());
            if (!problem.empty()) {
                return Problem(std::move(problem));
            }
        }
    }
    return {Bundle{std::move(entries), std::move(record)}, {}};
}

BundleResult GatherBundle(const fs::path& presetRoot, const PerformanceRecord& record,
                          std::span<const BundleEntry> absent) {
    BundleEntries entries;
    const auto image = EncodePerformance(record);
    entries[0].assign(image.begin(), image.end());
    for (const BundleKind& kind : kKinds) {
        if (kind.name == nullptr || NamesNothing(record.*kind.name) ||
            std::find(absent.begin(), absent.end(), kind.entry) != absent.end()) {
            continue;
        }
        const std::string& name = record.*kind.name;
        const auto path = FolderOf(presetRoot, kind, record).PathOf(name);
        if (!path) {
            return Problem(NameProblem(kind, name, 1));
        }
        std::error_code ec;
        if (!fs::exists(fs::symlink_status(*path, ec))) {
            continue; // a preset deleted since: the window loads its built-in contents anyway
        }
        // One byte more than an entry holds tells a file too large to carry.
        FileBytes read = ReadFileBytes(*path, kMaxEntry + 1);
        if (!read) {
            return Problem(std::string("the ") + kind.what + " \"" + name + "\" cannot be read (" +
                           read.error + ").");
        }
        entries[static_cast<std::size_t>(kind.entry)] = std::move(read.bytes);
    }
    return CheckBundle(std::move(entries));
}

BundlePlan PlanBundleFiles(const fs::path& presetRoot, const std::string& title,
                           const Bundle& bundle) {
    BundlePlan plan;
    for (const BundleKind& kind : kKinds) {
        const auto& bytes = bundle.entries[static_cast<std::size_t>(kind.entry)];
        if (bytes.empty()) {
            continue; // the file there, if any, stays as it is
        }
        const std::string& name = kind.name != nullptr ? bundle.record.*kind.name : title;
        std::optional<fs::path> path;
        if (IsValidUtf8(name)) {
            path = FolderOf(presetRoot, kind, bundle.record).PathOf(name);
        }
        if (!path) {
            plan.files.clear();
            plan.kinds.clear();
            if (kind.name != nullptr) {
                plan.problem = NameProblem(kind, name, bytes.size());
            } else if (!IsValidUtf8(name)) {
                plan.problem = "the file name is not valid UTF-8 text.";
            } else {
                plan.problem =
                    "the file name cannot name a performance. " + PresetFolder::NameProblem(name);
            }
            return plan;
        }
        plan.files.push_back({*path, bytes});
        plan.kinds.push_back(kind.entry);
    }
    return plan;
}

} // namespace vorpline
