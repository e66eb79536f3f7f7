#include "files/RegisterLog.h"

#include <cerrno>
#include <cinttypes>
#include <cstring>
#include <stdexcept>

namespace vorpline {

RegisterLog::RegisterLog(const std::string& path)
    : path(path), file(std::fopen(path.c_str(), "w")) {
    if (file == nullptr) {
        throw std::runtime_error("Cannot create register log " + path + ": " +
                                 std::strerror(errno));
    }
}

RegisterLog::~RegisterLog() {
    if (file != nullptr) {
        std::fclose(file);
    }
}

void RegisterLog::Log(uint64_t frame, uint16_t reg, uint8_t value) {
    std::fprintf(file, "%" PRIu64 " %03X %02X\n", frame, reg, value);
}

void RegisterLog::Close() {
    if (file == nullptr) {
        return;
    }
    bool failed = std::ferror(file) != 0;
    failed |= std::fclose(file) != 0;
    file = nullptr;
    if (failed) {
        throw std::runtime_error("Cannot write register log " + path);
    }
}

} // namespace vorpline
