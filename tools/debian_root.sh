#!/usr/bin/env bash
# Roots of the other Debian releases people run: Debian 13 (trixie, stable)
# and Debian testing (forky, whose SDL2 is sdl2-compat over SDL3), made from
# the archive apt already uses and kept in one cache folder outside the
# clone, so that the native tests run against their SDL, Mesa and compilers.
#   debian_root.sh make RELEASE [--refresh]  make the root, once; --refresh makes it anew
#   debian_root.sh run RELEASE COMMAND...    run COMMAND in the root, in this folder
#                                             (status 77 when there is no root)
#   debian_root.sh date RELEASE              when the root was made
#   debian_root.sh remove RELEASE            delete the root
# RELEASE is trixie or forky.  A root holds the native toolchain
# (tools/install_deps.sh, plus emscripten and the desktops in trixie).  The
# clone is mounted at the same path inside the root, so build trees
# (build-RELEASE/, see the presets of that name) sit in the clone and keep
# their paths; `run` runs as the user who asked (through sudo: SUDO_UID), so
# what it builds there is that user's.
# TERRAIN_ROOTS (default /var/cache/terrain-viewers/roots) is the cache;
# TERRAIN_DEBIAN_MIRROR names a mirror other than the one apt uses.
# Testing moves with the archive: its root is made anew when it is older than
# TERRAIN_ROOT_MAX_DAYS (default 14), and only by `make`, never during a run;
# a root that cannot be made anew is kept as it was.
# Every package is checked against Debian's keys, in the making and ever after.
set -euo pipefail

roots=${TERRAIN_ROOTS:-/var/cache/terrain-viewers/roots}
source_dir=$(cd "$(dirname "$0")/.." && pwd)

usage() {
  echo "usage: tools/debian_root.sh make RELEASE [--refresh] | run RELEASE COMMAND... | date RELEASE | remove RELEASE" >&2
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
  local url=${TERRAIN_DEBIAN_MIRROR:-}
  [[ -n $url ]] || url=$(grep -rhoE '(deb|URIs:)\s+https?://[^ ]+/debian/?(\s|$)' /etc/apt/sources.list /etc/apt/sources.list.d/ 2>/dev/null |
    grep -oE 'https?://[^ ]+' | head -1)
  echo "${url:-http://deb.debian.org/debian}"
}

# Deletes a root's folder without leaving its file system, and not at all
# while anything is mounted inside it: a bind mount left by an interrupted
# command would otherwise have the host's /dev or the clone deleted with it.
remove_tree() {
  local dir=$1 mounted
  [[ -e $dir ]] || return 0
  dir=$(realpath "$dir")
  mounted=$(awk -v dir="$dir/" 'index($5 "/", dir) == 1 { print $5; exit }' /proc/self/mountinfo)
  if [[ -n $mounted ]]; then
    echo "debian_root.sh: not deleting $dir: $mounted is mounted inside it (umount -R it first)" >&2
    return 1
  fi
  "${as_root[@]}" rm -rf --one-file-system -- "$dir"
}

# The user a run builds as: the one who asked, also through sudo.
run_user=$(id -u):$(id -g)
[[ $(id -u) -eq 0 && -n ${SUDO_UID:-} ]] && run_user=$SUDO_UID:${SUDO_GID:-$SUDO_UID}

# in_root DIR USER COMMAND...: runs COMMAND as USER (uid:gid) in the root at
# DIR, with a clean environment, /proc, /sys, /dev and the clone mounted in
# a mount namespace of its own: the mounts go with it, however it ends.
in_root() {
  local dir=$1 user=$2
  shift 2
  local keep=(PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8
              DEBIAN_FRONTEND=noninteractive TERRAIN_ROOT_RELEASE="$release")
  [[ $user == 0:0 ]] && keep+=(HOME=/root) || keep+=(HOME=/tmp)
  local name
  for name in CI $(compgen -e | grep -E '^(TERRAIN_|E2E_|CTEST_)' || true); do
    [[ -n "${!name:-}" ]] && keep+=("$name=${!name}")
  done
  "${as_root[@]}" unshare --mount --propagation private -- /usr/bin/env ROOT="$dir" SOURCE="$source_dir" \
    USERSPEC="$user" bash -c '
    set -e
    for dir in /proc /sys /dev /dev/pts /dev/shm "$SOURCE"; do
      mkdir -p "$ROOT$dir"
      mount --rbind "$dir" "$ROOT$dir"
    done
    cp -L /etc/resolv.conf "$ROOT/etc/resolv.conf" 2>/dev/null || true
    # X servers run by a user who is not root cannot make this themselves.
    install -d -m 1777 "$ROOT/tmp/.X11-unix"
    exec chroot --userspec="$USERSPEC" "$ROOT" "$@"' in_root /usr/bin/env -i "${keep[@]}" \
    bash -c 'cd "$1" && shift && exec "$@"' in_root "$source_dir" "$@"
}

made_days_ago() {
  [[ -f $root/.made ]] || { echo 9999; return; }
  echo $(((($(date +%s) - $(date -d "$(cat "$root/.made")" +%s))) / 86400))
}

# What the tests never read, left out of every package installed in a root
# (dpkg's path-exclude, as Debian's minimal images do): documentation but
# the licences, manual pages but the viewers' own, which the package test
# reads, info pages, and translations.
dpkg_excludes=(
  --dpkgopt='path-exclude=/usr/share/doc/*' --dpkgopt='path-include=/usr/share/doc/*/copyright'
  --dpkgopt='path-exclude=/usr/share/man/*' --dpkgopt='path-include=/usr/share/man/man6/terrain*'
  --dpkgopt='path-exclude=/usr/share/info/*'
  --dpkgopt='path-exclude=/usr/share/locale/*' --dpkgopt='path-include=/usr/share/locale/locale.alias'
  --dpkgopt='path-exclude=/usr/share/help/*' --dpkgopt='path-exclude=/usr/share/gtk-doc/*'
)

# Installs the toolchain in the root at DIR, and what a Debian system has
# made by then, and drops the downloaded packages.
# Each step must succeed: this runs where set -e does not hold.
provision() {
  local dir=$1
  # NOTE: with the manual pages left out, dpkg makes none of their folders:
  # the viewers' own pages need man6, and a maintainer script that links its
  # page with update-alternatives fails without its section's (OpenJDK's).
  "${as_root[@]}" mkdir -p "$dir/usr/share/man/man1" "$dir/usr/share/man/man6" &&
    in_root "$dir" 0:0 tools/install_deps.sh --root "${extra[@]}" &&
    # NOTE: packages installed into a new root leave some of fontconfig's
    # caches unmade; the first program to draw text (openbox, framing the
    # first window) then makes them itself, and on a busy machine that held
    # a window unmapped for over 30 seconds.  A Debian system has them made.
    in_root "$dir" 0:0 fc-cache &&
    in_root "$dir" 0:0 apt-get clean
}

# Debian's keyring as the newest release that this machine's own keys
# verify ships it (Debian 13's), unpacked into DIR: apt checks the package
# against that release's signed index, as it checks any other.
fetch_newer_keyring() {
  local dir=$1
  mkdir -p "$dir/lists/partial" "$dir/archives/partial" "$dir/keys"
  echo "deb $(mirror) trixie main" >"$dir/sources.list"
  local isolated=(-o Dir::Etc::SourceList="$dir/sources.list" -o Dir::Etc::SourceParts=/nonexistent
                  -o Dir::State::Lists="$dir/lists" -o Dir::Cache::Archives="$dir/archives"
                  -o Dir::Cache::pkgcache= -o Dir::Cache::srcpkgcache= -o Acquire::Check-Valid-Until=false)
  apt-get "${isolated[@]}" update -qq &&
    (cd "$dir" && apt-get "${isolated[@]}" download -qq debian-archive-keyring) &&
    dpkg-deb -x "$dir"/debian-archive-keyring_*.deb "$dir/keys"
}

# bootstrap DIR [OPTION...]: a new root in DIR, its output also in DIR.log.
bootstrap() {
  local dir=$1
  shift
  "${as_root[@]}" mmdebstrap --variant=apt --include=ca-certificates,debian-archive-keyring \
    --aptopt='Acquire::Check-Valid-Until "false"' "${dpkg_excludes[@]}" "$@" \
    "$release" "$dir" "deb $(mirror) $release main" 2>&1 | tee "$dir.log" >&2
}

make_root() {
  local refresh=0
  [[ "${1:-}" == --refresh ]] && refresh=1
  if [[ $release == forky && $(made_days_ago) -ge ${TERRAIN_ROOT_MAX_DAYS:-14} ]]; then
    refresh=1
  fi
  if [[ -f $root/.made && $refresh -eq 0 ]]; then
    # Made before: bring its toolchain up to what the clone now asks.
    provision "$root"
    return
  fi
  echo "making the $release root in $root (this takes a few minutes)" >&2
  "${as_root[@]}" mkdir -p "$roots"
  remove_tree "$root.new"
  # NOTE: Debian 12's debootstrap has no script for forky; mmdebstrap needs
  # none.  The archive copy may carry a Release file past its Valid-Until
  # date; its signature is checked all the same, against this machine's
  # Debian keys, which include those that sign trixie and testing.
  local made=1 keys
  if ! bootstrap "$root.new"; then
    made=0
    # Signed by a key newer than this machine's keyring: try once more with
    # the newer keyring that a release this machine trusts brings.
    if grep -qE 'NO_PUBKEY|EXPKEYSIG|is not signed' "$root.new.log"; then
      keys=$(mktemp -d)
      if fetch_newer_keyring "$keys"; then
        remove_tree "$root.new"
        bootstrap "$root.new" --keyring="$keys/keys/usr/share/keyrings/debian-archive-keyring.gpg" && made=1
      else
        echo "debian_root.sh: the $release archive is signed by a key this machine lacks, and no newer Debian keyring could be had from a release it trusts" >&2
      fi
      rm -rf --one-file-system "$keys"
    fi
  fi
  rm -f "$root.new.log"
  if [[ $made -eq 0 ]] || ! provision "$root.new"; then
    remove_tree "$root.new" || true
    if [[ -f $root/.made ]]; then
      echo "debian_root.sh: could not make the $release root anew; keeping the one made $(cat "$root/.made")" >&2
      return 0
    fi
    echo "debian_root.sh: could not make the $release root from $(mirror) (see above)" >&2
    return 1
  fi
  date -u +%Y-%m-%dT%H:%M:%SZ | "${as_root[@]}" tee "$root.new/.made" >/dev/null
  remove_tree "$root"
  "${as_root[@]}" mv "$root.new" "$root"
}

# The browser pages are built with Debian 13's Emscripten too, and the
# desktops' window managers run there.
# NOTE: each desktop's window manager wants a D-Bus session of its own, and
# KWin draws no frame without its Breeze decoration.
extra=()
[[ $release == trixie ]] && extra=(emscripten nodejs mutter kwin-x11 kwin-wayland kwin-style-breeze xfwm4 xfce4-panel xwayland dbus
                                   libdecor-0-plugin-1-gtk)

case "$verb" in
  make) make_root "$@" ;;
  run)
    [[ $# -ge 1 ]] || usage
    [[ -f $root/.made ]] || { echo "debian_root.sh: no $release root in $root (make it first)" >&2; exit 77; }
    in_root "$root" "$run_user" "$@"
    ;;
  date) [[ -f $root/.made ]] && cat "$root/.made" || { echo "no $release root in $root" >&2; exit 1; } ;;
  remove) remove_tree "$root" && remove_tree "$root.new" ;;
  *) usage ;;
esac
