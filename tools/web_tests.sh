#!/usr/bin/env bash
# web_tests.sh: the browser build's tests.  Builds the site, the wasm
# scene_probe and scene_tests (tools/build_web.sh, into build-web/) and the
# native tools they are held against (frame_capture, scene_probe and
# client_area_check, in build/), then runs tests/web/web_test.mjs with node's
# test runner: the three pages in headless Chromium on SwiftShader, served
# from 127.0.0.1, and the wasm scene under node.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install_deps.sh --web
tools/build_web.sh >/dev/null
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)" --target frame_capture scene_probe client_area_check >/dev/null
exec node --test --test-reporter=tap tests/web/web_test.mjs
