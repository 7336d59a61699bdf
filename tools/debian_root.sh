#!/usr/bin/env bash
# Roots of the other Debian releases people run: Debian 13 (trixie, stable)
# and Debian testing (forky, whose SDL2 is sdl2-compat over SDL3), made from
# the archive apt already uses and kept in one cache folder outside the
# clone, so that the native tests run against their SDL, Mesa and compilers.
#   debian_root.sh make RELEASE [--refresh]  make the root, once; --refresh makes it anew
#   debian_root.sh run RELEASE COMMAND...    run COMMAND in the root, in this folder
#                                             (status 77 when there is no root)
#   debian_root.sh date RELEASE              when the root was made
# RELEASE is trixie or forky.  A root holds the native toolchain
# (tools/install_deps.sh, plus emscripten in trixie).  The clone is mounted
# at the same path inside the root, so build trees (build-RELEASE/, see the
# presets of that name) sit in the clone and keep their paths.
# TERRAIN_ROOTS (default /var/cache/terrain-viewers/roots) is the cache.
# Testing moves with the archive: its root is made anew when it is older than
# TERRAIN_ROOT_MAX_DAYS (default 14), and only by `make`, never during a run.
set -euo pipefail

roots=${TERRAIN_ROOTS:-/var/cache/terrain-viewers/roots}
source_dir=$(cd "$(dirname "$0")/.." && pwd)

usage() {
  echo "usage: tools/debian_root.sh make RELEASE [--refresh] | run RELEASE COMMAND... | date RELEASE" >&2
  exit 2
}

[[ $# -ge 2 ]] || usage
verb=$1 release=$2
shift 2
case "$release" in
  trixie | forky) ;;
  *) echo "debian_root.sh: unknown release '$release' (trixie or forky)" >&2; exit 2 ;;
esac
root=$roots/$release
as_root=()
[[ $(id -u) -eq 0 ]] || as_root=(sudo)

# The mirror apt uses for Debian itself, from its sources.
mirror() {
  local url
  url=$(grep -rhoE '(deb|URIs:)\s+https?://[^ ]+/debian/?(\s|$)' /etc/apt/sources.list /etc/apt/sources.list.d/ 2>/dev/null |
    grep -oE 'https?://[^ ]+' | head -1)
  echo "${url:-http://deb.debian.org/debian}"
}

# Runs "$@" in the root with a clean environment, /proc, /sys, /dev and the
# clone mounted in a mount namespace of its own: the mounts go with it,
# however the command ends.
in_root() {
  local keep=(HOME=/root PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8
              DEBIAN_FRONTEND=noninteractive TERRAIN_ROOT_RELEASE="$release")
  local name
  for name in CI $(compgen -e | grep -E '^(TERRAIN_|E2E_|CTEST_)' || true); do
    [[ -n "${!name:-}" ]] && keep+=("$name=${!name}")
  done
  "${as_root[@]}" unshare --mount --propagation private -- /usr/bin/env ROOT="$root" SOURCE="$source_dir" bash -c '
    set -e
    for dir in /proc /sys /dev /dev/pts /dev/shm "$SOURCE"; do
      mkdir -p "$ROOT$dir"
      mount --rbind "$dir" "$ROOT$dir"
    done
    cp -L /etc/resolv.conf "$ROOT/etc/resolv.conf" 2>/dev/null || true
    exec chroot "$ROOT" "$@"' in_root /usr/bin/env -i "${keep[@]}" bash -c 'cd "$1" && shift && exec "$@"' \
    in_root "$source_dir" "$@"
}

made_days_ago() {
  [[ -f $root/.made ]] || { echo 9999; return; }
  echo $(((($(date +%s) - $(date -d "$(cat "$root/.made")" +%s))) / 86400))
}

make_root() {
  local refresh=0
  [[ "${1:-}" == --refresh ]] && refresh=1
  if [[ $release == forky && $(made_days_ago) -ge ${TERRAIN_ROOT_MAX_DAYS:-14} ]]; then
    refresh=1
  fi
  if [[ -f $root/.made && $refresh -eq 0 ]]; then
    # Made before: bring its toolchain up to what the clone now asks.
    in_root tools/install_deps.sh "${extra[@]}"
    in_root fc-cache
    return
  fi
  echo "making the $release root in $root (this takes a few minutes)" >&2
  "${as_root[@]}" rm -rf "$root.new"
  "${as_root[@]}" mkdir -p "$roots"
  # NOTE: Debian 12's debootstrap has no script for forky; sid's fits it.
  # The archive copy may carry a Release file past its Valid-Until date, and
  # testing's may be signed by a key newer than this machine's keyring.
  "${as_root[@]}" mmdebstrap --variant=apt --include=ca-certificates \
    --aptopt='Acquire::Check-Valid-Until "false"' \
    "$release" "$root.new" "deb $(mirror) $release main" >&2 ||
    "${as_root[@]}" mmdebstrap --variant=apt --include=ca-certificates \
      --aptopt='Acquire::Check-Valid-Until "false"' --aptopt='APT::Get::AllowUnauthenticated "true"' \
      --keyring=/dev/null "$release" "$root.new" "[trusted=yes] deb $(mirror) $release main" >&2
  "${as_root[@]}" rm -rf "$root"
  "${as_root[@]}" mv "$root.new" "$root"
  in_root tools/install_deps.sh "${extra[@]}"
  # NOTE: packages installed into a new root leave some of fontconfig's
  # caches unmade; the first program to draw text (openbox, framing the
  # first window) then makes them itself, and on a busy machine that held a
  # window unmapped for over 30 seconds.  A Debian system has them made.
  in_root fc-cache
  date -u +%Y-%m-%dT%H:%M:%SZ | "${as_root[@]}" tee "$root/.made" >/dev/null
}

# The browser pages are built with Debian 13's Emscripten too.
extra=()
[[ $release == trixie ]] && extra=(emscripten nodejs)

case "$verb" in
  make) make_root "$@" ;;
  run)
    [[ $# -ge 1 ]] || usage
    [[ -f $root/.made ]] || { echo "debian_root.sh: no $release root in $root (make it first)" >&2; exit 77; }
    in_root "$@"
    ;;
  date) [[ -f $root/.made ]] && cat "$root/.made" || { echo "no $release root in $root" >&2; exit 1; } ;;
  *) usage ;;
esac
