#!/usr/bin/env bash
# The Windows builds' emulator (cmake/mingw-common.cmake): runs a Windows
# program under Wine in the build tree's own prefix.
#   wine_emulator.sh LOADER PREFIX PROGRAM ARGS...   runs PROGRAM
#   wine_emulator.sh LOADER PREFIX --start           makes the prefix if missing, starts its server
#   wine_emulator.sh LOADER PREFIX --stop            ends that server
# Where the loader cannot start (a kernel without 32-bit support cannot run
# the 32-bit one) it prints "NOT RUN: ..." and exits 77, which the tests
# count as skipped; TERRAIN_REQUIRE_I686=1 makes that a failure.
set -uo pipefail
loader=$1 prefix=$2
shift 2
server=/usr/lib/wine/wineserver
export WINEPREFIX=$prefix WINEDEBUG=-all
# No Mono or Gecko installer, no desktop menu entries.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

if ! timeout 20 "$loader" --version >/dev/null 2>&1; then
  why="$loader cannot be started here ($(uname -r); 32-bit support in the kernel?)"
  if [[ ${TERRAIN_REQUIRE_I686:-0} == 1 ]]; then
    echo "FAIL: $why" >&2
    exit 1
  fi
  echo "NOT RUN: $why" >&2
  exit 77
fi

case $1 in
  --start)
    timeout 30 "$server" -k >/dev/null 2>&1  # one left by an interrupted run
    if [[ ! -f $prefix/system.reg ]]; then
      winearch=win64
      [[ $(basename "$loader") == wine ]] && winearch=win32
      rm -rf "$prefix"
      if ! DISPLAY= WINEARCH=$winearch timeout 600 "$loader" wineboot -i >/dev/null 2>&1; then
        echo "wineboot -i failed for $prefix" >&2
        exit 1
      fi
    fi
    timeout 120 "$server" -w
    # NOTE: a wineserver ends a few seconds after its last client, and a
    # client that connects while it is ending fails ("recvmsg: Connection
    # reset by peer") with no output.  One persistent server per prefix,
    # ended by --stop, keeps the many short runs of the tests off that race.
    "$server" -p </dev/null >/dev/null 2>&1 || exit 1
    # NOTE: Wine's own services start with the first program and stay while
    # the server does, holding on to that program's output: started here,
    # they hold /dev/null rather than a test's output, which CTest would
    # wait on to its time-out.
    exec "$loader" wineboot </dev/null >/dev/null 2>&1 ;;
  --stop)
    timeout 30 "$server" -k >/dev/null 2>&1
    exit 0 ;;
  *)
    exec "$loader" "$@" ;;
esac
