#!/usr/bin/env bash
# Makes the Windows package from the windows preset's build (after
# scripts/windows-qt.sh): build/windows-package/pellmark-<version>-windows-x64.zip,
# the programs with Qt's DLLs, its platform and style plugins and the licences,
# and pellmark-<version>-setup.exe, an installer made with NSIS. The programs
# are linked statically, so no mingw runtime DLL goes with them; Qt finds its
# plugins beside the program, so no qt.conf is needed.
set -euo pipefail
cd "$(dirname "$0")/.."

build=build/windows
qt=build/windows-qt
out=build/windows-package
version=$(sed -n 's/^project(Pellmark VERSION \([0-9.]*\)$/\1/p' CMakeLists.txt)
stage=$out/Pellmark
rm -rf "$out"
mkdir -p "$stage/platforms" "$stage/styles"
cp "$build/app/pellmark.exe" "$build/runner/pellmark-run.exe" "$stage/"
cp "$qt"/bin/Qt6{Core,Gui,Widgets}.dll "$stage/"
cp "$qt/plugins/platforms/qwindows.dll" "$stage/platforms/"
cp "$qt/plugins/styles/qwindowsvistastyle.dll" "$stage/styles/"
# Debugging symbols stay in the build.
find "$stage" -name '*.exe' -o -name '*.dll' | xargs x86_64-w64-mingw32-strip --strip-unneeded
# The program's licence, and Qt's: the LGPL 3 (which builds on the GPL 3) and
# the copyright of Debian's qt6-base, the source this Qt was built from.
cp LICENSE "$stage/LICENSE.txt"
cp /usr/share/common-licenses/LGPL-3 "$stage/Qt-LGPL-3.txt"
cp /usr/share/common-licenses/GPL-3 "$stage/Qt-GPL-3.txt"
cp /usr/share/doc/libqt6core6/copyright "$stage/Qt-copyright.txt"

zip="pellmark-$version-windows-x64.zip"
(cd "$out" && zip -qr "$zip" Pellmark)

files=$PWD/$out/installed-files.nsh
(cd "$stage" && find . -type f | sort | sed 's|^\./||; s|/|\\|g; s|.*|  Delete "$INSTDIR\\&"|' &&
  find . -mindepth 1 -type d | sort -r | sed 's|^\./||; s|/|\\|g; s|.*|  RMDir "$INSTDIR\\&"|') >"$files"
setup="pellmark-$version-setup.exe"
makensis -V2 -DVERSION="$version" -DSTAGE="$PWD/$stage" -DFILES="$files" -DOUTFILE="$PWD/$out/$setup" \
  packaging/windows/pellmark.nsi
echo "Made $out/$zip and $out/$setup"
