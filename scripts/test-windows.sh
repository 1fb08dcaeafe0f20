#!/usr/bin/env bash
# Installs what is missing, cross-builds the device link and its tests for
# 64-bit Windows with mingw-w64, and runs them under Wine: once with the ANSI
# code page 932 (Japanese locale), once with 1252.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh --windows
# Wine's ANSI code page is 932 only where the Japanese locale exists.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP.utf8$'; then
  sudo=()
  [[ $(id -u) -eq 0 ]] || sudo=(sudo)
  "${sudo[@]}" sed -i 's/^# *ja_JP.UTF-8 UTF-8/ja_JP.UTF-8 UTF-8/' /etc/locale.gen
  "${sudo[@]}" locale-gen >/dev/null
fi
cmake -S . -B build/windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPELLMARK_DEVICELINK_ONLY=ON -DPELLMARK_TESTS=ON -DPELLMARK_WERROR=ON
cmake --build build/windows
ctest --test-dir build/windows --output-on-failure
