#!/bin/sh
# Builds the LV2 instrument bundle and copies it into ~/.lv2 (or $LV2_INSTALL_DIR), where every
# LV2 host looks for plugins. An older copy is replaced as a whole.
#   scripts/install-lv2.sh [BUILD_FOLDER]     (default: build)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$root/build"}
target=${LV2_INSTALL_DIR:-"$HOME/.lv2"}
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$build" --target vorpline_lv2_bundle
mkdir -p "$target"
rm -rf "$target/vorpline.lv2.new"
cp -R "$build/lv2/vorpline.lv2" "$target/vorpline.lv2.new"
rm -rf "$target/vorpline.lv2"
mv "$target/vorpline.lv2.new" "$target/vorpline.lv2"
echo "Installed $target/vorpline.lv2"
