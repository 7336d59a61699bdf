#!/usr/bin/env bash
# Installs what is needed, then configures, builds and runs the tests of
# every tree with CTest, each target's through its emulator:
#   build/                       Linux: unit, layer, picture, end-to-end, package
#   build-win32/, build-win64/   Windows (MinGW-w64) under Wine
#   build-i386/, build-aarch64/  the scene for 32-bit x86 and 64-bit ARM Linux, under qemu
#   build-web/                   the browser: wasm under node, the pages in headless Chromium
#   build-sanitize/              Linux again with AddressSanitizer and UndefinedBehaviorSanitizer
#   build-trixie/, build-forky/  Linux in a Debian 13 and a Debian testing root
#                                (tools/debian_root.sh): SDL 2.32, and sdl2-compat
#                                over SDL3; build-web-trixie/, the pages built
#                                with Debian 13's Emscripten, tested here
# Every tree runs even when an earlier one failed; the last line counts the
# tests of all of them, and the exit status is non-zero when any failed.
#   --no-roots       skip the roots, for a quick local run (CI never does)
#   --refresh-roots  make the roots anew from the archive before the run
# A root that cannot be made counts as skipped (NOT RUN), or as a failure
# with TERRAIN_REQUIRE_ROOTS=1.
set -uo pipefail
cd "$(dirname "$0")/.."
started=$SECONDS
roots=1 refresh=()
for option in "$@"; do
  case "$option" in
    --no-roots) roots=0 ;;
    --refresh-roots) refresh=(--refresh) ;;
    *) echo "usage: tools/run_tests.sh [--no-roots] [--refresh-roots]" >&2; exit 2 ;;
  esac
done
tools/install_deps.sh --windows --web --cross debootstrap mmdebstrap || exit 1

passed=0 failed=0 skipped=0
summary=()
log=$(mktemp)
trap 'rm -f "$log"' EXIT

# Adds the counts of ctest's summary in $log to the totals, under NAME; a
# step that printed none (it failed before its tests) counts as one failure.
count() {
  local name=$1 status=$2 line total bad skip
  line=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -1)
  if [[ -z "$line" ]]; then
    [[ $status -eq 0 ]] && return
    failed=$((failed + 1))
    summary+=("$name: FAILED before its tests")
    return
  fi
  read -r bad total < <(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1 \2/' <<<"$line")
  skip=$(grep -cE '^\s+[0-9]+ - .* \((Skipped|Disabled)\)$' "$log")
  passed=$((passed + total - bad - skip))
  failed=$((failed + bad))
  skipped=$((skipped + skip))
  summary+=("$name: $((total - bad - skip)) passed, $bad failed, $skip skipped")
}

# Runs a step (a command), its output shown and kept in $log.
step() {
  local name=$1
  shift
  echo "== $name"
  "$@" 2>&1 | tee "$log"
  count "$name" "${PIPESTATUS[0]}"
}

# Configures and builds a preset's tree (CMakePresets.json), its output
# shown only when that fails; any further words are a command to run the
# build in (a root: tools/debian_root.sh run RELEASE).
build_tree() {
  local preset=$1
  shift
  if ! "$@" cmake --preset "$preset" >"$log" 2>&1 || ! "$@" nice cmake --build --preset "$preset" -j"$(nproc)" >"$log" 2>&1; then
    cat "$log"
    echo "FAIL: building the $preset preset"
    return 1
  fi
}

# tree NAME PRESET [COMMAND...]: builds the preset's tree and runs its
# tests, under NAME, both in COMMAND when one is given.
tree() {
  local name=$1 preset=$2
  shift 2
  if build_tree "$preset" "$@"; then
    step "$name" "$@" ctest --preset "$preset" -j"$(nproc)"
  else
    failed=$((failed + 1))
    summary+=("$name: FAILED to build")
  fi
}

# web_tree NAME PRESET [COMMAND...]: tools/build_web.sh assembles the
# site, the tree's other tools are built after it (in COMMAND), and its
# tests run here, with this machine's browsers.
web_tree() {
  local name=$1 preset=$2
  shift 2
  if "$@" tools/build_web.sh "$preset" >"$log" 2>&1 && "$@" nice cmake --build --preset "$preset" -j"$(nproc)" >"$log" 2>&1; then
    step "$name" ctest --preset "$preset" -j"$(nproc)"
  else
    cat "$log"
    failed=$((failed + 1))
    summary+=("$name: FAILED to build")
  fi
}

# The roots first: the native tree installs its package in Debian 13's.
ready_roots=()
if [[ $roots -eq 1 ]]; then
  for release in trixie forky; do
    echo "== the $release root"
    if tools/debian_root.sh make "$release" "${refresh[@]}" >"$log" 2>&1; then
      echo "made $(tools/debian_root.sh date "$release")"
      ready_roots+=("$release")
    else
      cat "$log"
      if [[ ${TERRAIN_REQUIRE_ROOTS:-0} == 1 ]]; then
        failed=$((failed + 1))
        summary+=("build-$release: FAILED: the root could not be made")
      else
        skipped=$((skipped + 1))
        summary+=("build-$release: NOT RUN: the root could not be made (TERRAIN_REQUIRE_ROOTS=1 fails here)")
      fi
    fi
  done
fi

# The native tree first: the cross trees compare their tools with its own.
build_tree native || { echo "FAIL: building build/"; exit 1; }
tree build-win32 win32
tree build-win64 win64
tree build-i386 i386
tree build-aarch64 aarch64
step build ctest --preset native -j"$(nproc)"
# NOTE: emscripten's tools need Debian's node modules.
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}
web_tree build-web web
step build-sanitize tools/run_sanitized_tests.sh

if [[ $roots -eq 1 ]]; then
  for release in "${ready_roots[@]}"; do
    tree "build-$release" "$release" tools/debian_root.sh run "$release"
  done
  # The pages built with Debian 13's Emscripten, tested by the browsers here.
  if [[ " ${ready_roots[*]} " == *" trixie "* ]]; then
    web_tree build-web-trixie web-trixie tools/debian_root.sh run trixie
  fi
fi

echo "== all trees, in $(((SECONDS - started) / 60)) min $(((SECONDS - started) % 60)) s"
printf '%s\n' "${summary[@]}"
echo "$passed passed, $failed failed, $skipped skipped"
[[ $failed -eq 0 ]]
