#include "presets/TSbi.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>

#include "engine/MultiplierCents.h"
#include "platform/FileBytes.h"
#include "presets/ExtLayout.h"
#include "presets/PresetFolder.h"

namespace vorpline {

namespace {

constexpr size_t kNameAt = 4;
constexpr size_t kNameBytes = 32;
constexpr size_t kBlock12 = 36;
constexpr size_t kBlock34 = 47;
constexpr size_t kBlock56 = 58;
constexpr size_t kBlockChannel = 10;
constexpr size_t kVersionAt = 69;
constexpr size_t kExtAt = 70;
constexpr uint8_t kEof = 0x1A;

// Two operators and their channel byte, interleaved modulator/carrier register by register.
void PutBlock(std::vector<uint8_t>& file, size_t at, const OperatorRecord& first,
              const OperatorRecord& second, uint8_t channel) {
    for (size_t r = 0; r < first.reg.size(); ++r) {
        file[at + 2 * r] = first.reg[r];
        file[at + 2 * r + 1] = second.reg[r];
    }
    file[at + kBlockChannel] = channel;
}

// The operator registers of a block; the waveform select has three bits on the OPL3.
void TakeBlock(std::span<const uint8_t> file, size_t at, OperatorRecord& first,
               OperatorRecord& second) {
    for (size_t r = 0; r < first.reg.size(); ++r) {
        first.reg[r] = file[at + 2 * r];
        second.reg[r] = file[at + 2 * r + 1];
    }
    first.reg[4] &= 7;
    second.reg[4] &= 7;
}

void ResetTuningList(PatchExt& e, int op) {
    for (int mult = 0; mult < 16; ++mult) {
        ext::PutU16(e, ext::TuningEntry(op, mult),
                    kMultiplierCentsTable[static_cast<size_t>(mult)]);
    }
}

bool HasMagic(std::span<const uint8_t> file, const char* magic) {
    return std::memcmp(file.data(), magic, 3) == 0;
}

// What a short 6-operator file leaves out: older writers stopped earlier, and each version
// added fields whose zero would be a poor setting.
void ApplyMissingDefaults(size_t size, uint8_t version, PatchExt& e) {
    if (size < kExtAt + 204) {
        for (int op = 0; op < 6; ++op) {
            ResetTuningList(e, op);
        }
    }
    if (size < kExtAt + 212) {
        e[ext::kHigh1234] = 10;
        e[ext::kHigh56] = 10;
        e[PatchExt::kDamperBits] = 0;
    }
    if (size < kExtAt + 220) {
        std::fill_n(e.bytes.begin() + PatchExt::kVelocityOffset, 6, 0);
    }
    if (size < kExtAt + 228) {
        std::fill_n(e.bytes.begin() + PatchExt::kVelocityTarget, 6, 0);
    }
    if (version < 1) {
        e[PatchExt::kMode1234] = 6;
        e[PatchExt::kMode56] = 6;
    }
    if (version < 2) {
        e[PatchExt::kPriority1234] = 2;
        e[PatchExt::kPriority56] = 2;
    }
    if (version < 3) {
        ext::PutU16(e, ext::kBendRange1234, 1200);
        ext::PutU16(e, ext::kBendRange56, 1200);
        ext::PutU16(e, ext::kPortamento1234, 0);
        ext::PutU16(e, ext::kPortamento56, 0);
    }
    if (version < 4) {
        e[ext::kLegato] = 0;
    }
    if (version < 5) {
        ext::PutU16(e, ext::kModRange1234, 2400);
        ext::PutU16(e, ext::kModRange56, 2400);
    }
}

} // namespace

TSbi::TSbi(std::filesystem::path root) : root(std::move(root)) {}

bool TSbi::List(const std::string& folder, std::vector<std::string>& names) const {
    names = ListPresetNames(root / folder, kExtension);
    return true;
}

bool TSbi::Read(const std::string& folder, const std::string& name, PatchRecord& patch,
                PatchExt& ext) const {
    auto file = PresetFolder(root / folder, kExtension).PathOf(name);
    return file && ReadFile(*file, patch, ext);
}

bool TSbi::ReadFile(const std::filesystem::path& file, PatchRecord& patch, PatchExt& ext) {
    // One byte more than the largest kind tells an over-long file without reading all of it.
    FileBytes read = ReadFileBytes(file, kSize6op + 1);
    return read && Decode(read.bytes, patch, ext);
}

bool TSbi::Decode(std::span<const uint8_t> file, PatchRecord& patch, PatchExt& e) {
    const size_t size = file.size();
    if (size == kSize2op) {
        if (!HasMagic(file, "2OP") && !HasMagic(file, "SBI")) {
            return false;
        }
        TakeBlock(file, kBlock12, patch.op[4], patch.op[5]);
        patch.channel56 = static_cast<uint8_t>((patch.channel56 & 0x30) |
                                               (file[kBlock12 + kBlockChannel] & 0x0F));
        ResetTuningList(e, 4);
        ResetTuningList(e, 5);
        return true;
    }
    if (size == kSize4op) {
        if (!HasMagic(file, "4OP")) {
            return false;
        }
        TakeBlock(file, kBlock12, patch.op[0], patch.op[1]);
        TakeBlock(file, kBlock34, patch.op[2], patch.op[3]);
        patch.channel12 = static_cast<uint8_t>((patch.channel12 & 0x30) |
                                               (file[kBlock12 + kBlockChannel] & 0x0F));
        patch.channel34 = static_cast<uint8_t>((patch.channel34 & 0x30) |
                                               (file[kBlock34 + kBlockChannel] & 0x01));
        for (int op = 0; op < 4; ++op) {
            ResetTuningList(e, op);
        }
        return true;
    }
    if (size < kMin6op || size > kSize6op || !HasMagic(file, "6OP")) {
        return false;
    }
    TakeBlock(file, kBlock12, patch.op[0], patch.op[1]);
    TakeBlock(file, kBlock34, patch.op[2], patch.op[3]);
    TakeBlock(file, kBlock56, patch.op[4], patch.op[5]);
    patch.channel12 = file[kBlock12 + kBlockChannel] & 0x0F;
    patch.channel34 = file[kBlock34 + kBlockChannel] & 0x01;
    patch.channel56 = file[kBlock56 + kBlockChannel] & 0x0F;
    e = PatchExt{};
    std::copy(file.begin() + kExtAt, file.end(), e.bytes.begin());
    // The extension's output switches are the truth for 6-operator presets.
    const uint8_t outputs = e[PatchExt::kOutputs];
    const auto left12 = static_cast<uint8_t>((outputs & 1) ? 0x10 : 0);
    const auto right12 = static_cast<uint8_t>((outputs & 2) ? 0x20 : 0);
    patch.channel12 |= left12 | right12;
    patch.channel34 |= left12 | right12;
    patch.channel56 |=
        static_cast<uint8_t>(((outputs & 4) ? 0x10 : 0) | ((outputs & 8) ? 0x20 : 0));
    ApplyMissingDefaults(size, file[kVersionAt], e);
    return true;
}

bool TSbi::Write(const std::string& folder, const std::string& name, const PatchRecord& patch,
                 const PatchExt& ext) const {
    if (folder.size() != 3 || !PresetFolder::NameProblem(name).empty()) {
        return false;
    }
    std::vector<uint8_t> file = Encode(folder == "2op"   ? '2'
                                       : folder == "4op" ? '4'
                                       : folder == "6op" ? '6'
                                                         : '\0',
                                       name, patch, ext);
    if (file.empty()) {
        return false;
    }
    std::error_code ignored;
    std::filesystem::create_directories(root / folder, ignored);
    return ReplaceFileContents(root / folder / (name + kExtension), file);
}

std::vector<uint8_t> TSbi::Encode(char kind, const std::string& name, const PatchRecord& patch,
                                  const PatchExt& ext) {
    std::vector<uint8_t> file(kSize6op, 0);
    file[0] = static_cast<uint8_t>(kind);
    file[1] = 'O';
    file[2] = 'P';
    file[3] = kEof;
    std::copy_n(name.begin(), std::min(name.size(), kNameBytes), file.begin() + kNameAt);
    const auto& op = patch.op;
    switch (kind) {
    case '2':
        PutBlock(file, kBlock12, op[4], op[5], patch.channel56);
        file.resize(kSize2op);
        break;
    case '4':
        PutBlock(file, kBlock12, op[0], op[1], patch.channel12);
        PutBlock(file, kBlock34, op[2], op[3], patch.channel34);
        file.resize(kSize4op);
        break;
    case '6':
        PutBlock(file, kBlock12, op[0], op[1], patch.channel12);
        PutBlock(file, kBlock34, op[2], op[3], patch.channel34);
        PutBlock(file, kBlock56, op[4], op[5], patch.channel56);
        file[kVersionAt] = kVersion;
        std::copy(ext.bytes.begin(), ext.bytes.end(), file.begin() + kExtAt);
        file[kExtAt + ext::kReserved] = 0;
        break;
    default:
        file.clear();
    }
    return file;
}

} // namespace vorpline
