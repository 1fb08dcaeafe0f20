#!/usr/bin/env bash
# Installs what is missing, builds everything with warnings as errors and runs
# every test.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh --tests
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPELLMARK_WERROR=ON -DBUILD_TESTING=ON
cmake --build build
ctest --test-dir build --output-on-failure -j2
