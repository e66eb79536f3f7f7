#include "controls/Picture.h"

#include <filesystem>
#include <fstream>

namespace vorpline {

bool Picture::LoadFromFile(const std::string& path) {
    // A folder opens as a stream on Linux and only fails when read: look first.
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    std::vector<unsigned char> data;
    char chunk[4096];
    while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
        data.insert(data.end(), chunk, chunk + in.gcount());
    }
    if (in.bad() || data.empty()) {
        return false;
    }
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
