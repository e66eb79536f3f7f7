#include "platform/IniFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <stdexcept>

#include "platform/AsciiCase.h"

namespace vorpline {

namespace {

constexpr std::string_view kBlanks = " \t";

std::string_view Trim(std::string_view text) {
    const size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) {
        return {};
    }
    const size_t last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

bool HasLineBreak(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
}

// A value as it can stand on one line: control characters, line breaks among them, become
// blanks. A preset name typed with a pasted line break must not end the program's whole
// configuration, nor add keys of its own to it.
std::string OneLine(std::string_view value) {
    std::string line(value);
    for (char& c : line) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            c = ' ';
        }
    }
    return line;
}

[[noreturn]] void ThrowSystemError(const char* what, const std::string& path, int error) {
    throw std::runtime_error(std::string(what) + " configuration file '" + path +
                             "': " + std::strerror(error));
}

// Closes a descriptor and removes a temporary file unless released.
class TempFileGuard {
public:
    TempFileGuard(int fd, std::string path) : fd(fd), path(std::move(path)) {}
    ~TempFileGuard() {
        if (fd >= 0) {
            ::close(fd);
        }
        if (!path.empty()) {
            ::unlink(path.c_str());
        }
    }
    TempFileGuard(const TempFileGuard&) = delete;
    TempFileGuard& operator=(const TempFileGuard&) = delete;

    // Closes the descriptor; returns 0 or the error of close.
    int Close() {
        const int result = ::close(fd);
        fd = -1;
        return result == 0 ? 0 : errno;
    }
    void Keep() { path.clear(); }

    int fd;
    std::string path;
};

} // namespace

IniFile::IniFile(std::string path) : path(std::move(path)) {
    const int fd = ::open(this->path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) {
            return;
        }
        ThrowSystemError("Cannot read", this->path, errno);
    }
    std::string contents;
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            const int error = errno;
            ::close(fd);
            ThrowSystemError("Cannot read", this->path, error);
        }
        if (got == 0) {
            break;
        }
        contents.append(buffer, static_cast<size_t>(got));
    }
    ::close(fd);

    size_t start = 0;
    while (start < contents.size()) {
        size_t end = contents.find('\n', start);
        if (end == std::string::npos) {
            end = contents.size();
        }
        std::string_view line(contents.data() + start, end - start);
        // Every CR before the LF: a line end some tool turned into CR CR LF would otherwise
        // keep one in the value, which the LF-only write would then take off, so a key nobody
        // changed would read differently after the next save.
        while (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        lines.emplace_back(line);
        start = end + 1;
    }
}

std::optional<std::string_view> IniFile::SectionName(std::string_view line) {
    const std::string_view trimmed = Trim(line);
    if (trimmed.empty() || trimmed.front() != '[') {
        return std::nullopt;
    }
    const size_t close = trimmed.rfind(']');
    if (close == 0) {
        return std::nullopt;
    }
    return Trim(trimmed.substr(1, close - 1));
}

std::optional<IniFile::KeyLine> IniFile::ParseKeyLine(std::string_view line) {
    const std::string_view trimmed = Trim(line);
    if (trimmed.empty() || trimmed.front() == ';') {
        return std::nullopt;
    }
    const size_t equals = trimmed.find('=');
    if (equals == std::string_view::npos) {
        return std::nullopt;
    }
    const std::string_view key = Trim(trimmed.substr(0, equals));
    if (key.empty()) {
        return std::nullopt;
    }
    return KeyLine{key, Trim(trimmed.substr(equals + 1))};
}

size_t IniFile::FindKey(std::string_view section, std::string_view key) const {
    section = Trim(section);
    key = Trim(key);
    bool inSection = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (const auto name = SectionName(lines[i])) {
            inSection = EqualsIgnoringAsciiCase(*name, section);
            continue;
        }
        if (!inSection) {
            continue;
        }
        const auto keyLine = ParseKeyLine(lines[i]);
        if (keyLine && EqualsIgnoringAsciiCase(keyLine->key, key)) {
            return i;
        }
    }
    return lines.size();
}

std::string IniFile::ReadString(std::string_view section, std::string_view key,
                                std::string_view fallback) const {
    const size_t index = FindKey(section, key);
    if (index == lines.size()) {
        return std::string(fallback);
    }
    return std::string(ParseKeyLine(lines[index])->value);
}

void IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    section = Trim(section);
    key = Trim(key);
    if (section.empty() || HasLineBreak(section)) {
        throw std::invalid_argument("Configuration section name '" + std::string(section) +
                                    "' is blank or holds a line break");
    }
    if (key.empty() || HasLineBreak(key) || key.find('=') != std::string_view::npos ||
        key.front() == ';' || key.front() == '[') {
        throw std::invalid_argument("Configuration key '" + std::string(key) + "' in section '" +
                                    std::string(section) + "' cannot be written");
    }
    const std::string safeValue = OneLine(value);
    const std::string line = std::string(key) + "=" + safeValue;
    const size_t existing = FindKey(section, key);
    if (existing != lines.size()) {
        const std::string_view spelling = ParseKeyLine(lines[existing])->key;
        lines[existing] = std::string(spelling) + "=" + safeValue;
        return;
    }

    size_t header = 0;
    while (header < lines.size()) {
        const auto name = SectionName(lines[header]);
        if (name && EqualsIgnoringAsciiCase(*name, section)) {
            break;
        }
        ++header;
    }
    if (header == lines.size()) {
        if (!lines.empty() && !Trim(lines.back()).empty()) {
            lines.emplace_back();
        }
        lines.push_back("[" + std::string(section) + "]");
        lines.push_back(line);
        return;
    }

    size_t end = header + 1;
    while (end < lines.size() && !SectionName(lines[end])) {
        ++end;
    }
    // Blank lines that close the section stay between it and the next one.
    while (end > header + 1 && Trim(lines[end - 1]).empty()) {
        --end;
    }
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(end), line);
}

void IniFile::DeleteKey(std::string_view section, std::string_view key) {
    for (size_t index = FindKey(section, key); index != lines.size();
         index = FindKey(section, key)) {
        lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(index));
    }
}

void IniFile::UpdateFile() const {
    std::string contents;
    for (const std::string& line : lines) {
        contents += line;
        contents += '\n';
    }

    // The temporary name is unique per process and call; O_EXCL guards against leftovers of a
    // process that died with the same id. Creating it with open (not mkstemp) lets the umask
    // decide the permissions of a new file, as for any file the user creates.
    static std::atomic<unsigned> serial{0};
    int fd = -1;
    std::string tempPath;
    for (int attempt = 0; fd < 0; ++attempt) {
        tempPath = path + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(serial++);
        fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && (errno != EEXIST || attempt >= 100)) {
            ThrowSystemError("Cannot write", path, errno);
        }
    }
    TempFileGuard guard(fd, tempPath);

    struct stat existing {};
    if (::stat(path.c_str(), &existing) == 0 && S_ISREG(existing.st_mode)) {
        if (::fchmod(fd, existing.st_mode & 07777) != 0) {
            ThrowSystemError("Cannot write", path, errno);
        }
    }

    size_t written = 0;
    while (written < contents.size()) {
        const ssize_t put = ::write(fd, contents.data() + written, contents.size() - written);
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put < 0) {
            ThrowSystemError("Cannot write", path, errno);
        }
        written += static_cast<size_t>(put);
    }
    if (::fsync(fd) != 0) {
        ThrowSystemError("Cannot write", path, errno);
    }
    if (const int error = guard.Close(); error != 0) {
        ThrowSystemError("Cannot write", path, error);
    }
    if (::rename(tempPath.c_str(), path.c_str()) != 0) {
        ThrowSystemError("Cannot write", path, errno);
    }
    guard.Keep();
}

std::optional<int64_t> IniFile::ParseInteger(std::string_view text) {
    text = Trim(text);
    // from_chars takes '-' but not '+'; the digits must follow the one sign directly.
    size_t firstDigit = 0;
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
    } else if (!text.empty() && text.front() == '-') {
        firstDigit = 1;
    }
    if (text.size() <= firstDigit || text[firstDigit] < '0' || text[firstDigit] > '9') {
        return std::nullopt;
    }
    int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

} // namespace vorpline
