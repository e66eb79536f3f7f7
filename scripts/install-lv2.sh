#!/usr/bin/env bash
# Builds the LV2 instrument bundle and copies it into ~/.lv2 (or $LV2_INSTALL_DIR), where every
# LV2 host looks for plugins. An older copy is replaced as a whole. Installs the Debian
# packages the build needs first, like ./run.sh.
#   scripts/install-lv2.sh [BUILD_FOLDER]     (default: build)
set -euo pipefail
source "$(dirname "$0")/setup.sh"
vorpline_install_packages "${VORPLINE_PACKAGES[@]}"
build=${1:-"$VORPLINE_ROOT/build"}
target=${LV2_INSTALL_DIR:-"$HOME/.lv2"}
vorpline_configure "$build" -DVORPLINE_TESTS=OFF -DVORPLINE_BENCH=OFF
cmake --build "$build" --target vorpline_lv2_bundle
mkdir -p "$target"
rm -rf "$target/vorpline.lv2.new"
cp -R "$build/lv2/vorpline.lv2" "$target/vorpline.lv2.new"
rm -rf "$target/vorpline.lv2"
mv "$target/vorpline.lv2.new" "$target/vorpline.lv2"
echo "Installed $target/vorpline.lv2"
