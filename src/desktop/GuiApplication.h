#pragma once
#include <string>
#include <vector>

namespace vorpline {

// The windowed program: start-up (configuration dialog, output, engine), the synth panel, the
// event loop, shutdown. Returns the process exit code; a start-up failure is shown in a message
// box and gives 1.
int RunGui(int argc, char** argv, const std::string& executablePath,
           const std::vector<std::string>& arguments);

} // namespace vorpline
