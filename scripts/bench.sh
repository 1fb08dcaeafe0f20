#!/usr/bin/env bash
# Installs what is missing, builds the benchmarks in release mode and runs
# them: offscreen, then the running program's measures again under a virtual
# X display. The headline numbers go to bench/results.json.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh --bench
cmake --preset bench
cmake --build --preset bench
build/bench/bench/pellmark_bench --results=bench/results.json "$@"
QT_QPA_PLATFORM=xcb xvfb-run -a build/bench/bench/pellmark_bench --results=bench/results.json \
  --suffix=_xvfb --benchmark_filter=NONE
