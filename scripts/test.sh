#!/usr/bin/env bash
# Installs what is missing, builds everything with warnings as errors and runs
# every test; then builds it all again with clang under AddressSanitizer (leak
# detection on) and UndefinedBehaviorSanitizer, runs every test there, and
# runs each fuzz target for a few seconds. Any sanitizer report fails the run.
# Last, the device link is cross-built for Windows and tested under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh --tests
cmake -S . -B build/tests -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPELLMARK_WERROR=ON -DPELLMARK_TESTS=ON
cmake --build build/tests
ctest --test-dir build/tests --output-on-failure -j2

scripts/configure-sanitize.sh
cmake --build build/sanitize
# umockdev's preload comes before the sanitizer runtime.
ASAN_OPTIONS=detect_leaks=1:verify_asan_link_order=0 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build/sanitize --output-on-failure -j2

# The device link cross-built for Windows, its tests under Wine.
scripts/test-windows.sh
