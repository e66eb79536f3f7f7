#include "presets/PresetFolder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>

namespace vorpline {

namespace fs = std::filesystem;

namespace {

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Case-insensitive order (ASCII letters); names that differ only in case keep a fixed order.
bool CaselessLess(const std::string& a, const std::string& b) {
    auto less = [](char x, char y) { return Lower(x) < Lower(y); };
    if (std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), less)) {
        return true;
    }
    if (std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(), less)) {
        return false;
    }
    return a < b;
}

bool IsBlank(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c == ' ' || c == '\t'; });
}

// write() until everything is out, riding over interrupted calls.
bool WriteAll(int fd, std::span<const uint8_t> bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t put = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put <= 0) {
            return false;
        }
        done += static_cast<size_t>(put);
    }
    return true;
}

} // namespace

PresetFolder::PresetFolder(fs::path folder, std::string extension,
                           std::optional<std::uintmax_t> exactSize)
    : folder(std::move(folder)), extension(std::move(extension)), exactSize(exactSize) {}

std::vector<std::string> PresetFolder::List() const {
    return ListPresetNames(folder, extension, exactSize);
}

std::optional<fs::path> PresetFolder::PathOf(const std::string& name) const {
    if (!NameProblem(name).empty()) {
        return std::nullopt;
    }
    return folder / (name + extension);
}

bool PresetFolder::Remove(const std::string& name) const {
    auto path = PathOf(name);
    std::error_code ec;
    return path && fs::remove(*path, ec) && !ec;
}

std::string PresetFolder::NameProblem(const std::string& name) {
    if (IsBlank(name)) {
        return "You must supply a name for the preset.";
    }
    if (name.find_first_of("/\\") != std::string::npos) {
        return "A preset name cannot contain \"/\" or \"\\\".";
    }
    if (name.front() == '.') {
        return "A preset name cannot start with \".\".";
    }
    if (std::any_of(name.begin(), name.end(), [](char c) {
            auto u = static_cast<unsigned char>(c);
            return u < 0x20 || u == 0x7F;
        })) {
        return "A preset name cannot contain control characters.";
    }
    if (name.size() > kMaxNameBytes) {
        return "A preset name can be at most " + std::to_string(kMaxNameBytes) +
               " characters long.";
    }
    return {};
}

std::vector<std::string> ListPresetNames(const fs::path& folder, const std::string& extension,
                                         std::optional<std::uintmax_t> exactSize) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::string file = it->path().filename().string();
        // A folder called "x.sbi" is no preset; a link to a preset file is.
        if (file.size() <= extension.size() ||
            file.compare(file.size() - extension.size(), extension.size(), extension) != 0 ||
            !it->is_regular_file(ec)) {
            continue;
        }
        if (exactSize && it->file_size(ec) != *exactSize) {
            continue;
        }
        std::string name = file.substr(0, file.size() - extension.size());
        if (name != PresetFolder::kDefaultName) {
            names.push_back(std::move(name));
        }
    }
    std::sort(names.begin(), names.end(), CaselessLess);
    if (names.empty()) {
        names.push_back(PresetFolder::kDefaultName);
    }
    return names;
}

namespace {

// A name beside `path` (same folder, so a rename can replace `path`) that is unique to this
// process and call: `path` + "." + tag + "-<pid>-<serial>". The extension no longer ends the
// name, so a leftover is never listed as a preset.
std::string BesideName(const fs::path& path, const char* tag) {
    static std::atomic<unsigned> serial{0};
    return path.string() + "." + tag + "-" + std::to_string(::getpid()) + "-" +
           std::to_string(serial++);
}

// `bytes` in a new file beside `path`, synced, with the permissions `path` has when it exists
// (replacing a preset keeps what the user gave it). Nothing on failure, and nothing left behind.
std::optional<std::string> WriteBeside(const fs::path& path, std::span<const uint8_t> bytes) {
    std::string temp;
    int fd = -1;
    // O_EXCL refuses leftovers of another run.
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        temp = BesideName(path, "part");
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) {
            return std::nullopt;
        }
    }
    if (fd < 0) {
        return std::nullopt;
    }
    struct stat old {};
    bool ok = WriteAll(fd, bytes) && ::fsync(fd) == 0;
    if (ok && ::stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
        ok = ::fchmod(fd, old.st_mode & 07777) == 0;
    }
    ok = ::close(fd) == 0 && ok;
    if (!ok) {
        ::unlink(temp.c_str());
        return std::nullopt;
    }
    return temp;
}

} // namespace

bool ReplaceFileContents(const fs::path& path, std::span<const uint8_t> bytes) {
    const auto temp = WriteBeside(path, bytes);
    if (!temp) {
        return false;
    }
    if (::rename(temp->c_str(), path.c_str()) != 0) {
        ::unlink(temp->c_str());
        return false;
    }
    return true;
}

bool ReplaceFilesTogether(std::span<const FileContents> files) {
    struct Step {
        std::string temp;
        std::string backup; // a second link to the file replaced; empty when there was none
        bool renamed = false;
    };
    std::vector<Step> steps(files.size());
    bool ok = true;
    // Every new file written before any old one is touched.
    for (std::size_t i = 0; ok && i < files.size(); ++i) {
        const auto temp = WriteBeside(files[i].path, files[i].bytes);
        ok = temp.has_value();
        steps[i].temp = temp.value_or("");
    }
    // The files about to be replaced keep a second name, so they can be put back.
    for (std::size_t i = 0; ok && i < files.size(); ++i) {
        struct stat old {};
        if (::lstat(files[i].path.c_str(), &old) != 0) {
            ok = errno == ENOENT;
            continue;
        }
        steps[i].backup = BesideName(files[i].path, "old");
        ok = ::linkat(AT_FDCWD, files[i].path.c_str(), AT_FDCWD, steps[i].backup.c_str(), 0) == 0;
        if (!ok) {
            steps[i].backup.clear();
        }
    }
    for (std::size_t i = 0; ok && i < files.size(); ++i) {
        ok = ::rename(steps[i].temp.c_str(), files[i].path.c_str()) == 0;
        steps[i].renamed = ok;
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        Step& step = steps[i];
        if (!ok && step.renamed) {
            // Undone: the old file back under its name, or the new one gone again.
            if (!step.backup.empty()) {
                ::rename(step.backup.c_str(), files[i].path.c_str());
            } else {
                ::unlink(files[i].path.c_str());
            }
        }
        if (!step.renamed && !step.temp.empty()) {
            ::unlink(step.temp.c_str());
        }
        if (!step.backup.empty()) {
            ::unlink(step.backup.c_str()); // gone already when it was renamed back
        }
    }
    return ok;
}

} // namespace vorpline
