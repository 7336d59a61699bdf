#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing the viewers
# need.  Idempotent and quiet: when everything is already there it asks apt
# nothing at all.
set -euo pipefail

packages=(
  cmake g++ make pkg-config
  libsdl2-dev libgl-dev libglu1-mesa-dev libegl-dev libgl1-mesa-dri libegl-mesa0
  libgtest-dev libgmock-dev libbenchmark-dev libpng-dev
  xvfb xdotool x11-utils imagemagick libx11-dev libxtst-dev
)
packages+=("$@")

missing=()
for package in "${packages[@]}"; do
  # One status line per installed architecture of the package.
  dpkg-query -W -f='${Status}\n' "$package" 2>/dev/null | grep -qx 'install ok installed' ||
    missing+=("$package")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

as_root=()
[[ $(id -u) -eq 0 ]] || as_root=(sudo)
echo "installing: ${missing[*]}" >&2
"${as_root[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
