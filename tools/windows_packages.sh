#!/usr/bin/env bash
# windows_packages.sh [WIN32_BUILD [WIN64_BUILD [OUT_DIR]]]: what Windows
# users download, from two configured and built Windows build trees (default
# build-win32/ and build-win64/, as tools/run_tests.sh makes them):
#   terrain-viewers-VERSION-windows.zip   both architectures, made with CPack:
#     terrain-viewers-VERSION-windows/README.txt, LICENSE.txt
#     terrain-viewers-VERSION-windows/win32/bin/terrain320.exe ...
#     terrain-viewers-VERSION-windows/win64/bin/terrain320.exe ...
#   terrain-viewers-VERSION-x86.msi, terrain-viewers-VERSION-x64.msi
#     installers made with wixl (packaging/windows/terrain-viewers.wxs)
# The trees must be built without profiling (tools/make_packages.sh makes
# such trees): a profiled program writes gmon.out beside itself.
# Prints the path of each package (default OUT_DIR: build-zip/).
set -euo pipefail
cd "$(dirname "$0")/.."
source_dir=$PWD
win32_build=$(realpath "${1:-build-win32}")
win64_build=$(realpath "${2:-build-win64}")
out_dir=$(realpath -m "${3:-build-zip}")

for build in "$win32_build" "$win64_build"; do
  if [[ ! -f "$build/CPackConfig.cmake" || ! -f "$build/cmake_install.cmake" ]]; then
    echo "windows_packages.sh: $build is not a configured build tree" >&2
    exit 1
  fi
  if grep -q '^TERRAIN_PROFILING:BOOL=ON$' "$build/CMakeCache.txt"; then
    echo "windows_packages.sh: refusing to package $build, a profiling build (TERRAIN_PROFILING=ON): use tools/make_packages.sh" >&2
    exit 1
  fi
done

mkdir -p "$out_dir"
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$win64_build/CPackConfig.cmake")
# The readme and licence as the trees make them, with Windows line ends.
papers="$win64_build/packaging/windows-papers"

# The ZIP: the project's own package description (name, version, vendor),
# from one of the two builds; then both builds' installs, each under its own
# folder.
config="$out_dir/CPackWindowsZip.cmake"
cat > "$config" <<CONFIG
include("$win64_build/CPackConfig.cmake")
set(CPACK_GENERATOR "ZIP")
set(CPACK_PACKAGE_FILE_NAME "\${CPACK_PACKAGE_NAME}-\${CPACK_PACKAGE_VERSION}-windows")
set(CPACK_INSTALL_CMAKE_PROJECTS
  "$win32_build;\${CPACK_PACKAGE_NAME};ALL;/win32"
  "$win64_build;\${CPACK_PACKAGE_NAME};ALL;/win64")
set(CPACK_INSTALLED_DIRECTORIES "$papers;/")
set(CPACK_PACKAGE_DIRECTORY "$out_dir")
CONFIG
cpack --config "$config" >/dev/null
rm -rf "$out_dir/_CPack_Packages"
echo "$out_dir/terrain-viewers-$version-windows.zip"

# make_msi BUILD ARCH: the installer of one tree's stripped programs.
make_msi() {
  local build=$1 arch=$2 program_files=ProgramFilesFolder win64=no
  if [[ $arch == x64 ]]; then
    program_files=ProgramFiles64Folder win64=yes
  fi
  local stage="$out_dir/_msi-$arch" msi="$out_dir/terrain-viewers-$version-$arch.msi" product_code
  rm -rf "$stage"
  cmake --install "$build" --prefix "$stage" --strip >/dev/null
  cp "$papers/README.txt" "$papers/LICENSE.txt" "$build/programs/terrain-viewers.ico" "$stage/bin/"
  # Fixed for a version and an architecture: installing the same package
  # again repairs it and never makes a second entry.
  product_code=$(python3 -c 'import sys, uuid
print(str(uuid.uuid5(uuid.UUID("72051aca-4b18-4e3c-b347-5bfcc2c613a4"), sys.argv[1])).upper())' \
    "terrain-viewers $version $arch")
  (cd "$stage/bin" && wixl -a "$arch" -D Version="$version" -D ProductCode="$product_code" \
    -D ProgramFiles="$program_files" -D Arch="$arch" -D Win64="$win64" -o "$msi" \
    "$source_dir/packaging/windows/terrain-viewers.wxs")
  # NOTE: wixl 0.101 drops UpgradeVersion's IncludeMaximum: the row that
  # replaces earlier versions must include this very version (of the other
  # architecture), so its attributes are set again here, to both ends
  # included (256 + 512).
  msiinfo export "$msi" Upgrade | sed 's/\t256\t\tREPLACED_VIEWERS/\t768\t\tREPLACED_VIEWERS/' > "$stage/Upgrade.idt"
  (cd "$stage" && msibuild "$msi" -i Upgrade.idt)
  rm -rf "$stage"
  echo "$msi"
}
make_msi "$win32_build" x86
make_msi "$win64_build" x64
