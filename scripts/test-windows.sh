#!/usr/bin/env bash
# Installs what is missing (with PCRE2 and pugixml built for Windows, and Qt
# for Windows built once by scripts/windows-qt.sh, or unpacked from the
# archive PELLMARK_WINDOWS_QT_ARCHIVE names), cross-builds the whole program
# and its tests for 64-bit Windows with mingw-w64 and runs them under Wine
# and Xvfb, at the ANSI code pages 932 (Japanese locale) and 1252; then makes
# the Windows package and tries its installer under Wine.
#   --without-qt   on a machine without that Qt: only the device link and
#                  pellmark-run, and their tests (the windows-qtfree preset).
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
preset=windows
if [[ ${1:-} == --without-qt ]]; then
  preset=windows-qtfree
else
  scripts/windows-qt.sh
fi
cmake --preset $preset
cmake --build --preset $preset
ctest --preset $preset
[[ $preset == windows ]] || exit 0

scripts/package-windows.sh
LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 xvfb-run -a -s "-screen 0 1024x768x24" \
  tests/windows/InstallerUnderWine.sh /usr/lib/wine/wine64 "$PWD"/build/windows-package/pellmark-*-setup.exe \
  "$PWD/build/windows-package/tried"
