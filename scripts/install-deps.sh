#!/usr/bin/env bash
# Installs the Debian packages that building (and, with --tests, testing)
# needs, when any of them is missing. Uses sudo when not run as root.
set -euo pipefail

packages=(cmake ninja-build g++ pkg-config qt6-base-dev libgl-dev libusb-1.0-0-dev fonts-ipafont-gothic)
if [[ "${1:-}" == "--tests" ]]; then
  packages+=(libgtest-dev umockdev libumockdev-dev libglib2.0-dev)
fi

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
