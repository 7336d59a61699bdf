#!/usr/bin/env bash
# windows_zip.sh [WIN32_BUILD [WIN64_BUILD [OUT_DIR]]]: one ZIP of the 32-bit
# and 64-bit Windows viewers, made with CPack from two configured and built
# Windows build trees (default build-win32/ and build-win64/, as
# tools/run_tests.sh makes them).  Each build's `cmake --install` goes
# into its own folder, beside a readme and the licence, so the ZIP holds
#   terrain-viewers-VERSION-windows/README.txt, LICENSE.txt
#   terrain-viewers-VERSION-windows/win32/bin/terrain320.exe ...
#   terrain-viewers-VERSION-windows/win64/bin/terrain320.exe ...
# The trees must be built without profiling (tools/make_packages.sh makes
# such trees): a profiled program writes gmon.out beside itself.
# Prints the ZIP's path (default OUT_DIR: build-zip/).
set -euo pipefail
cd "$(dirname "$0")/.."
win32_build=$(realpath "${1:-build-win32}")
win64_build=$(realpath "${2:-build-win64}")
out_dir=$(realpath -m "${3:-build-zip}")

for build in "$win32_build" "$win64_build"; do
  if [[ ! -f "$build/CPackConfig.cmake" || ! -f "$build/cmake_install.cmake" ]]; then
    echo "windows_zip.sh: $build is not a configured build tree" >&2
    exit 1
  fi
  if grep -q '^TERRAIN_PROFILING:BOOL=ON$' "$build/CMakeCache.txt"; then
    echo "windows_zip.sh: refusing to package $build, a profiling build (TERRAIN_PROFILING=ON): use tools/make_packages.sh" >&2
    exit 1
  fi
done

mkdir -p "$out_dir"
config="$out_dir/CPackWindowsZip.cmake"
# The readme and licence, with Windows line ends for Notepad.
papers="$out_dir/_papers"
rm -rf "$papers"
mkdir -p "$papers"
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$win64_build/CPackConfig.cmake")
sed "s/@version@/$version/" packaging/windows-readme.txt | sed 's/$/\r/' > "$papers/README.txt"
sed 's/$/\r/' LICENSE > "$papers/LICENSE.txt"
# The project's own package description (name, version, vendor), from one of
# the two builds; then both builds' installs, each under its own folder.
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
zip=$(ls -t "$out_dir"/*-windows.zip | head -n1)
rm -rf "$out_dir/_CPack_Packages" "$papers"
echo "$zip"
