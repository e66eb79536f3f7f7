#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vorpline {

// The program's configuration file, read and written with the rules of Windows INI files:
//
// - "[name]" starts a section; the name runs from the first '[' to the last ']' on the line,
//   blanks around it trimmed, so "[Line [2] Out]" is the section "Line [2] Out".
// - "key=value" splits at the first '='; key and value are trimmed of blanks (spaces, tabs).
// - Section and key names compare case-insensitively (ASCII). When a key appears twice, the
//   first one counts.
// - Lines starting with ';' are comments. Lines that are neither headers nor key=value lines
//   (and keys before the first section) are never read but kept.
//
// Writing changes only the lines it has to: a key that exists is rewritten in place with its
// original spelling, a new key goes after the last non-blank line of its section, a new
// section goes at the end of the file. Every other line is written back byte for byte.
// CRLF and LF line ends are read (any number of CRs before the LF); LF is written.
//
// Changes stay in memory until UpdateFile. No shared state: one instance belongs to one thread.
class IniFile {
public:
    // Loads `path` if it exists; a missing file reads as empty and is created by UpdateFile.
    // Throws std::runtime_error naming the path and the system error if the file exists but
    // cannot be read.
    explicit IniFile(std::string path);

    // The trimmed value of `key` in `section`, or `fallback` if there is none.
    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view fallback) const;
    // Sets `key` in `section` to `value`, adding the key or section if needed. Section and key
    // names are the program's own: a blank one, a line break in one, or a key containing '='
    // or starting with ';' or '[' (it would not read back as that key) throws
    // std::invalid_argument and changes nothing. Values come from the user (preset names,
    // device names) and never throw: line breaks and other control characters (0x00-0x1F,
    // 0x7F) become blanks, so the value stays on its one line and cannot start a key or a
    // section of its own. Blanks around the value do not read back; they are kept in the file
    // all the same.
    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    // Removes every line of `key` in `section`; does nothing if there is none.
    void DeleteKey(std::string_view section, std::string_view key);

    // Replaces the file with the current contents: writes a temporary file in the same folder,
    // then renames it over the file, so a reader sees either the old or the new file. An
    // existing file keeps its permission bits. Throws std::runtime_error naming the path and
    // the system error on failure; the file is then unchanged and no temporary file is left.
    void UpdateFile() const;

    const std::string& Path() const { return path; }

    // Decimal integer with an optional sign, blanks around it allowed: " -12 " is -12.
    // Anything else, and values outside the int64_t range, give nullopt.
    static std::optional<int64_t> ParseInteger(std::string_view text);

private:
    struct KeyLine {
        std::string_view key;
        std::string_view value;
    };

    static std::optional<std::string_view> SectionName(std::string_view line);
    static std::optional<KeyLine> ParseKeyLine(std::string_view line);
    // Index of the first line of `key` in `section`, or lines.size().
    size_t FindKey(std::string_view section, std::string_view key) const;

    std::string path;
    // The file's lines without their line ends.
    std::vector<std::string> lines;
};

} // namespace vorpline
