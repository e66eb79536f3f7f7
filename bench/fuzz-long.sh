#!/usr/bin/env bash
# The long fuzzing run, by hand (not part of the test command): every target for ten million
# inputs or an hour, whichever ends first, then the table of executions and findings (crash,
# leak, timeout, out-of-memory) per target. An hour per target at most.
#   bench/fuzz-long.sh [SECONDS [RUNS [TARGET...]]]
exec "$(dirname "$0")/../scripts/fuzz.sh" "${1:-3600}" "${2:-10000000}" "${@:3}"
