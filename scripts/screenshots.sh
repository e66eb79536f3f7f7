#!/usr/bin/env bash
# Pictures of the configuration dialog and the synth panel as a user sees them, taken on a
# virtual X server (Xvfb) with a JACK server on its dummy backend as the audio output.
#   scripts/screenshots.sh [OUTDIR]      (default: docs/screenshots)
set -euo pipefail
source "$(dirname "$0")/setup.sh"
vorpline_install_packages "${VORPLINE_PACKAGES[@]}"
out=$(realpath -m "${1:-$VORPLINE_ROOT/docs/screenshots}")
dir="$VORPLINE_ROOT/build"
vorpline_configure "$dir" -DVORPLINE_TESTS=OFF -DVORPLINE_BENCH=OFF
cmake --build "$dir" --target vorpline-screenshots vorpline_pictures >&2

display=":$((90 + RANDOM % 9))"
server="vorpline-shots-$$"
Xvfb "$display" -screen 0 1366x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
jackd -n "$server" --no-realtime -d dummy -r 48000 -p 512 >/dev/null 2>&1 &
jack=$!
trap 'kill $xvfb $jack 2>/dev/null || true' EXIT
sleep 2
DISPLAY="$display" JACK_DEFAULT_SERVER="$server" QT_QPA_PLATFORM=xcb \
    "$dir/vorpline-screenshots" "$out" 2> >(grep -v -e '^ALSA lib' -e XDG_RUNTIME_DIR >&2)
