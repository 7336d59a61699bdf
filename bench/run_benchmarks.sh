#!/usr/bin/env bash
# run_benchmarks.sh [REPS]: every speed figure in bench/README.md, in one go.
# Installs what is needed, builds in build/ (Release) and prints Markdown:
# frame cost of each program against its floor (on Xvfb, then on SDL's
# offscreen driver), the scaling line, start-up phases, and the cost of the
# scene's own work (mesh_bench).  Takes about 15 minutes with REPS=7.
set -euo pipefail
cd "$(dirname "$0")/.."
reps=${1:-7}
tools/install_deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)" >/dev/null

echo "Machine: $(nproc) cores, $(lscpu | sed -n 's/^Model name: *//p'), $(free -g | awk '/^Mem:/ {print $2}') GiB;" \
  "load average before: $(cut -d' ' -f1-3 /proc/loadavg); $(date -u +%Y-%m-%dT%H:%MZ)"
echo
echo "Start-up malloc settings in force (build/tests/perf/heap_settings_probe):" \
  "$(build/tests/perf/heap_settings_probe && echo yes || echo NO)"
echo
python3 bench/frame_report.py build --reps "$reps" --display xvfb
echo
python3 bench/frame_report.py build --reps "$reps" --display offscreen
echo
echo "Scene's own work (build/bench/mesh_bench):"
echo
echo '```'
build/bench/mesh_bench --benchmark_min_time=0.5 2>/dev/null | grep -E '^(height_field|mesh_stream)'
echo '```'
echo "Load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
