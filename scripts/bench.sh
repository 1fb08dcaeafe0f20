#!/usr/bin/env bash
# Installs what is missing, builds the benchmarks in release mode and runs them.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh --bench
cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DPELLMARK_BENCH=ON
cmake --build build/bench --target pellmark_bench
exec build/bench/bench/pellmark_bench "$@"
