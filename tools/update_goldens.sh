#!/usr/bin/env bash
# Remakes the golden pictures in tests/golden/ from this build's
# frame_capture: frames 0 and 150 of every viewer.  Run it only when a change
# to the picture is meant; then look at the new files before committing them.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install_deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)" --target frame_capture >/dev/null
mkdir -p tests/golden
for program in terrain320 terrain128 terrain32; do
  for frame in 0 150; do
    build/tools/frame_capture "$program" "$frame" "tests/golden/${program}_${frame}.png"
    echo "tests/golden/${program}_${frame}.png"
  done
done
