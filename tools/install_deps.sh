#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing the viewers
# need.  Idempotent and quiet: when everything is already there it asks apt
# nothing at all.
#   install_deps.sh [--windows] [PACKAGE...]
# --windows adds the MinGW-w64 cross compilers and Wine (64-bit, and 32-bit
# from the i386 architecture, which it enables).
set -euo pipefail

windows=0
if [[ "${1:-}" == "--windows" ]]; then
  windows=1
  shift
fi

packages=(
  cmake g++ make pkg-config
  libsdl2-dev libgl-dev libglu1-mesa-dev libegl-dev libgl1-mesa-dri libegl-mesa0
  libgtest-dev libgmock-dev libbenchmark-dev libpng-dev
  xvfb xdotool x11-utils imagemagick libx11-dev libxtst-dev
  openbox xauth
  dpkg-dev file python3
)
if [[ $windows -eq 1 ]]; then
  packages+=(g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine64 wine32:i386)
fi
packages+=("$@")

# Installed for the wanted architecture (the native one unless the name says
# NAME:ARCH) or for all: with i386 enabled a library may be there twice.
native=$(dpkg --print-architecture)
missing=()
for package in "${packages[@]}"; do
  arch=$native
  [[ "$package" == *:* ]] && arch=${package#*:}
  if ! dpkg-query -W -f='${Architecture} ${Status}\n' "$package" 2>/dev/null |
      grep -qE "^($arch|all) install ok installed$"; then
    missing+=("$package")
  fi
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

as_root=()
[[ $(id -u) -eq 0 ]] || as_root=(sudo)
echo "installing: ${missing[*]}" >&2
if [[ $windows -eq 1 ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${as_root[@]}" dpkg --add-architecture i386
fi
"${as_root[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq "${missing[@]}" >/dev/null
