#pragma once
#include <cstdio>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace vorpline::test {

// One line of a render's --reglog file: the output frame, the register and the value.
struct LoggedWrite {
    unsigned long frame = 0;
    unsigned reg = 0;
    unsigned value = 0;
    bool operator==(const LoggedWrite&) const = default;
};

// Every write of a --reglog file's text, in order.
inline std::vector<LoggedWrite> RegisterWrites(const std::string& log) {
    std::vector<LoggedWrite> writes;
    std::istringstream in(log);
    for (std::string line; std::getline(in, line);) {
        LoggedWrite w;
        if (std::sscanf(line.c_str(), "%lu %x %x", &w.frame, &w.reg, &w.value) == 3) {
            writes.push_back(w);
        }
    }
    return writes;
}

// The last value a render wrote to each register, from the text of its --reglog file.
inline std::map<unsigned, unsigned> FinalRegisters(const std::string& log) {
    std::map<unsigned, unsigned> regs;
    for (const LoggedWrite& w : RegisterWrites(log)) {
        regs[w.reg] = w.value;
    }
    return regs;
}

} // namespace vorpline::test
