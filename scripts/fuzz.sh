#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build-fuzz and runs each for SECONDS (default 30)
# or RUNS inputs, whichever ends first, from its seed corpus in fuzz/corpus/<name>, with a fixed
# seed. A crash, a leak, an input that takes a minute or a sanitizer report fails the target
# and leaves the input in build-fuzz/crashes/<name>; every target runs all the same, and a
# table of executions and findings per target ends the run. Naming targets runs only those, so
# two runs over different targets can share the machine's cores.
#   scripts/fuzz.sh [SECONDS [RUNS [TARGET...]]]
set -euo pipefail
source "$(dirname "$0")/setup.sh"
seconds=${1:-30}
runs=${2:--1}
shift $(( $# < 2 ? $# : 2 ))
dir="$VORPLINE_ROOT/build-fuzz"
if [ ! -f "$dir/build.ninja" ]; then
    CC=clang CXX=clang++ cmake -S "$VORPLINE_ROOT" -B "$dir" -G Ninja \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORPLINE_FUZZ=ON >&2
fi
cmake --build "$dir" --target vorpline_fuzz_targets >&2

# What ended a run, from its log: the first report libFuzzer or a sanitizer wrote.
finding() {
    if grep -q "ERROR: LeakSanitizer" "$1"; then echo leak
    elif grep -q "ERROR: libFuzzer: timeout" "$1"; then echo timeout
    elif grep -qE "ERROR: libFuzzer: (out-of-memory|malloc limit)" "$1"; then echo out-of-memory
    elif grep -qE "ERROR: (AddressSanitizer|libFuzzer)|runtime error:" "$1"; then echo crash
    else echo none; fi
}

summary=()
failed=0
if [ $# -gt 0 ]; then targets=("${@/#/$dir/fuzz/fuzz-}"); else targets=("$dir"/fuzz/fuzz-*); fi
for target in "${targets[@]}"; do
    name=${target##*/fuzz-}
    [ -x "$target" ] || { echo "fuzz $name: no such target" >&2; failed=1; continue; }
    work="$dir/corpus/$name"
    crashes="$dir/crashes/$name"
    log="$dir/$name.log"
    mkdir -p "$work" "$crashes"
    echo "fuzz $name: $seconds s, $runs runs" >&2
    # The seeds are read, the corpus that grows is kept out of the repository.
    status=0
    "$target" -seed=1 -max_total_time="$seconds" -runs="$runs" -timeout=60 \
        -rss_limit_mb=2048 -max_len=131072 -artifact_prefix="$crashes/" -print_final_stats=1 \
        "$work" "$VORPLINE_ROOT/fuzz/corpus/$name" 2>"$log" || status=$?
    # The final statistics, or the last progress line when a finding cut the run short.
    executed=$(grep -oE "stat::number_of_executed_units: [0-9]+" "$log" | grep -oE "[0-9]+$" ||
        grep -oE "^#[0-9]+" "$log" | tail -1 | tr -d '#' || true)
    found=$(finding "$log")
    if [ "$status" -ne 0 ] || [ "$found" != none ]; then
        tail -40 "$log" >&2
        echo "fuzz $name: FAILED ($found), input in $crashes" >&2
        failed=1
    fi
    summary+=("$(printf '%-22s %12s  %s' "$name" "${executed:-?}" "$found")")
done
printf '%-22s %12s  %s\n' target executions finding >&2
printf '%s\n' "${summary[@]}" >&2
exit "$failed"
