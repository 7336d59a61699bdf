#!/usr/bin/env bash
# make_packages.sh [--deb | --windows]: the packages users install, from
# release trees of its own (no profiling, stripped), into build-packages/:
#   terrain-viewers_VERSION-1_amd64.deb      from build-packages/linux/
#   terrain-viewers-VERSION-windows.zip      from build-packages/win32/ and win64/
#   terrain-viewers-VERSION-x86.msi          from build-packages/win32/
#   terrain-viewers-VERSION-x64.msi          from build-packages/win64/
# --deb or --windows makes only those.  Prints the path of each package made.
set -euo pipefail
cd "$(dirname "$0")/.."
want_deb=1
want_windows=1
case "${1:-}" in
  "") ;;
  --deb) want_windows=0 ;;
  --windows) want_deb=0 ;;
  *) echo "usage: tools/make_packages.sh [--deb | --windows]" >&2; exit 2 ;;
esac

# dpkg-shlibdeps (dpkg-dev) and file find the libraries the programs link;
# icoutils makes the Windows programs' icon, wixl and msitools the installers.
if [[ $want_windows -eq 1 ]]; then
  tools/install_deps.sh --viewer dpkg-dev file g++-mingw-w64-i686 g++-mingw-w64-x86-64 icoutils wixl msitools
else
  tools/install_deps.sh --viewer dpkg-dev file
fi
out=$PWD/build-packages
release=(-DCMAKE_BUILD_TYPE=Release -DTERRAIN_PROFILING=OFF -DTERRAIN_TESTS=OFF -DTERRAIN_BENCH=OFF)
programs=(terrain320 terrain128 terrain32)

# configure_and_build TREE [CMAKE_OPTION...]
configure_and_build() {
  local tree=$1
  shift
  cmake -S . -B "$tree" --no-warn-unused-cli "${release[@]}" "$@" >/dev/null
  cmake --build "$tree" -j"$(nproc)" --target "${programs[@]}" >/dev/null
}

if [[ $want_deb -eq 1 ]]; then
  # Debian's hardening flags (as dpkg-buildflags gives them), and no compiler
  # identification in the stripped programs.
  configure_and_build "$out/linux" -DCMAKE_CXX_FLAGS="-D_FORTIFY_SOURCE=2 -fstack-protector-strong -fno-ident" \
    -DCMAKE_EXE_LINKER_FLAGS="-Wl,-z,relro,-z,now"
  # CPack's work folder inside the tree, so that a ZIP made at the same time
  # keeps its own.
  rm -f "$out"/terrain-viewers_*_amd64.deb
  if ! said=$(cd "$out/linux" && cpack -G DEB -B "$out/linux/packages" 2>&1); then
    echo "$said" >&2
    exit 1
  fi
  mv "$out"/linux/packages/terrain-viewers_*_amd64.deb "$out/"
  ls -t "$out"/terrain-viewers_*_amd64.deb | head -n1
fi
if [[ $want_windows -eq 1 ]]; then
  configure_and_build "$out/win32" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake
  configure_and_build "$out/win64" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake
  tools/windows_packages.sh "$out/win32" "$out/win64" "$out"
fi
