#!/usr/bin/env bash
# The 64-bit ARM Linux tree's emulator (cmake/linux-aarch64.cmake): runs an
# arm64 program under qemu user-mode emulation with the arm64 libraries of
# Debian's multiarch.
#   qemu_emulator.sh QEMU LOADER PROGRAM ARGS...
# (QEMU_SET_ENV=NAME=VALUE,... sets variables for the program alone, such as
# an LD_PRELOAD of its architecture.)  Where qemu cannot
# start the arm64 loader LOADER (its libraries are not installed, or the
# machine cannot run it) it prints "NOT RUN: ..." and exits 77, which the
# tests count as skipped; TERRAIN_REQUIRE_AARCH64=1 makes that a failure.
set -uo pipefail
qemu=$1 loader=$2
shift 2

if ! timeout 60 "$qemu" "$loader" --version >/dev/null 2>&1; then
  why="$qemu cannot run $loader here (are the arm64 libraries installed? tools/install_deps.sh --arm64)"
  if [[ ${TERRAIN_REQUIRE_AARCH64:-0} == 1 ]]; then
    echo "FAIL: $why" >&2
    exit 1
  fi
  echo "NOT RUN: $why" >&2
  exit 77
fi
exec "$qemu" "$@"
