#pragma once
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "engine/PatchRecord.h"

namespace vorpline {

// The main window's preset files ("<root>/<bank>/<name>.sbi"). A 2-operator preset is the
// classic 52-byte SBI instrument ("2OP" or "SBI", operators 5/6); a 4-operator one (60 bytes,
// "4OP") holds operators 1-4; a 6-operator one ("6OP", 70..310 bytes) holds all six, a version
// byte and the PatchExt block of every setting that is no register.
//
// Layout: 0 kind '2'/'4'/'6', 1 "OP", 3 0x1A, 4 name (32 bytes, zero-padded), 36/47/58 the
// 11-byte operator blocks (0x20, 0x40, 0x60, 0x80, 0xE0 of modulator then carrier, byte by
// byte interleaved, then the channel's 0xC0 byte), 69 version, 70 PatchExt.
//
// No state between calls; the file system is touched only by List, Read and Write.
// Main thread only.
class TSbi {
public:
    static constexpr size_t kSize2op = 52;
    static constexpr size_t kSize4op = 60;
    static constexpr size_t kMin6op = 70;
    static constexpr size_t kSize6op = 310;
    static constexpr uint8_t kVersion = 5;
    static inline const std::string kExtension = ".sbi";

    // `root` is the preset tree: the executable's folder + "vpx".
    explicit TSbi(std::filesystem::path root);
    const std::filesystem::path& Root() const { return root; }

    // The preset names of bank `folder` ("2op", "4op", "6op"); always true.
    bool List(const std::string& folder, std::vector<std::string>& names) const;
    // Overlays the preset onto `patch` and `ext`, which hold the current settings. False (and
    // neither record touched) when the name is unsafe, the file cannot be read, or its size or
    // magic is not one of the three kinds. The kind comes from the file, not from `folder`.
    bool Read(const std::string& folder, const std::string& name, PatchRecord& patch,
              PatchExt& ext) const;
    // The same for a file anywhere (the renderer's "--preset file.sbi").
    static bool ReadFile(const std::filesystem::path& file, PatchRecord& patch, PatchExt& ext);
    // Writes the preset in the kind of `folder`, replacing any file of that name as a whole
    // (temporary file renamed over it). False, with nothing written, for an unsafe name or a
    // folder that is none of the three banks, and when the file system refuses.
    bool Write(const std::string& folder, const std::string& name, const PatchRecord& patch,
               const PatchExt& ext) const;

    // The file image of one kind ('2', '4' or '6'); empty for any other kind.
    static std::vector<uint8_t> Encode(char kind, const std::string& name, const PatchRecord& patch,
                                       const PatchExt& ext);
    // Read's rules applied to a file image.
    static bool Decode(std::span<const uint8_t> file, PatchRecord& patch, PatchExt& ext);

private:
    std::filesystem::path root;
};

} // namespace vorpline
