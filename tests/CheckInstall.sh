#!/bin/sh
# Installs a build tree into a temporary folder and checks what desktops read.
set -eu
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
cmake --install "$1" --prefix "$root" >/dev/null
desktop-file-validate "$root"/share/applications/org.pellmark.Pellmark.desktop
appstreamcli validate --no-net "$root"/share/metainfo/org.pellmark.Pellmark.metainfo.xml
for icon in 16x16 32x32 48x48 256x256; do
    test -s "$root/share/icons/hicolor/$icon/apps/org.pellmark.Pellmark.png"
done
grep -q '<svg' "$root/share/icons/hicolor/scalable/apps/org.pellmark.Pellmark.svg"
test -x "$root/bin/pellmark"
test -s "$root/share/man/man1/pellmark.1.gz"
test -s "$root/lib/udev/rules.d/70-pellmark.rules"
