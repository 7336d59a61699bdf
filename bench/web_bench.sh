#!/usr/bin/env bash
# web_bench.sh [REPS]: the browser build's figures in bench/README.md, in one
# go.  Installs what is needed, builds the site (build-web/) and frame_bench
# (build/, Release), and prints Markdown: each page's frames per second and
# wasm+JS work per frame in headless Chromium (SwiftShader), its script time
# per frame from the DevTools protocol against the wasm floor, its load to the
# first frame, and the desktop viewer's frames on Xvfb (llvmpipe), measured
# in turns within one run.  About 2 minutes a repetition.
set -euo pipefail
cd "$(dirname "$0")/.."
reps=${1:-3}
tools/build_web.sh >/dev/null
# The floor program (bench/web_floor.cpp) in the same tree.
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}
emcmake cmake -S . -B build-web -DTERRAIN_BENCH=ON >/dev/null 2>&1
cmake --build build-web -j"$(nproc)" --target web_floor >/dev/null
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)" --target frame_bench >/dev/null

echo "Machine: $(nproc) cores, $(lscpu | sed -n 's/^Model name: *//p'), $(free -g | awk '/^Mem:/ {print $2}') GiB;" \
  "$(chromium --version 2>/dev/null | head -n1); load average before: $(cut -d' ' -f1-3 /proc/loadavg);" \
  "$(date -u +%Y-%m-%dT%H:%MZ)"
echo
node bench/web_bench.mjs "$PWD" "$reps"
echo
echo "Load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
