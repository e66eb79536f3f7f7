#!/usr/bin/env bash
# Builds the tests with AddressSanitizer and UndefinedBehaviorSanitizer (build-asan/) and runs
# the whole suite once, the hub under a million random MIDI events. Undefined behaviour stops
# the program (-fno-sanitize-recover); a memory error, a leak or undefined behaviour in a test
# or in a program a test starts fails the run.
#   scripts/asan.sh                  every test
#   scripts/asan.sh 'HubFuzz|Ini'    only the tests matching a ctest regular expression
set -euo pipefail
source "$(dirname "$0")/setup.sh"
vorpline_install_packages "${VORPLINE_PACKAGES[@]}"
dir="$VORPLINE_ROOT/build-asan"
vorpline_configure "$dir" -DVORPLINE_WERROR=ON -DVORPLINE_TESTS=ON -DVORPLINE_BENCH=OFF \
    -DVORPLINE_SANITIZE=ON -DCMAKE_C_FLAGS=-fno-sanitize-recover=all \
    -DCMAKE_CXX_FLAGS=-fno-sanitize-recover=all
# Reports go to files, so those of the programs the end-to-end tests start (whose output the
# tests discard) are seen too, and those of the test listing the build runs.
logs="$dir/asan-logs"
rm -rf "$logs"
mkdir -p "$logs"
supp="$VORPLINE_ROOT/scripts"
export ASAN_OPTIONS="detect_leaks=1 check_initialization_order=1 strict_init_order=1 \
log_path=$logs/asan ${ASAN_OPTIONS:-}"
export UBSAN_OPTIONS="print_stacktrace=1 halt_on_error=1 log_path=$logs/ubsan \
${UBSAN_OPTIONS:-}"
export LSAN_OPTIONS="suppressions=$supp/lsan.supp print_suppressions=0 ${LSAN_OPTIONS:-}"
export VORPLINE_HUB_EVENTS=1000000
reports() {
    compgen -G "$logs/*" >/dev/null || return 0
    cat "$logs"/* >&2
    echo "A sanitizer reported a fault: reports in $logs" >&2
    exit 1
}

started=$SECONDS
# Everything: every test program ctest knows of, and the programs and plugin they start.
cmake --build "$dir" >&2 ||
    { reports; exit 1; }
built=$((SECONDS - started))

status=0
cd "$dir"
# Each test is a process of its own, two at a time, within the five minutes every test has.
# Left out: the LV2 plugin in jalv, an outside host not built with the sanitizer, which cannot
# load a sanitized module; the plugin's own tests load it here through lilv.
ctest --output-on-failure -j2 -E '^Lv2Jalv[.]' ${1:+-R "$1"} || status=$?
echo "sanitized suite: build $built s, tests $((SECONDS - started - built)) s" >&2
reports
exit "$status"
