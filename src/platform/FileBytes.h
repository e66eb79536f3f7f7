#pragma once
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace vorpline {

// The first bytes of a file, or why they could not be read. Every reader of files from outside
// goes through here, so each one bounds what it reads (a stray multi-gigabyte file or a device
// node never fills memory) and fails the same way.
struct FileBytes {
    std::vector<uint8_t> bytes;
    // Empty when the read succeeded; otherwise "cannot open: <reason>", "not a regular file" or
    // "read error".
    std::string error;

    explicit operator bool() const { return error.empty(); }
};

// Reads at most `limit` bytes from the start of the regular file `path`. A caller that must
// tell an over-long file from one of exactly its size asks for one byte more than it accepts.
// Any thread.
FileBytes ReadFileBytes(const std::filesystem::path& path, std::size_t limit);

} // namespace vorpline
