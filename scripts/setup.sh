#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need (only those missing) and configures
# the build tree. Sourced by run.sh and test.sh; quiet and quick when everything is in place.
set -euo pipefail

VORPLINE_PACKAGES=(
    build-essential cmake ninja-build ccache pkg-config
    libadplug-dev libsoxr-dev libieee1284-3-dev librtaudio-dev librtmidi-dev libasound2-dev
    jackd2 libjack-jackd2-dev jack-midi-clock sox adplay
    libgtest-dev libgmock-dev libbenchmark-dev
    qt6-base-dev libgl-dev libxcb1-dev fonts-dejavu-core
    xvfb xauth
    # The Linux OPL3 instrument banks (/usr/share/sounds/opl3) the bank import is tested on.
    alsa-tools
    # The LV2 instrument: headers, lilv for the tests, lv2_validate (with sordi's sord_validate)
    # and jalv as a real host.
    lv2-dev liblilv-dev lilv-utils sordi jalv
)
# The test command also fuzzes every reader of outside files with clang's libFuzzer.
VORPLINE_FUZZ_PACKAGES=(clang libclang-rt-14-dev)

vorpline_install_packages() {
    local missing=()
    for p in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$p")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing Debian packages: ${missing[*]}" >&2
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    export DEBIAN_FRONTEND=noninteractive
    "${sudo[@]}" apt-get update -q >&2 || true
    "${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}" >&2
}

# $1 = build folder, rest = extra CMake options
vorpline_configure() {
    local dir=$1; shift
    if [ ! -f "$dir/build.ninja" ]; then
        cmake -S "$VORPLINE_ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >&2
    fi
}

VORPLINE_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export CCACHE_DIR=${CCACHE_DIR:-$HOME/.cache/vorpline-ccache}
# Relative paths in the cache key: clones and build folders share compiled objects.
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$VORPLINE_ROOT}
