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
# Every tree runs even when an earlier one failed; the last lines give each
# tree's counts and time and those of all of them, and the exit status is
# non-zero when any failed.
#   --only NAME...   run only these trees, by the names above (build-trixie
#                    makes its root as needed)
#   --no-roots       skip the roots, for a quick local run (refused in CI)
#   --refresh-roots  make the roots anew from the archive before the run
# A root that cannot be made, updated or entered fails the run in CI
# (CI=true) or with TERRAIN_REQUIRE_ROOTS=1; run by hand, its trees are NOT
# RUN (skipped), with a line saying why.
set -uo pipefail
cd "$(dirname "$0")/.."
started=$SECONDS
all_trees=(build build-win32 build-win64 build-i386 build-aarch64 build-web build-sanitize
           build-trixie build-forky build-web-trixie)
usage() {
  echo "usage: tools/run_tests.sh [--no-roots] [--refresh-roots] [--only NAME...]" >&2
  echo "  NAME: ${all_trees[*]}" >&2
  exit 2
}
roots=1 refresh=() only=()
while [[ $# -gt 0 ]]; do
  case "$1" in
    --no-roots) roots=0 ;;
    --refresh-roots) refresh=(--refresh) ;;
    --only)
      shift
      while [[ $# -gt 0 && $1 != --* ]]; do
        [[ " ${all_trees[*]} " == *" $1 "* ]] || { echo "run_tests.sh: no tree named '$1'" >&2; usage; }
        only+=("$1")
        shift
      done
      [[ ${#only[@]} -gt 0 ]] || usage
      continue
      ;;
    *) usage ;;
  esac
  shift
done
require_roots=0
if [[ ${CI:-} == true || ${TERRAIN_REQUIRE_ROOTS:-0} == 1 ]]; then
  require_roots=1
fi
if [[ $roots -eq 0 && ${CI:-} == true ]]; then
  echo "run_tests.sh: --no-roots is for local runs; CI runs the trees in the roots too" >&2
  exit 2
fi
# wanted NAME: whether this run has the tree NAME.
wanted() { [[ ${#only[@]} -eq 0 || " ${only[*]} " == *" $1 "* ]]; }
# What the trees of this run need (the native tree's package tests try
# every package); the roots are made with mmdebstrap.
toolchains=()
{ wanted build || wanted build-win32 || wanted build-win64; } && toolchains+=(--windows)
{ wanted build || wanted build-i386 || wanted build-aarch64; } && toolchains+=(--cross)
{ wanted build || wanted build-web || wanted build-web-trixie; } && toolchains+=(--web)

passed=0 failed=0 skipped=0
summary=()
log=$(mktemp)
root_logs=$(mktemp -d)
roots_job=
# A run that ends early stops the roots being made (their whole process group).
trap '[[ -z $roots_job ]] || kill -TERM -- "-$roots_job" 2>/dev/null; wait; rm -rf "$log" "$root_logs"' EXIT

# The roots each tree that runs in or tests with one needs: made (or
# updated) in the background from the start, as that is mostly waiting on
# the archive, while the host installs its toolchains and runs the trees
# that need no root; each is waited for where it is first used.
root_releases=()
if [[ $roots -eq 1 ]]; then
  for release in trixie forky; do
    { wanted "build-$release" || { [[ $release == trixie ]] && wanted build-web-trixie; }; } && root_releases+=("$release")
  done
fi
if [[ ${#root_releases[@]} -gt 0 ]]; then
  tools/install_deps.sh mmdebstrap || exit 1
  set -m  # a process group of its own, for the trap above
  (
    for release in "${root_releases[@]}"; do
      start=$SECONDS
      tools/debian_root.sh make "$release" "${refresh[@]}" >"$root_logs/$release" 2>&1
      echo "$? $((SECONDS - start))" >"$root_logs/$release.done"
    done
  ) &
  roots_job=$!
  set +m
fi
tools/install_deps.sh "${toolchains[@]}" || exit 1

# How long since SECONDS was START: "N min S s".
took() { echo "$(((SECONDS - $1) / 60)) min $(((SECONDS - $1) % 60)) s"; }

# Adds the counts of ctest's summary in $log to the totals, under NAME, with
# the time since START; a step that printed none (it failed before its
# tests) counts as one failure.
count() {
  local name=$1 status=$2 start=$3 line total bad skip
  line=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -1)
  if [[ -z "$line" ]]; then
    [[ $status -eq 0 ]] && return
    failed=$((failed + 1))
    summary+=("$name: FAILED before its tests ($(took "$start"))")
    return
  fi
  read -r bad total < <(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1 \2/' <<<"$line")
  skip=$(grep -cE '^\s+[0-9]+ - .* \((Skipped|Disabled)\)$' "$log")
  passed=$((passed + total - bad - skip))
  failed=$((failed + bad))
  skipped=$((skipped + skip))
  summary+=("$name: $((total - bad - skip)) passed, $bad failed, $skip skipped ($(took "$start"))")
}

# step NAME START COMMAND...: runs a step, its output shown and kept in $log.
step() {
  local name=$1 start=$2
  shift 2
  echo "== $name"
  "$@" 2>&1 | tee "$log"
  count "$name" "${PIPESTATUS[0]}" "$start"
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
  local name=$1 preset=$2 start=$SECONDS
  shift 2
  if build_tree "$preset" "$@"; then
    step "$name" "$start" "$@" ctest --preset "$preset" -j"$(nproc)"
  else
    failed=$((failed + 1))
    summary+=("$name: FAILED to build ($(took "$start"))")
  fi
}

# web_tree NAME PRESET [COMMAND...]: tools/build_web.sh assembles the
# site, the tree's other tools are built after it (in COMMAND), and its
# tests run here, with this machine's browsers.
web_tree() {
  local name=$1 preset=$2 start=$SECONDS
  shift 2
  if "$@" tools/build_web.sh "$preset" >"$log" 2>&1 && "$@" nice cmake --build --preset "$preset" -j"$(nproc)" >"$log" 2>&1; then
    step "$name" "$start" ctest --preset "$preset" -j"$(nproc)"
  else
    cat "$log"
    failed=$((failed + 1))
    summary+=("$name: FAILED to build ($(took "$start"))")
  fi
}

# wait_roots: waits for the roots being made (once), and says how each went.
# A root that could not be made fails its trees in CI, else they are NOT RUN.
ready_roots=()
wait_roots() {
  [[ -n $roots_job ]] || return 0
  wait "$roots_job"
  roots_job=
  local release status seconds name
  for release in "${root_releases[@]}"; do
    echo "== the $release root"
    read -r status seconds <"$root_logs/$release.done" 2>/dev/null || status=1 seconds=0
    if [[ $status -eq 0 ]]; then
      grep 'keeping the one made' "$root_logs/$release"
      echo "made $(tools/debian_root.sh date "$release") (${seconds} s in this run)"
      ready_roots+=("$release")
      continue
    fi
    cat "$root_logs/$release"
    for name in "build-$release" "build-web-$release"; do
      [[ " ${all_trees[*]} " == *" $name "* ]] && wanted "$name" || continue
      if [[ $require_roots -eq 1 ]]; then
        failed=$((failed + 1))
        summary+=("$name: FAILED: the $release root could not be made, updated or entered")
      else
        skipped=$((skipped + 1))
        summary+=("$name: NOT RUN: the $release root could not be made (see above; CI=true or TERRAIN_REQUIRE_ROOTS=1 fails here)")
      fi
    done
  done
}

# The native tree first: the cross trees compare their tools with its own.
native_users=(build build-win32 build-win64 build-i386 build-aarch64 build-sanitize)
for name in "${native_users[@]}"; do
  if wanted "$name"; then
    build_tree native || { echo "FAIL: building build/"; exit 1; }
    break
  fi
done
wanted build-win32 && tree build-win32 win32
wanted build-win64 && tree build-win64 win64
wanted build-i386 && tree build-i386 i386
wanted build-aarch64 && tree build-aarch64 aarch64
# The native tree installs its package in Debian 13's root.
wait_roots
wanted build && step build "$SECONDS" ctest --preset native -j"$(nproc)"
# NOTE: emscripten's tools need Debian's node modules.
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}
wanted build-web && web_tree build-web web
wanted build-sanitize && step build-sanitize "$SECONDS" tools/run_sanitized_tests.sh

wait_roots
for release in "${ready_roots[@]}"; do
  wanted "build-$release" && tree "build-$release" "$release" tools/debian_root.sh run "$release"
done
# The pages built with Debian 13's Emscripten, tested by the browsers here.
if [[ " ${ready_roots[*]} " == *" trixie "* ]] && wanted build-web-trixie; then
  web_tree build-web-trixie web-trixie tools/debian_root.sh run trixie
fi

echo "== all trees, in $(took "$started")"
printf '%s\n' "${summary[@]}"
echo "$passed passed, $failed failed, $skipped skipped"
[[ $failed -eq 0 ]]
