#!/usr/bin/env bash
# Installs what is missing, builds everything with warnings as errors and runs
# every test.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh --tests
cmake -S . -B build/tests -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPELLMARK_WERROR=ON -DPELLMARK_TESTS=ON
cmake --build build/tests
ctest --test-dir build/tests --output-on-failure -j2
