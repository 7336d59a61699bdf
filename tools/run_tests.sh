#!/usr/bin/env bash
# Installs what is needed, builds everything in build/ and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install_deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)"
cd build
ctest --output-on-failure -j"$(nproc)"

# Again with AddressSanitizer and UndefinedBehaviorSanitizer, in build-sanitize/.
cd ..
tools/run_sanitized_tests.sh
