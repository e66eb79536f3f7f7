#!/usr/bin/env bash
# Sets up, builds and runs every test; exits non-zero on any failure.
set -euo pipefail
source "$(dirname "$0")/scripts/setup.sh"
vorpline_install_packages "${VORPLINE_PACKAGES[@]}" "${VORPLINE_FUZZ_PACKAGES[@]}"
dir="$VORPLINE_ROOT/build-test"
vorpline_configure "$dir" -DVORPLINE_WERROR=ON -DVORPLINE_TESTS=ON -DVORPLINE_BENCH=ON
cmake --build "$dir"
cd "$dir"
ctest --output-on-failure -j2 --timeout 600
# Every reader of outside files, fuzzed briefly with a fixed seed.
"$VORPLINE_ROOT/scripts/fuzz.sh" 30
