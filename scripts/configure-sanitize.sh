#!/usr/bin/env bash
# Configures build/sanitize: clang, AddressSanitizer and UndefinedBehaviorSanitizer,
# the tests and the fuzz targets.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build/sanitize -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DPELLMARK_WERROR=ON -DPELLMARK_SANITIZE=ON -DPELLMARK_FUZZ=ON -DPELLMARK_TESTS=ON
