#pragma once
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <string>
#include <vector>

namespace vorpline::test {

struct ProgramResult {
    int exitCode = -1;
    std::string output; // standard output and standard error together
};

// Runs a program of ours with arguments (each quoted for the shell) and collects what it said.
inline ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& args) {
    std::string command = "'" + program + "'";
    for (const auto& a : args) {
        std::string quoted;
        for (char c : a) {
            quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
        }
        command += " '" + quoted + "'";
    }
    command += " 2>&1";
    ProgramResult result;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return result;
    }
    std::array<char, 4096> buffer{};
    while (size_t n = fread(buffer.data(), 1, buffer.size(), pipe)) {
        result.output.append(buffer.data(), n);
    }
    int status = pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

} // namespace vorpline::test
