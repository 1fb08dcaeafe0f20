#!/usr/bin/env bash
# Installs what is missing, builds the .deb (build/package/pellmark_*.deb) and
# checks it: lintian, desktop-file-validate and appstreamcli.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh --package
# Debian's hardening flags; CMake reads CXXFLAGS and LDFLAGS, not CPPFLAGS.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
eval "$(dpkg-buildflags --export=sh)"
export CXXFLAGS="$CPPFLAGS $CXXFLAGS"
cmake --preset package
cmake --build --preset package
rm -f build/package/pellmark_*.deb
(cd build/package && cpack -G DEB)
deb=$(ls build/package/pellmark_*.deb)

staged=build/package/staged
rm -rf "$staged"
dpkg-deb -x "$deb" "$staged"
desktop-file-validate "$staged"/usr/share/applications/*.desktop
appstreamcli validate --no-net "$staged"/usr/share/metainfo/*.metainfo.xml
lintian --fail-on error "$deb"
echo "Built and checked: $deb"
