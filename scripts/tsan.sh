#!/usr/bin/env bash
# Builds the tests with ThreadSanitizer (build-tsan/) and runs every test that starts threads:
# the timer service, the main-loop queue, MIDI input and the MIDI clock on a JACK server, the
# live audio path, the DSP meters, the session's start and stop, the wave files and the
# whole-program runs. Exits non-zero on a data race or a failing test.
#   scripts/tsan.sh                      every threaded test
#   scripts/tsan.sh 'WaveOut*'           only the suites matching a GoogleTest filter
set -euo pipefail
source "$(dirname "$0")/setup.sh"
vorpline_install_packages "${VORPLINE_PACKAGES[@]}"
dir="$VORPLINE_ROOT/build-tsan"
vorpline_configure "$dir" -DVORPLINE_WERROR=ON -DVORPLINE_TESTS=ON -DVORPLINE_BENCH=OFF \
    -DVORPLINE_TSAN=ON
cmake --build "$dir" --target vorpline_tests vorpline_presets vorpline_pictures >&2

# The whole program's timing on a JACK server (values every 21 ms, notes heard in time) cannot
# hold at the sanitizer's pace, and the stream library it stops on SIGTERM waits forever under
# it: those two are checked by the other builds.
slow_timing='*AuxOutputJack.*:*LiveJack.*'
# The suites of the test files that run threads, so a new test in those files is included.
cd "$VORPLINE_ROOT/tests"
files=(platform/*Timer*.cpp platform/MainLoopQueueTest.cpp midi/MidiIn*.cpp modulation/*Jack*.cpp
    audio/*.cpp dsp/*.cpp app/*.cpp files/*.cpp e2e/*.cpp)
filter=${1:-$(grep -ohE '^TEST(_F|_P)?\([A-Za-z0-9_]+' "${files[@]}" | sed 's/.*(//' |
    sort -u | sed 's/.*/*&.*/' | paste -sd: -)-${slow_timing}}

# Reports go to files, so races in the programs the end-to-end tests start (whose output the
# tests discard) are seen too.
logs="$dir/tsan-logs"
rm -rf "$logs"
mkdir -p "$logs"
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 log_path=$logs/report \
suppressions=$VORPLINE_ROOT/scripts/tsan.supp ${TSAN_OPTIONS:-}"

status=0
"$dir/vorpline_tests" --gtest_filter="$filter" || status=$?
if compgen -G "$logs/report*" >/dev/null; then
    cat "$logs"/report* >&2
    echo "ThreadSanitizer found a race: reports in $logs" >&2
    exit 1
fi
exit "$status"
