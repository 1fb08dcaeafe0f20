#!/usr/bin/env bash
# Installs what is missing (with PCRE2 and pugixml built for Windows),
# cross-builds the device link, pellmark-run and their tests for 64-bit
# Windows with mingw-w64, and runs them under Wine: the device link's once
# with the ANSI code page 932 (Japanese locale), once with 1252.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh --windows
scripts/windows-libraries.sh
# Wine's ANSI code page is 932 only where the Japanese locale exists.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP.utf8$'; then
  sudo=()
  [[ $(id -u) -eq 0 ]] || sudo=(sudo)
  "${sudo[@]}" sed -i 's/^# *ja_JP.UTF-8 UTF-8/ja_JP.UTF-8 UTF-8/' /etc/locale.gen
  "${sudo[@]}" locale-gen >/dev/null
fi
cmake --preset windows-qtfree
cmake --build --preset windows-qtfree
ctest --preset windows-qtfree
