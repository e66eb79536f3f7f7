#include "presets/BankImport.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>
#include <set>

#include "presets/PresetFolder.h"
#include "presets/TSbi.h"

namespace vorpline {

namespace {

constexpr size_t kSmallRecord = 52;
constexpr size_t kLargeRecord = 60;
constexpr int kMaxRecords = 128;
constexpr size_t kNameAt = 4;
constexpr size_t kNameBytes = 25;

enum class Magic { Empty, Sbi, TwoOp, FourOp, Other };

Magic MagicAt(std::span<const uint8_t> file, size_t at) {
    const uint8_t* m = file.data() + at;
    if (m[0] == 0 && m[1] == 0 && m[2] == 0 && m[3] == 0) {
        return Magic::Empty;
    }
    if (m[3] != 0x1A) {
        return Magic::Other;
    }
    if (std::memcmp(m, "SBI", 3) == 0) {
        return Magic::Sbi;
    }
    if (std::memcmp(m, "2OP", 3) == 0) {
        return Magic::TwoOp;
    }
    return std::memcmp(m, "4OP", 3) == 0 ? Magic::FourOp : Magic::Other;
}

bool Fits(Magic magic, size_t recordSize) {
    switch (magic) {
    case Magic::Empty:
    case Magic::TwoOp:
        return true;
    case Magic::Sbi:
        return recordSize == kSmallRecord;
    case Magic::FourOp:
        return recordSize == kLargeRecord;
    case Magic::Other:
        break;
    }
    return false;
}

// Whether every slot of the file, cut at `recordSize`, holds an instrument or nothing.
bool AllFit(std::span<const uint8_t> file, size_t recordSize) {
    if (file.size() % recordSize != 0) {
        return false;
    }
    for (size_t at = 0; at < file.size(); at += recordSize) {
        if (!Fits(MagicAt(file, at), recordSize)) {
            return false;
        }
    }
    return true;
}

// The record size of a file; a size that fits neither is judged by the first record's magic,
// so the error names the record that is cut short.
size_t RecordSizeOf(std::span<const uint8_t> file) {
    if (AllFit(file, kSmallRecord)) {
        return kSmallRecord;
    }
    if (AllFit(file, kLargeRecord)) {
        return kLargeRecord;
    }
    if (file.size() % kLargeRecord == 0 && file.size() % kSmallRecord != 0) {
        return kLargeRecord;
    }
    if (file.size() % kSmallRecord == 0) {
        return kSmallRecord;
    }
    return file.size() >= 4 && MagicAt(file, 0) == Magic::FourOp ? kLargeRecord : kSmallRecord;
}

std::string Slot(size_t index) {
    return "record " + std::to_string(index + 1);
}

} // namespace

ParsedBank ParseBank(std::span<const uint8_t> file) {
    ParsedBank bank;
    if (file.empty()) {
        bank.problem = "the file is empty";
        return bank;
    }
    if (file.size() > kMaxRecords * kLargeRecord) {
        bank.problem = "the file is too large for an instrument bank (" +
                       std::to_string(file.size()) + " bytes; a bank holds at most " +
                       std::to_string(kMaxRecords) + " records)";
        return bank;
    }
    const size_t size = RecordSizeOf(file);
    bank.recordSize = size;
    if (file.size() % size != 0) {
        bank.problem = Slot(file.size() / size) + " is cut short: the file ends " +
                       std::to_string(file.size() % size) + " bytes into it (records are " +
                       std::to_string(size) + " bytes)";
        return bank;
    }
    if (file.size() / size > kMaxRecords) {
        bank.problem = "the file holds " + std::to_string(file.size() / size) +
                       " records; a bank holds at most " + std::to_string(kMaxRecords);
        return bank;
    }
    for (size_t i = 0; i * size < file.size(); ++i) {
        const auto record = file.subspan(i * size, size);
        const Magic magic = MagicAt(record, 0);
        if (magic == Magic::Empty) {
            ++bank.emptySlots;
            continue;
        }
        if (!Fits(magic, size)) {
            bank.problem =
                Slot(i) + " is not an instrument of a " + std::to_string(size) + "-byte bank";
            bank.records.clear();
            return bank;
        }
        BankRecord out;
        out.index = static_cast<int>(i);
        out.kind = magic == Magic::FourOp ? '4' : '2';
        const auto* name = reinterpret_cast<const char*>(record.data() + kNameAt);
        out.name.assign(name, strnlen(name, kNameBytes));
        // Through the preset reader, so a bank instrument reaches the chip exactly as the same
        // instrument saved as a preset file would: a 2-operator record is a 52-byte SBI image
        // (the second block of a 60-byte one is unused), a 4-operator one a 60-byte image.
        std::array<uint8_t, kLargeRecord> image{};
        const size_t imageSize = out.kind == '4' ? kLargeRecord : kSmallRecord;
        std::copy_n(record.begin(), imageSize, image.begin());
        std::memcpy(image.data(), out.kind == '4' ? "4OP" : "2OP", 3);
        // Both outputs on: the bank format has no panning, and 4-operator mode sounds through
        // the first channel's outputs.
        out.patch.channel12 = out.patch.channel34 = out.patch.channel56 = 0x30;
        PatchExt unused;
        TSbi::Decode(std::span(image.data(), imageSize), out.patch, unused);
        bank.records.push_back(std::move(out));
    }
    if (bank.records.empty()) {
        bank.problem = "the bank holds no instruments";
    }
    return bank;
}

std::string SafePresetName(const std::string& raw) {
    std::string name;
    for (const char c : raw) {
        const auto u = static_cast<unsigned char>(c);
        name += (u < 0x20 || u > 0x7E || c == '/' || c == '\\') ? '_' : c;
    }
    const size_t first = name.find_first_not_of(" .");
    if (first == std::string::npos) {
        return {};
    }
    name.erase(0, first);
    name.erase(name.find_last_not_of(' ') + 1);
    if (name.size() > PresetFolder::kMaxNameBytes) {
        name.resize(PresetFolder::kMaxNameBytes);
        name.erase(name.find_last_not_of(' ') + 1);
    }
    return name;
}

std::string BankFolderOf(char kind) {
    return kind == '4' ? "4op" : "2op";
}

BankImportResult ImportBank(const std::filesystem::path& root, const ParsedBank& bank,
                            const std::optional<std::string>& onlyFolder,
                            const ConfirmReplace& confirm) {
    BankImportResult result;
    result.emptySlots = bank.emptySlots;
    if (!bank.problem.empty()) {
        result.problem = bank.problem;
        return result;
    }
    auto folded = [](std::string s) {
        std::transform(s.begin(), s.end(), s.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        return s;
    };
    std::set<std::string> taken[2]; // per folder, case folded
    std::vector<FileContents> files;
    std::vector<std::string> existing;
    for (const BankRecord& record : bank.records) {
        const std::string folder = BankFolderOf(record.kind);
        if (onlyFolder && *onlyFolder != folder) {
            ++result.leftOut;
            continue;
        }
        auto& names = taken[record.kind == '4' ? 1 : 0];
        std::string base = SafePresetName(record.name);
        if (base.empty()) {
            base = "Instrument " + std::to_string(record.index);
        }
        std::string name = base;
        for (int n = 2;
             names.contains(folded(name)) || folded(name) == folded(PresetFolder::kDefaultName);
             ++n) {
            name = base + " " + std::to_string(n);
        }
        names.insert(folded(name));
        const auto path = PresetFolder(root / folder, TSbi::kExtension).PathOf(name);
        if (!path) {
            result.problem = "cannot name a preset \"" + name + "\"";
            return result;
        }
        std::error_code ignored;
        const bool replaces = std::filesystem::exists(*path, ignored);
        if (replaces) {
            existing.push_back(folder + "/" + name);
        }
        result.presets.push_back({record.index, folder, name, replaces});
        files.push_back({*path, TSbi::Encode(record.kind, name, record.patch, PatchExt{})});
    }
    if (files.empty()) {
        result.problem = "the bank holds no " + onlyFolder.value_or("") + " instruments";
        return result;
    }
    if (!existing.empty() && !(confirm && confirm(existing))) {
        result.cancelled = true;
        return result;
    }
    for (const FileContents& file : files) {
        std::error_code ignored;
        std::filesystem::create_directories(file.path.parent_path(), ignored);
    }
    if (!ReplaceFilesTogether(files)) {
        result.problem = "cannot write the presets into " + root.string();
    }
    return result;
}

} // namespace vorpline
