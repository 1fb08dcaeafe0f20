#!/usr/bin/env bash
# Installs what is missing, builds everything with warnings as errors and runs
# every test; then builds it all again with clang under AddressSanitizer (leak
# detection on) and UndefinedBehaviorSanitizer, runs every test there, and
# runs each fuzz target for a few seconds. Any sanitizer report fails the run.
# Last, the device link and pellmark-run are cross-built for Windows and
# tested under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh --tests
for tree in tests sanitize; do
  cmake --preset "$tree"
  cmake --build --preset "$tree"
  ctest --preset "$tree"
done

# What needs no Qt cross-built for Windows, its tests under Wine.
scripts/test-windows.sh
