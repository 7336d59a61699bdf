#!/usr/bin/env bash
# soak.sh [FRAMES] [RUNS]: the long robustness runs, not part of CI.
#   1. terrain32, its real loop with its real pauses, FRAMES frames (default
#      100000) on SDL's offscreen driver, printing the resident set size every
#      10000 frames: it must not grow after warm-up (the first fifth).
#   2. Each program started and ended RUNS times (default 50) on Xvfb, by
#      Escape and close request in turn: exit 0 every time, no hang, nothing
#      left behind.
#   3. An input flood on terrain128 under Xvfb.
#   4. valgrind memcheck on terrain32 and terrain128 (bench/memcheck.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
frames=${1:-100000}
runs=${2:-50}
tools/install_deps.sh valgrind
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)" >/dev/null
failed=0

echo "== soak: terrain32, $frames frames, offscreen"
started=$(date +%s)
SDL_VIDEODRIVER=offscreen build/bench/frame_bench terrain32 "$frames" 1 --real-pauses --rss-every 10000 |
  tee build/soak-rss.txt || failed=1
python3 - build/soak-rss.txt <<'PY' || failed=1
import sys
# Warm-up is the first fifth of the run: Mesa's and the heap's pools reach
# their size there.  From then to the end the resident set must stay put.
rss = [(int(l.split()[2]), int(l.split()[4])) for l in open(sys.argv[1]) if l.startswith("rss ")]
warm_frame, warm = next((f, k) for f, k in rss if f >= rss[-1][0] // 5)
end_frame, end = rss[-1]
print(f"resident at frame {rss[0][0]}: {rss[0][1]} KiB; after warm-up (frame {warm_frame}): {warm} KiB; "
      f"at the end (frame {end_frame}): {end} KiB; growth after warm-up {end - warm} KiB; "
      f"largest {max(k for _, k in rss)} KiB")
sys.exit(0 if end - warm <= 1024 else 1)
PY
echo "took $(( $(date +%s) - started )) s"

# The end-to-end tests' own cases, on the harness's private Xvfb.
e2e() {
  python3 tests/e2e/viewer_e2e_test.py "build/programs/$1" build/tests/support/send_close_request \
    build/tests/support/send_input_burst -k "$2"
}

echo "== repetition: $runs runs of each program, Xvfb"
for program in terrain320 terrain128 terrain32; do
  E2E_RUNS=$runs e2e "$program" test_runs_ended_by || failed=1
done

echo "== input flood: terrain128, Xvfb"
e2e terrain128 test_a_flood || failed=1

echo "== memcheck"
bench/memcheck.sh 60 || failed=1

[[ $failed -eq 0 ]] && echo "soak: all passed" || echo "soak: FAILED"
exit $failed
