#!/usr/bin/env bash
# make_packages.sh [--deb | --windows | --web]: what users install, from
# release trees of its own (no profiling, stripped), into build-packages/
# (or the folder TERRAIN_PACKAGES_DIR names, as the tests do in their tree):
#   terrain-viewers_VERSION-1_amd64.deb      from build-packages/linux/
#   terrain-viewers_VERSION-1_arm64.deb      from build-packages/linux-arm64/
#   terrain-viewers-VERSION-windows.zip      from build-packages/win32/ and win64/
#   terrain-viewers-VERSION-x86.msi          from build-packages/win32/
#   terrain-viewers-VERSION-x64.msi          from build-packages/win64/
#   terrain-viewers-VERSION-web.zip          the browser site, from build-packages/web/
#   SHA256SUMS                               the checksums of the packages it made
# --deb, --windows or --web makes only those.  Prints the path of each
# package made, then where the folder is.
#
# The same source gives the same bytes, wherever, whenever and by whomever
# it is built: every time stamp is SOURCE_DATE_EPOCH's (the last commit's
# unless set), the folder's path is mapped away from the programs (the
# release presets of CMakePresets.json), the Windows programs carry no link
# time (cmake/mingw-common.cmake), and neither the umask nor the locale
# reaches a package.
set -euo pipefail
cd "$(dirname "$0")/.."
kinds=(deb windows web)
case "${1:-}" in
  "") ;;
  --deb | --windows | --web) kinds=("${1#--}") ;;
  *) echo "usage: tools/make_packages.sh [--deb | --windows | --web]" >&2; exit 2 ;;
esac
wants() { [[ " ${kinds[*]} " == *" $1 "* ]]; }

if [[ -z ${SOURCE_DATE_EPOCH:-} ]] && ! SOURCE_DATE_EPOCH=$(git log -1 --format=%ct 2>/dev/null); then
  echo "make_packages.sh: not a git checkout: set SOURCE_DATE_EPOCH to the release's time" >&2
  exit 1
fi
export SOURCE_DATE_EPOCH TZ=UTC LC_ALL=C.UTF-8
umask 022

# dpkg-shlibdeps (dpkg-dev) and file find the libraries the programs link;
# icoutils makes the Windows programs' icon, wixl and msitools the
# installers, faketime holds their clock.
toolchains=(--viewer)
wants deb && toolchains+=(--arm64)
wants web && toolchains+=(--web)
needs=(dpkg-dev file)
wants windows && needs+=(g++-mingw-w64-i686 g++-mingw-w64-x86-64 icoutils wixl msitools faketime)
tools/install_deps.sh "${toolchains[@]}" "${needs[@]}"

out=${TERRAIN_PACKAGES_DIR:-$PWD/build-packages}
mkdir -p "$out"
out=$(cd "$out" && pwd)
version=$(sed -n 's/^project(terrain_viewers VERSION \([0-9.]*\) .*/\1/p' CMakeLists.txt)
programs=(terrain320 terrain128 terrain32)
made=()

# configure_and_build PRESET FOLDER: a release preset's tree (CMakePresets.json:
# no profiling, tests or benchmarks, the source folder's path mapped to "."),
# in $out/FOLDER.
configure_and_build() {
  cmake --preset "$1" -B "$out/$2" >/dev/null
  cmake --build "$out/$2" -j"$(nproc)" --target "${programs[@]}" >/dev/null
}

# make_deb PRESET ARCH: the Debian package of a tree built with Debian's
# hardening flags, as dpkg-buildflags gives them.
make_deb() {
  local preset=$1 arch=$2 tree=$out/linux
  [[ $arch == amd64 ]] || tree=$out/linux-$arch
  configure_and_build "$preset" "${tree##*/}"
  rm -f "$out"/terrain-viewers_*_"$arch".deb
  # CPack's work folder inside the tree, so that packages made at the same
  # time keep their own; dpkg-shlibdeps looks for ARCH's libraries.
  if ! said=$(cd "$tree" && DEB_HOST_ARCH=$arch cpack -G DEB -B "$tree/packages" 2>&1); then
    echo "$said" >&2
    exit 1
  fi
  mv "$tree"/packages/terrain-viewers_*_"$arch".deb "$out/"
  made+=("$(ls "$out"/terrain-viewers_*_"$arch".deb)")
}

if wants deb; then
  make_deb release-linux amd64
  make_deb release-arm64 arm64
fi
if wants windows; then
  configure_and_build release-win32 win32
  configure_and_build release-win64 win64
  mapfile -t -O "${#made[@]}" made < <(tools/windows_packages.sh "$out/win32" "$out/win64" "$out")
fi
if wants web; then
  TERRAIN_PACKAGES_DIR=$out tools/build_web.sh release >/dev/null
  made+=("$out/terrain-viewers-$version-web.zip")
  tools/reproducible_zip.py "${made[-1]}" "terrain-viewers-$version-web" "$out/web/site"
fi

# The checksums a user checks a download with (sha256sum -c SHA256SUMS).
(cd "$out" && sha256sum -- "${made[@]##*/}" > SHA256SUMS)
printf '%s\n' "${made[@]}"
echo "the packages and their SHA256SUMS are in $out/"
