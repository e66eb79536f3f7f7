#include "platform/FileBytes.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace vorpline {

FileBytes ReadFileBytes(const std::filesystem::path& path, std::size_t limit) {
    FileBytes result;
    // A folder opens as a stream on Linux and only fails when read; a FIFO would block the
    // open itself, a device never end: look before opening.
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (!ec && std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
        result.error = "not a regular file";
        return result;
    }
    struct Closer {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };
    std::unique_ptr<std::FILE, Closer> file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        result.error = std::string("cannot open: ") + std::strerror(errno);
        return result;
    }
    constexpr std::size_t kBlock = 65536;
    while (result.bytes.size() < limit) {
        std::size_t want = std::min(kBlock, limit - result.bytes.size());
        std::size_t old = result.bytes.size();
        result.bytes.resize(old + want);
        std::size_t got = std::fread(result.bytes.data() + old, 1, want, file.get());
        result.bytes.resize(old + got);
        if (got < want) {
            break;
        }
    }
    if (std::ferror(file.get())) {
        result.bytes.clear();
        result.error = "read error";
    }
    return result;
}

} // namespace vorpline
