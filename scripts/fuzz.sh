#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build-fuzz and runs each for SECONDS (default 30)
# from its seed corpus in fuzz/corpus/<name>, with a fixed seed. A crash, a leak or a
# sanitizer report fails the run and leaves the input in build-fuzz/crashes/<name>.
#   scripts/fuzz.sh [SECONDS]
set -euo pipefail
source "$(dirname "$0")/setup.sh"
seconds=${1:-30}
dir="$VORPLINE_ROOT/build-fuzz"
if [ ! -f "$dir/build.ninja" ]; then
    CC=clang CXX=clang++ cmake -S "$VORPLINE_ROOT" -B "$dir" -G Ninja \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORPLINE_FUZZ=ON >&2
fi
cmake --build "$dir" --target vorpline_fuzz_targets
for target in "$dir"/fuzz/fuzz-*; do
    name=${target##*/fuzz-}
    work="$dir/corpus/$name"
    crashes="$dir/crashes/$name"
    mkdir -p "$work" "$crashes"
    echo "fuzz $name: $seconds s" >&2
    # The seeds are read, the corpus that grows is kept out of the repository.
    "$target" -seed=1 -max_total_time="$seconds" -rss_limit_mb=2048 -max_len=131072 \
        -artifact_prefix="$crashes/" -print_final_stats=1 \
        "$work" "$VORPLINE_ROOT/fuzz/corpus/$name" 2>"$dir/$name.log" ||
        { tail -40 "$dir/$name.log" >&2; echo "fuzz $name: FAILED" >&2; exit 1; }
    grep -E "stat::number_of_executed_units|Done" "$dir/$name.log" >&2 || true
done
