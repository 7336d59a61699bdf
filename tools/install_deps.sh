#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing the viewers
# need.  Idempotent and quiet: when everything is already there it asks apt
# nothing at all.
#   install_deps.sh [--viewer | --root] [--windows] [--web] [--cross] [--arm64] [PACKAGE...]
# --viewer installs only what building and running a viewer needs (also on a
# private X server, when there is no display), without the test toolchain
# (GoogleTest, Google Benchmark, Weston, openbox, valgrind, lintian...).
# --root leaves out the package checks (lintian, diffoscope), which run on
# the host alone, for the roots of other releases (tools/debian_root.sh).
# --windows adds the MinGW-w64 cross compilers, icoutils (the programs'
# icon), Wine (64-bit, and 32-bit from the i386 architecture, which it
# enables), and wixl and msitools for the installers.  --web adds emscripten,
# for the browser build, chromium with nodejs, which run it, firefox-esr, in
# which the tests try what Firefox does otherwise, and the npm package that
# drives both browsers in the tests.  --cross adds the Linux cross
# compilers for 32-bit x86 and 64-bit ARM and qemu's user-mode emulation,
# which runs what they build, and implies --arm64: Debian's arm64
# architecture (which it enables) and the arm64 SDL2, GL, GLU and Mesa that
# the 64-bit ARM viewers link and draw with.
set -euo pipefail

viewer_only=0
in_root=0
windows=0
web=0
cross=0
arm64=0
while [[ "${1:-}" == --* ]]; do
  case "$1" in
    --viewer) viewer_only=1 ;;
    --root) in_root=1 ;;
    --windows) windows=1 ;;
    --web) web=1 ;;
    --cross) cross=1 arm64=1 ;;
    --arm64) arm64=1 ;;
    *) echo "usage: tools/install_deps.sh [--viewer | --root] [--windows] [--web] [--cross] [--arm64] [PACKAGE...]" >&2; exit 2 ;;
  esac
  shift
done

packages=(
  cmake g++ make pkg-config
  libsdl2-dev libgl-dev libglu1-mesa-dev libegl-dev libgl1-mesa-dri libegl-mesa0
  libpng-dev libx11-dev libdecor-0-plugin-1-cairo
  xvfb xdotool x11-utils imagemagick xauth python3
)
if [[ $viewer_only -eq 0 ]]; then
  packages+=(
    libgtest-dev libgmock-dev libbenchmark-dev libxtst-dev
    weston openbox valgrind
    dpkg-dev file desktop-file-utils man-db
  )
  [[ $in_root -eq 1 ]] || packages+=(lintian diffoscope-minimal)
fi
if [[ $windows -eq 1 ]]; then
  packages+=(g++-mingw-w64-i686 g++-mingw-w64-x86-64 icoutils wine wine64 wine32:i386 wixl msitools)
fi
if [[ $cross -eq 1 ]]; then
  packages+=(g++-i686-linux-gnu qemu-user)
fi
if [[ $arm64 -eq 1 ]]; then
  packages+=(g++-aarch64-linux-gnu libsdl2-dev:arm64 libgl-dev:arm64 libglu1-mesa-dev:arm64 libegl-dev:arm64
             libpng-dev:arm64 libx11-dev:arm64 libgl1-mesa-dri:arm64 libglx-mesa0:arm64 libegl-mesa0:arm64)
fi
if [[ $web -eq 1 ]]; then
  packages+=(emscripten chromium firefox-esr nodejs)
  # Debian's nodejs comes without npm; a node from elsewhere may bring its own.
  command -v npm >/dev/null || packages+=(npm)
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

if [[ ${#missing[@]} -gt 0 ]]; then
  as_root=()
  [[ $(id -u) -eq 0 ]] || as_root=(sudo)
  echo "installing: ${missing[*]}" >&2
  for foreign in i386:$windows arm64:$arm64; do
    if [[ ${foreign#*:} -eq 1 ]] && ! dpkg --print-foreign-architectures | grep -qx "${foreign%:*}"; then
      "${as_root[@]}" dpkg --add-architecture "${foreign%:*}"
    fi
  done
  # NOTE: a mirror caught mid-sync serves an index that fails its checksum,
  # and apt then takes none of that release's lists (a fresh machine has no
  # older ones).  After a few tries the lists are fetched once more without
  # the architectures whose index failed, as apt still verifies each, and
  # the install goes on with the signed lists it has; a package they lack
  # then fails the install itself.
  errors=$(mktemp)
  for try in 1 2 3; do
    "${as_root[@]}" apt-get update -qq 2>"$errors" && break
    cat "$errors" >&2
    if [[ $try -eq 3 ]]; then
      failing=$(grep -oE 'binary-[a-z0-9]+/' "$errors" | sort -u | sed -E 's/binary-(.*)\//\1/')
      echo "install_deps.sh: apt-get update failed 3 times; fetching the lists again without:" $failing >&2
      architectures=()
      for arch in $native $(dpkg --print-foreign-architectures); do
        grep -qx "$arch" <<<"$failing" || architectures+=(-o "APT::Architectures::=$arch")
      done
      [[ -z $failing ]] || "${as_root[@]}" apt-get update -qq "${architectures[@]}" || true
    fi
    [[ $try -lt 3 ]] && sleep 20
  done
  rm -f "$errors"
  apt_install() { DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq "$@" >/dev/null; }
  # 32-bit Wine is optional: where the archive's i386 packages cannot go
  # with this machine's own (an i386 index mid-sync lags its security
  # updates), its tests say NOT RUN, as on a kernel without 32-bit support.
  optional=() required=()
  for package in "${missing[@]}"; do
    [[ $package == wine32:i386 ]] && optional+=("$package") || required+=("$package")
  done
  [[ ${#required[@]} -eq 0 ]] || apt_install "${required[@]}"
  if [[ ${#optional[@]} -gt 0 ]] && ! apt_install "${optional[@]}"; then
    echo "install_deps.sh: cannot install ${optional[*]} from this archive; the 32-bit Windows tests will say NOT RUN" >&2
  fi
fi

# The browser driver, puppeteer-core as pinned in tests/web/package-lock.json
# (it drives Debian's Chromium and downloads no browser of its own):
# installed again only when the lock file has changed since.
if [[ $web -eq 1 ]]; then
  driver=$(cd "$(dirname "$0")/../tests/web" && pwd)
  if ! cmp -s "$driver/package-lock.json" "$driver/node_modules/.installed-lock.json"; then
    echo "installing: the browser driver (npm ci in tests/web)" >&2
    (cd "$driver" && npm ci --no-audit --no-fund --loglevel=error >/dev/null)
    cp "$driver/package-lock.json" "$driver/node_modules/.installed-lock.json"
  fi
fi
