#!/usr/bin/env bash
# Installs what is missing, builds everything with warnings as errors and runs
# every test; then builds it all again with clang under AddressSanitizer (leak
# detection on) and UndefinedBehaviorSanitizer, runs every test there, and
# runs each fuzz target for a few seconds. Any sanitizer report fails the run.
# Last, the whole program is cross-built for Windows (against Qt for Windows,
# built once: about 18 minutes) and tested under Wine, and its package made and
# tried there.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh --tests
for tree in tests sanitize; do
  cmake --preset "$tree"
  cmake --build --preset "$tree"
  ctest --preset "$tree"
done

# The whole program cross-built for Windows, its tests under Wine, its package.
scripts/test-windows.sh
