#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "app/ImportBankCommand.h"
#include "app/RenderCommand.h"
#include "desktop/DisplayCheck.h"
#include "desktop/GuiApplication.h"

namespace {

std::string ExecutablePath(const char* argv0) {
    std::error_code ec;
    auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::absolute(argv0).string() : self.string();
}

} // namespace

// The synthesizer's program: the synth panel on a desktop, or, with --render, a MIDI file
// turned into a wave file without any display or sound card; with --import-bank, an instrument
// bank turned into presets.
int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (!args.empty() && args[0] == "--render") {
        args.erase(args.begin());
        return vorpline::RunRenderCommand("vorpline --render", args);
    }
    if (!args.empty() && args[0] == "--import-bank") {
        args.erase(args.begin());
        return vorpline::RunImportBankCommand("vorpline --import-bank", args);
    }
    if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
        std::printf(
            "Usage: vorpline [CONFIG]\n"
            "  Opens the synthesizer. CONFIG names a configuration file beside the\n"
            "  program (CONFIG.INI); when it exists, the configuration dialog is skipped.\n\n");
        std::fputs(vorpline::RenderUsage("vorpline --render").c_str(), stdout);
        std::fputs(vorpline::ImportBankUsage("vorpline --import-bank").c_str(), stdout);
        return 0;
    }
    if (auto problem = vorpline::DisplayProblem(args)) {
        std::fprintf(stderr,
                     "vorpline: %s; to render a MIDI file without one, use: vorpline --render "
                     "IN.mid OUT.wav\n",
                     problem->c_str());
        return 1;
    }
    return vorpline::RunGui(argc, argv, ExecutablePath(argv[0]), args);
}
