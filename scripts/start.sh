#!/usr/bin/env bash
# Installs what is missing, builds Pellmark and starts it. Arguments go to the
# program (try --help).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset run
cmake --build --preset run
exec build/run/app/pellmark "$@"
