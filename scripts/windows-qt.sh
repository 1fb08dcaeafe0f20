#!/usr/bin/env bash
# Builds Qt 6 for the Windows cross-build, once, into build/windows-qt: Core,
# Gui, Widgets and Test as DLLs with the Windows platform plugin, from
# Debian's own qt6-base source (Debian has no mingw-w64 build of Qt), with the
# patches in scripts/windows-qt/. It takes about 18 minutes on two cores, so:
#   --archive DIR   afterwards writes DIR/pellmark-windows-qt-<recipe>.tar.xz
#                   of the installed Qt; <recipe> is a hash of this script,
#                   the source fetch and the patches;
#   PELLMARK_WINDOWS_QT_ARCHIVE=FILE   unpacks FILE instead of building, when
#                   its name carries this recipe's hash (otherwise it is
#                   ignored, with a line saying so).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/debian-sources.sh

archiveDir=
if [[ "${1:-}" == --archive ]]; then
  archiveDir=${2:?"--archive needs a folder"}
fi
prefix=$PWD/build/windows-qt
recipe=$(cat scripts/windows-qt.sh scripts/debian-sources.sh scripts/windows-qt/*.patch | sha256sum | cut -c1-16)
name=pellmark-windows-qt-6.4.2-$recipe.tar.xz

if [[ ! -f $prefix/done && -n ${PELLMARK_WINDOWS_QT_ARCHIVE:-} ]]; then
  if [[ $(basename "$PELLMARK_WINDOWS_QT_ARCHIVE") == "$name" && -f $PELLMARK_WINDOWS_QT_ARCHIVE ]]; then
    rm -rf "$prefix"
    mkdir -p "$prefix"
    tar -xJf "$PELLMARK_WINDOWS_QT_ARCHIVE" -C "$prefix"
    echo "Qt for Windows: unpacked $PELLMARK_WINDOWS_QT_ARCHIVE"
  else
    echo "Qt for Windows: $PELLMARK_WINDOWS_QT_ARCHIVE is not $name (another recipe); building instead"
  fi
fi

if [[ ! -f $prefix/done ]]; then
  echo "Qt for Windows: building it from Debian's source, once (about 18 minutes on two cores)"
  work=$PWD/build/windows-qt-work
  rm -rf "$work" "$prefix"
  debian_sources "$work" qt6-base=6.4.2+dfsg-10
  tar -xJf "$work"/src/qt6-base_6.4.2+dfsg.orig.tar.xz -C "$work/src"
  source=$work/src/qtbase-everywhere-src-6.4.2
  for patch in scripts/windows-qt/*.patch; do
    patch -d "$source" -p1 --quiet <"$patch"
  done
  # The smallest Qt the window needs. Debian's source lacks wintab.h, which
  # tablet support needs; the image formats, fonts and protocols come bundled.
  off=(sql network dbus opengl printsupport concurrent xml vulkan direct2d freetype jpeg tabletevent
       system_zlib system_pcre2 system_harfbuzz system_png system_doubleconversion)
  features=()
  for feature in "${off[@]}"; do
    features+=("-DFEATURE_$feature=OFF")
  done
  cmake -S "$source" -B "$work/build" -G Ninja -Wno-dev \
        -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=ON \
        -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
        -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DINPUT_opengl=no \
        "${features[@]}" >"$work/configure.log" || { tail -40 "$work/configure.log"; exit 1; }
  cmake --build "$work/build" >"$work/build.log" || { grep -B2 -A12 -m3 "error" "$work/build.log"; exit 1; }
  cmake --install "$work/build" >/dev/null
  touch "$prefix/done"
  rm -rf "$work"
fi

if [[ -n $archiveDir ]]; then
  mkdir -p "$archiveDir"
  tar -cJf "$archiveDir/$name" -C "$prefix" .
  echo "Qt for Windows: wrote $archiveDir/$name"
fi
