#pragma once

namespace vorpline::fuzz {

// A broken promise of the reader under test: stops the run so libFuzzer keeps the input.
inline void Check(bool ok) {
    if (!ok) {
        __builtin_trap();
    }
}

} // namespace vorpline::fuzz
