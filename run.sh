#!/usr/bin/env bash
# Sets up, builds and runs Vorpline. Arguments go to the program:
#   ./run.sh --render song.mid song.wav
set -euo pipefail
source "$(dirname "$0")/scripts/setup.sh"
vorpline_install_packages "${VORPLINE_PACKAGES[@]}"
vorpline_configure "$VORPLINE_ROOT/build" -DVORPLINE_TESTS=OFF -DVORPLINE_BENCH=OFF
cmake --build "$VORPLINE_ROOT/build" >&2
exec "$VORPLINE_ROOT/build/vorpline" "$@"
