// Control-change presets come from other musicians: any bytes must parse, every function name
// must look up, and every value must normalise and map to a controller without fault.
#include <cstddef>
#include <cstdint>
#include <span>

#include "midi/CcMap.h"
#include "presets/CcPresetText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const vorpline::CcPresetText text(std::span<const uint8_t>(data, size));
    for (const char* name : vorpline::kCcFunctionNames) {
        if (auto value = text.ValueOf(name)) {
            const std::string normalised = vorpline::NormaliseCcNumber(*value);
            // The normalised text means what the raw one meant.
            if (vorpline::CcNumberOf(normalised) != vorpline::CcNumberOf(*value)) {
                __builtin_trap();
            }
        }
    }
    return 0;
}
