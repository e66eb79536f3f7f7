#!/bin/sh
# Checks every TTL file of an LV2 bundle with lv2_validate against the LV2 vocabularies installed
# on this machine; fails on any error (warnings are shown, not counted).
#   scripts/lv2-validate.sh <build>/lv2/vorpline.lv2
set -u
bundle=${1:?usage: lv2-validate.sh BUNDLE}
out=$(lv2_validate "$bundle"/*.ttl 2>&1)
status=$?
printf '%s\n' "$out"
if [ $status -ne 0 ] || printf '%s\n' "$out" | grep -q '^error'; then
    echo "lv2-validate: errors in $bundle" >&2
    exit 1
fi
