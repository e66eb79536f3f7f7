#pragma once
#include <cstdint>
#include <string>

#include "config/TFormPort.h"

namespace vorpline {

class IniFile;

// Output types in the configuration dialog's order.
enum OutputType : int {
    kTypeFM801 = 0,
    kTypeSOLO1,
    kTypeALS4000,
    kTypeSB16,
    kTypeSBPRO2,
    kTypeESS,
    kTypeOPL3,
    kTypeOPL3LPT,
    kTypeWAVE
};

inline constexpr const char* kMainSection = "VORPLINE";

// Reads the nine keys of the main section: missing keys take their default, texts that are not
// numbers their fallback.
PortConfig ReadOutputConfig(const IniFile& ini);
void WriteOutputConfig(IniFile& ini, const PortConfig& config);

// The per-output section: the port or device name in upper case with "[" -> "(", "]" -> ")"
// and blanks -> "-", so each card and each wave device keeps its own settings.
std::string DeviceSection(const std::string& ioPort);

// Where the configuration lives: the executable's path with ".INI" for its extension; or, when
// the program was started with an argument, that name (with ".INI") in the executable's folder,
// in which case an existing file means no dialog.
struct IniLocation {
    std::string path;
    bool skipDialog = false;
};
IniLocation LocateIni(const std::string& executablePath, const std::string& firstArgument);

} // namespace vorpline
