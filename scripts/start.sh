#!/usr/bin/env bash
# Installs what is missing, builds Pellmark and starts it. Arguments go to the
# program (try --help).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build/run -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build/run --target pellmark
exec build/run/app/pellmark "$@"
