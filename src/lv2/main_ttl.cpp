// Writes the TTL files of the LV2 bundle at build time:
//   vorpline-lv2-ttl <bundle folder> <preset tree>
// The port defaults are a fresh instance's values and every starter preset of the tree's
// banks becomes an LV2 preset with its port values and its whole patch.
#include <algorithm>
#include <array>
#include <exception>
#include <iostream>

#include "lv2/PluginParameters.h"
#include "lv2/Synth.h"
#include "lv2/TtlWriter.h"

namespace {

using vorpline::lv2::PluginParameters;
using vorpline::lv2::Synth;

constexpr uint32_t kRate = 48000;

std::vector<int> Values(Synth& synth) {
    std::vector<int> values;
    for (const auto& p : PluginParameters()) {
        values.push_back(p.get(synth.Synthesizer()));
    }
    return values;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: vorpline-lv2-ttl BUNDLE PRESET_TREE\n";
        return 2;
    }
    try {
        const std::filesystem::path nowhere = std::filesystem::path(argv[1]) / "none";
        Synth fresh(kRate, nowhere);
        std::vector<vorpline::lv2::BundlePreset> presets;
        for (const char* bank : {"2op", "4op", "6op"}) {
            std::vector<std::filesystem::path> files;
            const std::filesystem::path folder = std::filesystem::path(argv[2]) / bank;
            if (std::filesystem::is_directory(folder)) {
                for (const auto& entry : std::filesystem::directory_iterator(folder)) {
                    if (entry.path().extension() == ".sbi") {
                        files.push_back(entry.path());
                    }
                }
            }
            std::sort(files.begin(), files.end());
            for (const auto& file : files) {
                Synth synth(kRate, nowhere);
                if (!synth.LoadPresetFile(file)) {
                    std::cerr << file.string() << ": not a preset\n";
                    return 1;
                }
                presets.push_back({file.stem().string(), Values(synth), synth.SavePatch()});
            }
        }
        vorpline::lv2::WriteBundleTtl(argv[1], Values(fresh), presets);
    } catch (const std::exception& e) {
        std::cerr << e.what() << '\n';
        return 1;
    }
    return 0;
}
