#include <cstdio>
#include <string>
#include <vector>

#include "app/RenderCommand.h"

// The synthesizer's program. The playing surface comes with the windowed front end; what works
// everywhere already is rendering a MIDI file: vorpline --render IN.mid OUT.wav.
int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (!args.empty() && args[0] == "--render") {
        args.erase(args.begin());
        return vorpline::RunRenderCommand("vorpline --render", args);
    }
    std::fputs(vorpline::RenderUsage("vorpline --render").c_str(), stdout);
    return args.empty() || args[0] == "--help" || args[0] == "-h" ? 0 : 2;
}
