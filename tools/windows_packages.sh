#!/usr/bin/env bash
# windows_packages.sh [WIN32_BUILD [WIN64_BUILD [OUT_DIR]]]: what Windows
# users download, from two configured and built Windows build trees (default
# build-win32/ and build-win64/, as tools/run_tests.sh makes them):
#   terrain-viewers-VERSION-windows.zip   both architectures:
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
publisher=$(sed -n 's/^set(CPACK_PACKAGE_VENDOR "\(.*\)")$/\1/p' "$win64_build/CPackConfig.cmake")
# The readmes (the ZIP's, and the installed folder's) and the licence as the
# trees make them, with Windows line ends.
papers="$win64_build/packaging/windows-papers"
# The same bytes from the same source (tools/make_packages.sh): every file
# time is SOURCE_DATE_EPOCH's, the last commit's by default.
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)} TZ=UTC
stage="$out_dir/_windows"
rm -rf "$stage"
for arch in win32 win64; do
  build=$win32_build
  [[ $arch == win64 ]] && build=$win64_build
  cmake --install "$build" --prefix "$stage/$arch" --strip >/dev/null
done
cp "$papers/README.txt" "$papers/LICENSE.txt" "$stage/"
find "$stage" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +

# The ZIP: both architectures, each in its own folder, beside the papers
# (the programs' own times, owners and file order are not kept).
zip="$out_dir/terrain-viewers-$version-windows.zip"
tools/reproducible_zip.py "$zip" "terrain-viewers-$version-windows" "$stage"
echo "$zip"

# make_msi ARCH FOLDER: the installer of one architecture's programs.
make_msi() {
  local arch=$1 folder=$2 program_files=ProgramFilesFolder win64=no template=Intel
  if [[ $arch == x64 ]]; then
    program_files=ProgramFiles64Folder win64=yes template=x64
  fi
  local files="$stage/_msi-$arch" msi="$out_dir/terrain-viewers-$version-$arch.msi" product_code package_code
  local wxs="$source_dir/packaging/windows/terrain-viewers.wxs"
  rm -rf "$files"
  cp -a "$stage/$folder/bin" "$files"
  cp "$papers/installed/README.txt" "$stage/LICENSE.txt" "$win64_build/programs/terrain-viewers.ico" "$files/"
  touch -d "@$SOURCE_DATE_EPOCH" "$files"/*
  # The product code is fixed for a version and an architecture: installing
  # the same package again repairs it and never makes a second entry.  The
  # package code, which must differ between any two packages, comes from
  # everything the package is made of.
  product_code=$(uuid_of "terrain-viewers $version $arch")
  package_code=$(uuid_of "$product_code $(cd "$files" && cat -- * "$wxs" | sha256sum)")
  # Each component's code is fixed for its architecture, whatever the
  # version: the component rules want one code per key path, and the two
  # packages' key paths differ (Program Files, the registry view).
  local component guids=()
  for component in terrain320 terrain128 terrain32 papers menu; do
    guids+=(-D "Guid_$component=$(uuid_of "terrain-viewers component $component $arch")")
  done
  # NOTE: wixl and msibuild write the time into the package: a fixed one.
  local now
  now=$(date -u -d "@$SOURCE_DATE_EPOCH" '+%Y-%m-%d %H:%M:%S')
  (cd "$files" && faketime -f "$now" wixl -a "$arch" -D Version="$version" -D ProductCode="$product_code" \
    -D ProgramFiles="$program_files" -D Arch="$arch" -D Win64="$win64" -D Publisher="$publisher" "${guids[@]}" \
    -o "$msi" "$wxs")
  # NOTE: wixl 0.101 drops UpgradeVersion's IncludeMaximum: the row that
  # replaces earlier versions must include this very version (of the other
  # architecture), so its attributes are set again here, to both ends
  # included (256 + 512).
  msiinfo export "$msi" Upgrade | sed 's/\t256\t\tREPLACED_VIEWERS/\t768\t\tREPLACED_VIEWERS/' > "$files/Upgrade.idt"
  # NOTE: wixl 0.101 leaves the File table's Version empty and hashes every
  # file: Windows Installer would take the programs for unversioned files.
  # Each program gets its own file version (US English, as its details) and
  # loses its hash row, which is only for unversioned files.
  local program queries=()
  for program in terrain320 terrain128 terrain32; do
    queries+=(-q "UPDATE \`File\` SET \`Version\` = '$(file_version "$files/$program.exe")', \`Language\` = '1033' WHERE \`File\` = '$program.exe'"
              -q "DELETE FROM \`MsiFileHash\` WHERE \`File_\` = '$program.exe'")
  done
  (cd "$files" && faketime -f "$now" msibuild "$msi" -i Upgrade.idt "${queries[@]}" \
    -s "Terrain viewers" "$publisher" "$template;1033" "{$package_code}")
  echo "$msi"
}

# A name-based UUID (version 5) in the project's own name space, upper case.
uuid_of() {
  python3 -c 'import sys, uuid
print(str(uuid.uuid5(uuid.UUID("72051aca-4b18-4e3c-b347-5bfcc2c613a4"), sys.argv[1])).upper())' "$1"
}

# The file version a Windows program carries (VS_FIXEDFILEINFO's), as
# "1.0.0.0".
file_version() {
  python3 -c 'import struct, sys
data = open(sys.argv[1], "rb").read()
at = data.index(struct.pack("<I", 0xFEEF04BD))
high, low = struct.unpack_from("<II", data, at + 8)
print(f"{high >> 16}.{high & 0xFFFF}.{low >> 16}.{low & 0xFFFF}")' "$1"
}

make_msi x86 win32
make_msi x64 win64
rm -rf "$stage"
