#pragma once
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "engine/PatchRecord.h"

namespace vorpline {

// Whole instrument banks of the Linux OPL3 loader: a file of up to 128 fixed-size records, one
// per General MIDI program (or, in a drum bank, per note). Two record sizes exist:
//   52 bytes (".sb"):  magic "SBI\x1A" or "2OP\x1A", then the classic SBI instrument;
//   60 bytes (".o3"):  magic "4OP\x1A" (two operator pairs) or "2OP\x1A" (first pair only).
// Record layout: 0 magic (4), 4 name (25 bytes, NUL-terminated unless full), 29 the loader's
// extras (echo, transpose, a drum's fixed note: no place in a preset, left out), 36 the first
// 11-byte operator block (0x20, 0x40, 0x60, 0x80, 0xE0 of modulator then carrier, interleaved,
// then 0xC0), 47 the second block (60-byte 4OP records only), then padding.
// A record whose magic is four zero bytes is an empty slot (drum banks leave most of them so).

// One instrument of a bank.
struct BankRecord {
    int index = 0;    // slot in the file, 0..127 (program number, or a drum bank's note)
    char kind = 0;    // '2' (2-operator, operators 5/6) or '4' (operators 1-4)
    std::string name; // the record's own name, bytes as stored, up to its NUL
    PatchRecord patch;
};

struct ParsedBank {
    std::vector<BankRecord> records; // the non-empty slots, in file order
    size_t recordSize = 0;           // 52 or 60
    int emptySlots = 0;
    std::string problem; // empty when the file is a bank; otherwise why not, for the user
};

// Splits a bank file into its instruments; refuses a file of the wrong size, one that ends
// inside a record, and a record that is no instrument. Nothing else is checked: every register
// byte is a valid register value. Any thread (no state).
ParsedBank ParseBank(std::span<const uint8_t> file);

// The name a record gets in a preset folder: printable ASCII only (every other byte, path
// separators included, becomes "_"), blanks trimmed, no leading "."; empty when nothing is left.
std::string SafePresetName(const std::string& raw);

// The bank folder of a record kind: "2op" or "4op".
std::string BankFolderOf(char kind);

struct ImportedPreset {
    int index = 0;
    std::string folder; // "2op" or "4op"
    std::string name;   // the preset's name in that folder
    bool replaced = false;
};

struct BankImportResult {
    std::vector<ImportedPreset> presets; // what was written (or would have been, if cancelled)
    int emptySlots = 0;
    int leftOut = 0;        // instruments of the other kind when only one bank was asked for
    bool cancelled = false; // the user declined to replace existing presets: nothing written
    std::string problem;    // empty on success (and on cancel)
};

// Asked once, before anything is written, with the "folder/name" of every existing preset the
// import would replace; true lets them be replaced, false cancels the whole import.
using ConfirmReplace = std::function<bool(const std::vector<std::string>&)>;

// Writes the bank's instruments as presets under the preset tree `root` ("<root>/2op",
// "<root>/4op"), all files as one change. `onlyFolder` ("2op"/"4op") keeps the instruments of
// that bank and leaves out the others. Names: SafePresetName of the record's name; an empty one
// becomes "Instrument <slot>", and a name taken earlier in the same import (ignoring case, or
// "Default") gets " 2", " 3", ... Main thread only.
BankImportResult ImportBank(const std::filesystem::path& root, const ParsedBank& bank,
                            const std::optional<std::string>& onlyFolder,
                            const ConfirmReplace& confirm);

} // namespace vorpline
