#pragma once
#include <string>
#include <vector>

namespace vorpline {

// "vorpline --import-bank FILE [--bank 2op|4op] [--root DIR] [--replace]": imports a whole
// instrument bank into the preset tree without a display, prints what it wrote, and returns
// the exit code (0 done, 1 failed or declined, 2 bad usage). Existing presets are replaced only
// with --replace or when the user answers "y" on a terminal.
int RunImportBankCommand(const std::string& program, const std::vector<std::string>& args);

std::string ImportBankUsage(const std::string& invocation);

} // namespace vorpline
