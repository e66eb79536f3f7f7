#include "app/ImportBankCommand.h"

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <optional>
#include <unistd.h>

#include "platform/FileBytes.h"
#include "presets/BankImport.h"

namespace vorpline {

namespace {

// Two bytes more than the largest bank: enough to tell an over-long file.
constexpr size_t kReadLimit = 128 * 60 + 2;

bool AskOnTerminal(const std::vector<std::string>& existing) {
    std::printf("These presets exist already:\n");
    for (const auto& name : existing) {
        std::printf("  %s\n", name.c_str());
    }
    // Without a terminal nobody can answer, and a pipe must never be read as consent.
    if (isatty(STDIN_FILENO) == 0) {
        return false;
    }
    std::printf("Replace them? [y/N] ");
    std::fflush(stdout);
    std::string answer;
    std::getline(std::cin, answer);
    return answer == "y" || answer == "Y" || answer == "yes";
}

} // namespace

std::string ImportBankUsage(const std::string& invocation) {
    return "Usage: " + invocation +
           " FILE [--bank 2op|4op] [--root DIR] [--replace]\n"
           "  Imports an OPL3 instrument bank (.sb: 2-operator, .o3: 4-operator) as presets\n"
           "  named after its instruments: 2-operator ones into vpx/2op, 4-operator ones\n"
           "  into vpx/4op beside the program.\n"
           "  --bank B       import only the instruments of bank B\n"
           "  --root DIR     the preset tree to import into, in place of vpx/\n"
           "  --replace      replace existing presets of the same names without asking\n";
}

int RunImportBankCommand(const std::string& program, const std::vector<std::string>& args) {
    std::optional<std::string> file;
    std::optional<std::string> only;
    std::filesystem::path root;
    bool replace = false;
    auto usage = [&](const std::string& message) {
        std::fprintf(stderr, "%s: %s\n%s", program.c_str(), message.c_str(),
                     ImportBankUsage(program).c_str());
        return 2;
    };
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            std::fputs(ImportBankUsage(program).c_str(), stdout);
            return 0;
        }
        if (a == "--replace") {
            replace = true;
        } else if (a == "--bank" || a == "--root") {
            if (i + 1 >= args.size()) {
                return usage(a + " needs a value");
            }
            const std::string& value = args[++i];
            if (a == "--root") {
                root = value;
            } else if (value == "2op" || value == "4op") {
                only = value;
            } else {
                return usage("--bank wants 2op or 4op, not \"" + value + "\"");
            }
        } else if (!a.starts_with("--") && !file) {
            file = a;
        } else {
            return usage("unexpected argument " + a);
        }
    }
    if (!file) {
        return usage("expected a bank file");
    }
    if (root.empty()) {
        std::error_code error;
        const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
        if (error) {
            std::fprintf(stderr, "%s: cannot find the program's folder; give --root\n",
                         program.c_str());
            return 1;
        }
        root = self.parent_path() / "vpx";
    }
    const FileBytes read = ReadFileBytes(*file, kReadLimit);
    if (!read) {
        std::fprintf(stderr, "%s: %s: %s\n", program.c_str(), file->c_str(), read.error.c_str());
        return 1;
    }
    const ParsedBank bank = ParseBank(read.bytes);
    const BankImportResult result =
        ImportBank(root, bank, only, [&](const std::vector<std::string>& existing) {
            return replace || AskOnTerminal(existing);
        });
    if (!result.problem.empty()) {
        std::fprintf(stderr, "%s: %s: %s\n", program.c_str(), file->c_str(),
                     result.problem.c_str());
        return 1;
    }
    if (result.cancelled) {
        std::printf("Nothing imported: existing presets were kept (--replace replaces them).\n");
        return 1;
    }
    for (const ImportedPreset& p : result.presets) {
        std::printf("%3d  %s/%s%s\n", p.index, p.folder.c_str(), p.name.c_str(),
                    p.replaced ? "  (replaced)" : "");
    }
    std::printf("Imported %zu presets into %s", result.presets.size(), root.c_str());
    if (result.leftOut > 0) {
        std::printf("; %d of the other bank left out", result.leftOut);
    }
    if (result.emptySlots > 0) {
        std::printf("; %d empty slots", result.emptySlots);
    }
    std::printf(".\n");
    return 0;
}

} // namespace vorpline
