#!/usr/bin/env bash
# Builds the viewers, the scene tests and the probes for Windows, i686 (the
# target) and x86-64, with MinGW-w64, and proves them under Wine:
#   - scene_tests.exe passes;
#   - scene_probe.exe prints exactly what the Linux build prints, and the eye
#     over 17 million frames (eye_trace.exe) is bit-identical to Linux's;
#   - once the viewers exist: each one's window appears, draws the terrain,
#     and ends with status 0 on Escape and on a close request.
# One fresh Wine prefix per architecture in a temporary folder, removed at
# the end; the end-to-end part runs on the test harness's private Xvfb.
# Every wait is bounded.
#
# Usage: tools/windows_tests.sh
# Environment: TERRAIN_REQUIRE_I686=1 fails the run when this machine cannot
# execute 32-bit programs (otherwise the i686 runs are reported NOT RUN).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
started=$SECONDS

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }
phase_start=$SECONDS
phase() { echo "-- $1 ($((SECONDS - phase_start)) s for the previous step)"; phase_start=$SECONDS; }

programs=(terrain320 terrain128 terrain32)
probe_frames=(0 1 201 402 100000 470228)
trace_frames=17000000   # past 2^24, where the angle counter of every viewer sticks

phase "packages"
tools/install_deps.sh --windows

phase "Linux reference build"
if [[ ! -f build/CMakeCache.txt ]]; then
  cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build build -j"$(nproc)" --target scene_probe eye_trace send_close_request >/dev/null

phase "Windows builds"
declare -A build_dir=([i686]=build-win32 [x86_64]=build-win64)
for arch in i686 x86_64; do
  if [[ ! -f "${build_dir[$arch]}/CMakeCache.txt" ]]; then
    cmake -S . -B "${build_dir[$arch]}" -DCMAKE_TOOLCHAIN_FILE="cmake/mingw-$arch.cmake" \
      -DCMAKE_BUILD_TYPE=Release >/dev/null
  fi
  cmake --build "${build_dir[$arch]}" -j"$(nproc)" >/dev/null
done

work=$(mktemp -d /tmp/windows_tests.XXXXXX)
declare -A loader=([i686]=/usr/lib/wine/wine [x86_64]=/usr/lib/wine/wine64)
declare -A prefix=([i686]="$work/prefix-i686" [x86_64]="$work/prefix-x86_64")

cleanup() {
  for arch in i686 x86_64; do
    if [[ -d "${prefix[$arch]}" ]]; then
      WINEPREFIX="${prefix[$arch]}" timeout 30 /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
    fi
  done
  rm -rf "$work"
}
trap cleanup EXIT

export WINEDEBUG=-all
# No Mono or Gecko installer, no desktop menu entries.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
unset DISPLAY

# Runs a Windows program of ARCH under Wine, bounded by SECONDS, in $work.
wine_run() {
  local arch=$1 seconds=$2
  shift 2
  (cd "$work" && WINEPREFIX="${prefix[$arch]}" timeout -k 5 "$seconds" "${loader[$arch]}" "$@")
}

# The architectures this machine can run.  NOTE: a kernel without 32-bit
# support (booted with ia32_emulation off) cannot start the 32-bit Wine
# loader at all.
arches=()
not_run=()
for arch in i686 x86_64; do
  if [[ -x "${loader[$arch]}" ]] && timeout 20 "${loader[$arch]}" --version >/dev/null 2>&1; then
    arches+=("$arch")
  else
    not_run+=("$arch")
    echo "NOT RUN: $arch under Wine: ${loader[$arch]} cannot be started here" \
      "($(uname -r); 32-bit support in the kernel?)" >&2
  fi
done

phase "Wine prefixes"
for arch in "${arches[@]}"; do
  winearch=win64
  [[ $arch == i686 ]] && winearch=win32
  WINEARCH=$winearch wine_run "$arch" 600 wineboot -i >/dev/null 2>&1 || fail "$arch: wineboot -i"
  WINEPREFIX="${prefix[$arch]}" timeout 120 /usr/lib/wine/wineserver -w || true
  # NOTE: a wineserver ends a few seconds after its last client, and a client
  # that connects while it is ending fails ("recvmsg: Connection reset by
  # peer") with no output.  One persistent server per prefix, ended by the
  # clean-up, keeps the many short runs below off that race.
  WINEPREFIX="${prefix[$arch]}" /usr/lib/wine/wineserver -p || fail "$arch: wineserver -p"
done

phase "i686 arithmetic"
# The 32-bit build must do its floating point in SSE2: the x87 unit's
# extended precision and its own rounding of conversions would change the
# terrain's and the camera's bits.  The calling convention still returns
# doubles on the x87 stack, so loads, stores and sign changes are allowed;
# any x87 arithmetic or conversion in our code is not.
x87=$(i686-w64-mingw32-objdump -d --no-show-raw-insn build-win32/scene/libscene.a build-win32/host/libhost.a |
  awk -F'\t' 'NF >= 2 { split($2, word, " "); print word[1] }' |
  grep -E '^f(add|sub|mul|div|sqrt|sin|cos|sincos|ptan|patan|prem|yl2x|2xm1|scale|rndint|ist|isttp|com|ucom)' |
  sort | uniq -c || true)
if [[ -z "$x87" ]]; then
  pass "i686: no x87 arithmetic in the scene and host code (SSE2 only)"
else
  fail "i686: x87 arithmetic in the scene or host code: $(echo $x87)"
fi

phase "scene tests and probes under Wine"
for arch in "${arches[@]}"; do
  dir=$root/${build_dir[$arch]}
  if wine_run "$arch" 600 "$dir/tests/scene_tests.exe" --gtest_brief=1 >"$work/scene_tests-$arch.log" 2>&1; then
    pass "$arch: scene_tests.exe ($(grep -o '[0-9]* tests\? from [0-9]* test suites\? ran' "$work/scene_tests-$arch.log" || true))"
  else
    cat "$work/scene_tests-$arch.log" >&2
    fail "$arch: scene_tests.exe"
  fi

  mismatches=0
  for name in "${programs[@]}"; do
    for frame in "${probe_frames[@]}"; do
      expected=$(build/tools/scene_probe "$name" "$frame")
      actual=$(wine_run "$arch" 120 "$dir/tools/scene_probe.exe" "$name" "$frame" | tr -d '\r') || true
      if [[ "$actual" != "$expected" ]]; then
        mismatches=$((mismatches + 1))
        echo "$arch: scene_probe $name $frame differs from Linux:" >&2
        diff <(echo "$expected") <(echo "$actual") >&2 || true
      fi
    done
  done
  if [[ $mismatches -eq 0 ]]; then
    pass "$arch: scene_probe matches Linux (${#programs[@]} programs x frames ${probe_frames[*]})"
  else
    fail "$arch: $mismatches scene_probe outputs differ from Linux"
  fi

  # The eye in blocks of 65536 frames; a differing block is narrowed down to
  # its frames.
  for name in "${programs[@]}"; do
    build/tools/eye_trace "$name" 0 "$trace_frames" 65536 >"$work/eyes-linux-$name"
    wine_run "$arch" 600 "$dir/tools/eye_trace.exe" "$name" 0 "$trace_frames" 65536 | tr -d '\r' \
      >"$work/eyes-$arch-$name" || true
    if cmp -s "$work/eyes-linux-$name" "$work/eyes-$arch-$name"; then
      pass "$arch: $name eye bit-identical to Linux over $trace_frames frames"
      continue
    fi
    differing=0
    while read -r block; do
      build/tools/eye_trace "$name" "$block" 65536 1 >"$work/frames-linux"
      wine_run "$arch" 120 "$dir/tools/eye_trace.exe" "$name" "$block" 65536 1 | tr -d '\r' >"$work/frames-win" || true
      while read -r line; do
        differing=$((differing + 1))
        echo "  $arch $name $line" >&2
      done < <(paste -d' ' "$work/frames-linux" "$work/frames-win" |
               awk '$2 != $7 { print "frame " $1 ": Linux eye " $3 " " $4 " " $5 ", Windows " $8 " " $9 " " $10 }')
    done < <(diff "$work/eyes-linux-$name" "$work/eyes-$arch-$name" | awk '/^</ { print $2 }')
    fail "$arch: $name eye differs from Linux at $differing of $trace_frames frames (listed above)"
  done
done

phase "end-to-end under Xvfb"
e2e_runs=()
for arch in "${arches[@]}"; do
  if [[ -f "${build_dir[$arch]}/programs/terrain320.exe" ]]; then
    e2e_runs+=("$arch" "${loader[$arch]}" "${prefix[$arch]}" "$root/${build_dir[$arch]}/programs")
  fi
done
if [[ ${#e2e_runs[@]} -eq 0 ]]; then
  echo "NOT RUN: end-to-end: the viewers are not built yet" >&2
else
  # On the test harness's private X server, each viewer twice: its window
  # must show the terrain and Escape end it with 0; then a close request
  # must end it with 0.  The exit status is the number of failures.
  e2e_failures=0
  python3 - "$work" "$root/build/tests/support/send_close_request" "${e2e_runs[@]}" <<'PY' || e2e_failures=$?
import os, sys
sys.path.insert(0, "tests/harness")
from x11_harness import XServer, Viewer, poll, colour_regions, terrain_problem

work, close_tool, *runs = sys.argv[1:]
failures = 0


def report(passed, text):
    global failures
    if passed:
        print(f"ok: {text}", flush=True)
    else:
        failures += 1
        print(f"FAIL: {text}", file=sys.stderr, flush=True)


def one_run(x, arch, loader, prefix, exe, by_escape):
    label = f"{arch} {os.path.basename(exe)[:-4]}"
    how = "Escape" if by_escape else "a close request"
    viewer = Viewer([loader, exe], x, cwd=work, env={"WINEPREFIX": prefix})
    try:
        window = viewer.wait_window(timeout=60)
        if by_escape:
            picture = os.path.join(work, f"{arch}-{os.path.basename(exe)}.png")
            problem = []

            def drawn():
                width, height, rgb = x.picture(window, picture)
                problem[:] = [terrain_problem(colour_regions(rgb), width * height)]
                return problem[0] is None

            report(poll(drawn, timeout=60, interval=0.5),
                   f"{label}: window drawn" if not problem[0] else f"{label}: no terrain: {problem[0]}")
            x.press(window, "Escape")
        else:
            x.run(close_tool, str(window))
        status = viewer.wait_exit(timeout=60)[0]
        report(status == 0, f"{label}: {how} ends it with status {status}")
    except AssertionError as failure:
        report(False, f"{label}: {failure}")
    finally:
        viewer.stop()


with XServer() as x:
    for i in range(0, len(runs), 4):
        arch, loader, prefix, programs = runs[i:i + 4]
        for name in ("terrain320", "terrain128", "terrain32"):
            for by_escape in (True, False):
                one_run(x, arch, loader, prefix, f"{programs}/{name}.exe", by_escape)
sys.exit(min(failures, 100))
PY
  failures=$((failures + e2e_failures))
fi

phase "done"
[[ ${#not_run[@]} -gt 0 ]] && echo "NOT RUN under Wine on this machine: ${not_run[*]}" >&2
echo "Windows part: $((SECONDS - started)) s, $failures failure(s)"
if [[ ${#not_run[@]} -gt 0 && "${TERRAIN_REQUIRE_I686:-0}" == 1 ]]; then
  exit 1
fi
[[ $failures -eq 0 ]]
