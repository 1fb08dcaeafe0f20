#!/usr/bin/env bash
# Installs the Debian packages that building needs (with --tests, testing;
# with --bench, the benchmarks; with --package, making and checking the
# .deb; with --screenshot, the README's screenshot; with --windows, the Windows
# cross-build and Wine), when any of them is missing. Uses sudo when not run as root.
set -euo pipefail

packages=(cmake ninja-build g++ pkg-config qt6-base-dev libgl-dev libxkbcommon-dev libusb-1.0-0-dev fonts-ipafont-gothic
          libpcre2-dev libpugixml-dev)
case "${1:-}" in
  --tests) packages+=(libgtest-dev umockdev libumockdev-dev libglib2.0-dev desktop-file-utils appstream
             clang libclang-rt-14-dev libxml2-utils perl python3 python3-yaml python3-more-itertools python3-tap) ;;
  --bench) packages+=(libbenchmark-dev xvfb xauth time) ;;
  --package) packages+=(dpkg-dev file lintian desktop-file-utils appstream) ;;
  --screenshot) packages+=(xvfb xauth xdotool imagemagick) ;;
  --windows) packages=(cmake ninja-build g++-mingw-w64-x86-64-posix wine64 googletest locales libxml2-utils
               qt6-base-dev qt6-base-dev-tools patch xz-utils xvfb xauth xdotool nsis zip) ;;
esac

missing=()
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$package")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
[[ $(id -u) -eq 0 ]] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
