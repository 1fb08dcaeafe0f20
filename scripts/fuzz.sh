#!/usr/bin/env bash
# Installs what is missing, builds the fuzz targets with clang and the
# sanitizers, and runs each for the given number of seconds (default 60).
# New inputs are kept in build/sanitize/fuzz/found/<target>; crashes are
# written to build/sanitize/fuzz, the whole output to its last-run.log.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}

scripts/install-deps.sh --tests
cmake --preset sanitize -DPELLMARK_FUZZ_SECONDS="$seconds"
cmake --build --preset sanitize
log=build/sanitize/fuzz/last-run.log
status=0
ctest --preset sanitize --label-regex fuzz --verbose --timeout $((seconds + 60)) >"$log" 2>&1 || status=$?
grep -E 'Test +#|(#[0-9]+ +DONE|stat::number_of_executed_units|==[0-9]+==ERROR)' "$log" || true
exit "$status"
