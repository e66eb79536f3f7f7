#pragma once
#include <cstdio>
#include <map>
#include <sstream>
#include <string>

namespace vorpline::test {

// The last value a render wrote to each register, from the text of its --reglog file.
inline std::map<unsigned, unsigned> FinalRegisters(const std::string& log) {
    std::map<unsigned, unsigned> regs;
    std::istringstream in(log);
    for (std::string line; std::getline(in, line);) {
        unsigned long frame = 0;
        unsigned reg = 0;
        unsigned value = 0;
        if (std::sscanf(line.c_str(), "%lu %x %x", &frame, &reg, &value) == 3) {
            regs[reg] = value;
        }
    }
    return regs;
}

} // namespace vorpline::test
