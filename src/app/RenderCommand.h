#pragma once
#include <string>
#include <vector>

namespace vorpline {

// The command-line renderer: parses its arguments, runs the render and turns every failure into
// a one-line message on standard error. Returns the process exit code (0 success, 1 failure,
// 2 bad usage). `program` is the name shown in messages.
int RunRenderCommand(const std::string& program, const std::vector<std::string>& args);

// Usage lines of the renderer, for `--help` of both programs.
std::string RenderUsage(const std::string& invocation);

} // namespace vorpline
