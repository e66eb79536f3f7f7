#include <string>
#include <vector>

#include "app/RenderCommand.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return vorpline::RunRenderCommand("vorpline-render", args);
}
