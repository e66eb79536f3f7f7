#include "controls/Picture.h"

#include <filesystem>
#include <fstream>

#include "platform/FileBytes.h"

namespace vorpline {

bool Picture::LoadFromFile(const std::string& path) {
    // The algorithm pictures are a few kilobytes; a bound keeps a wrong file from filling memory.
    constexpr std::size_t kMaxBytes = 16u << 20;
    FileBytes read = ReadFileBytes(path, kMaxBytes + 1);
    if (!read || read.bytes.empty() || read.bytes.size() > kMaxBytes) {
        return false;
    }
    std::vector<unsigned char> data(read.bytes.begin(), read.bytes.end());
    bytes = std::move(data);
    this->path = path;
    Changed();
    return true;
}

void Picture::Clear() {
    if (bytes.empty() && path.empty()) {
        return;
    }
    bytes.clear();
    path.clear();
    Changed();
}

} // namespace vorpline
