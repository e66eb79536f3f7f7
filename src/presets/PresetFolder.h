#pragma once
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace vorpline {

// One folder of presets of one kind: every file "<name><extension>" in it is a preset called
// <name>. The name "Default" never names a file: it stands for the window's built-in contents.
//
// A preset's name comes from the user, so every operation that turns a name into a path first
// makes sure the path stays inside the folder (see NameProblem).
// Main thread only (the file system is the only state).
class PresetFolder {
public:
    static inline const std::string kDefaultName = "Default";
    // Longest name in bytes: the file name (name + extension) must stay well below the 255
    // bytes Linux file systems allow, and names travel inside performance bundles.
    static constexpr std::size_t kMaxNameBytes = 128;

    // `exactSize`: only files of exactly that many bytes are listed (fixed-size formats, so a
    // truncated or foreign file never shows up as a preset).
    PresetFolder(std::filesystem::path folder, std::string extension,
                 std::optional<std::uintmax_t> exactSize = std::nullopt);

    const std::filesystem::path& Folder() const { return folder; }
    void SetFolder(std::filesystem::path value) { folder = std::move(value); }
    const std::string& Extension() const { return extension; }

    // The names of the folder, sorted without regard to letter case; "Default" stands first
    // only when nothing else is there (a missing or empty folder lists just "Default").
    std::vector<std::string> List() const;
    // The file of a preset, or nothing when the name could leave the folder.
    std::optional<std::filesystem::path> PathOf(const std::string& name) const;
    // Deletes the preset's file; false if the name is unsafe or the file could not be removed.
    bool Remove(const std::string& name) const;

    // Why `name` cannot be a file name in a preset folder, as a message for the user, or an
    // empty text when it can. Refused: names that are blank, contain "/" or "\", start with
    // "." (hidden files, "." and ".."), contain control characters, or exceed kMaxNameBytes.
    static std::string NameProblem(const std::string& name);

private:
    std::filesystem::path folder;
    std::string extension;
    std::optional<std::uintmax_t> exactSize;
};

// The listing rule shared by every preset folder: the files "*<extension>" of `folder` (no
// sub-folders), their names without the extension, "Default" left out, sorted ignoring case;
// the single name "Default" when that leaves nothing. With `exactSize`, files of any other size
// are left out too.
std::vector<std::string> ListPresetNames(const std::filesystem::path& folder,
                                         const std::string& extension,
                                         std::optional<std::uintmax_t> exactSize = std::nullopt);

// Replaces `path` with `bytes` so that a reader sees the old file or the new one, never half:
// the bytes go to a temporary file in the same folder, which is then renamed over `path`.
// On failure nothing is left behind and the old file is untouched. Returns success.
bool ReplaceFileContents(const std::filesystem::path& path, std::span<const uint8_t> bytes);

// One file of a set that is written together.
struct FileContents {
    std::filesystem::path path;
    std::vector<uint8_t> bytes;
};

// Creates or replaces every file of `files` as one change: each file's bytes go to a temporary
// file beside it, and only when all are written are they renamed into place. When anything
// fails, the temporaries are removed and each file already replaced gets its old contents back
// (one that did not exist is removed again), so the set changes whole or not at all. (A crash
// during the renames can leave some replaced; never half a file.) The folders must exist, and
// the paths must differ. Returns success.
bool ReplaceFilesTogether(std::span<const FileContents> files);

} // namespace vorpline
