#!/usr/bin/env bash
# Sets up, builds and runs every test; exits non-zero on any failure. Then fuzzes every reader
# of outside files, runs the whole suite under AddressSanitizer and UndefinedBehaviorSanitizer
# and the threaded tests under ThreadSanitizer, each in a build folder of its own, and prints
# the time of each stage.
set -euo pipefail
source "$(dirname "$0")/scripts/setup.sh"
vorpline_install_packages "${VORPLINE_PACKAGES[@]}" "${VORPLINE_FUZZ_PACKAGES[@]}"
times=()
started=$SECONDS
stage_done() {
    times+=("$(printf '%-32s %6d s' "$1" $((SECONDS - started)))")
    started=$SECONDS
}

dir="$VORPLINE_ROOT/build-test"
vorpline_configure "$dir" -DVORPLINE_WERROR=ON -DVORPLINE_TESTS=ON -DVORPLINE_BENCH=ON
cmake --build "$dir"
stage_done "build"
(cd "$dir" && ctest --output-on-failure -j2 --timeout 600)
stage_done "tests"
# Every reader of outside files, fuzzed briefly with a fixed seed.
"$VORPLINE_ROOT/scripts/fuzz.sh" 30
stage_done "fuzzing (build and run)"
"$VORPLINE_ROOT/scripts/asan.sh"
stage_done "address+UB sanitizer (build, run)"
"$VORPLINE_ROOT/scripts/tsan.sh"
stage_done "thread sanitizer (build, run)"
printf '%s\n' "${times[@]}" >&2
