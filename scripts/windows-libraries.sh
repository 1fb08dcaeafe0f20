#!/usr/bin/env bash
# Builds PCRE2 (its 16-bit library) and pugixml for the Windows cross-build,
# static, from Debian's own source packages, into build/windows-libraries.
# Debian has no mingw-w64 build of either.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/debian-sources.sh

top=$PWD/build/windows-libraries
prefix=$top/prefix
[[ -f $prefix/done ]] && exit 0

rm -rf "$top"
debian_sources "$top" pcre2 pugixml
for tarball in "$top"/src/*.orig.tar.gz; do
  tar -xzf "$tarball" -C "$top/src"
done

cross=(-G Ninja -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" -DCMAKE_BUILD_TYPE=Release
       -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=OFF)
cmake -S "$top"/src/pcre2-*/ -B "$top/pcre2" "${cross[@]}" -DPCRE2_BUILD_PCRE2_8=OFF -DPCRE2_BUILD_PCRE2_16=ON \
      -DPCRE2_BUILD_PCRE2GREP=OFF -DPCRE2_BUILD_TESTS=OFF >/dev/null
cmake --build "$top/pcre2" --target install >/dev/null
cmake -S "$top"/src/pugixml-*/ -B "$top/pugixml" "${cross[@]}" -DPUGIXML_BUILD_TESTS=OFF >/dev/null
cmake --build "$top/pugixml" --target install >/dev/null
touch "$prefix/done"
