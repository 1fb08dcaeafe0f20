#!/usr/bin/env bash
# Installs what is missing, builds the fuzz targets with clang and the
# sanitizers, and runs each for the given number of seconds (default 60).
# New inputs are kept in build/sanitize/fuzz/found/<target>; crashes are
# written to the current folder.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}

scripts/install-deps.sh --tests
scripts/configure-sanitize.sh
cmake --build build/sanitize --target ReceptionFuzz CodePageFuzz IdentifierFuzz DemoFuzz TransmissionFuzz
for target in ReceptionFuzz CodePageFuzz IdentifierFuzz DemoFuzz TransmissionFuzz; do
  found=build/sanitize/fuzz/found/$target
  mkdir -p "$found"
  echo "== $target for $seconds s"
  "build/sanitize/fuzz/$target" -max_total_time="$seconds" -print_final_stats=1 "$found" "fuzz/corpus/$target" 2>&1 |
    grep -E '^(#[0-9]+ +DONE|stat::number_of_executed_units|==[0-9]+==ERROR)' || true
done
