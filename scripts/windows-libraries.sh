#!/usr/bin/env bash
# Builds PCRE2 (its 16-bit library) and pugixml for the Windows cross-build,
# static, from Debian's own source packages, into build/windows-libraries.
# Debian has no mingw-w64 build of either. apt fetches the sources with its
# own lists kept in that folder, so the machine's apt set-up is left as it is;
# their checksums come from Debian's signed index.
set -euo pipefail
cd "$(dirname "$0")/.."

top=$PWD/build/windows-libraries
prefix=$top/prefix
[[ -f $prefix/done ]] && exit 0

rm -rf "$top"
mkdir -p "$top/apt/lists/partial" "$top/apt/archives/partial" "$top/apt/sources" "$top/src"
cat >"$top/apt/sources/debian-src.sources" <<'EOF'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
apt=(apt-get -qq -o Dir::Etc::SourceList=/dev/null -o "Dir::Etc::SourceParts=$top/apt/sources"
     -o "Dir::State::Lists=$top/apt/lists" -o "Dir::Cache=$top/apt" -o APT::Sandbox::User=root)
"${apt[@]}" update
(cd "$top/src" && "${apt[@]}" source --download-only pcre2 pugixml)
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
