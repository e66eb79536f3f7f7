#pragma once
#include <cstdint>
#include <cstdio>
#include <string>

namespace vorpline {

// A text log of every register write that reached the chip, one line per write:
// "<frame> <register, 3 upper-case hex digits> <value, 2 upper-case hex digits>".
// Single thread.
class RegisterLog {
public:
    // Throws std::runtime_error naming the file if it cannot be created.
    explicit RegisterLog(const std::string& path);
    ~RegisterLog();
    RegisterLog(const RegisterLog&) = delete;
    RegisterLog& operator=(const RegisterLog&) = delete;

    void Log(uint64_t frame, uint16_t reg, uint8_t value);
    // Throws if anything could not be written.
    void Close();

private:
    std::string path;
    std::FILE* file = nullptr;
};

} // namespace vorpline
