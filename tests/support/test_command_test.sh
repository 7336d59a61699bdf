#!/usr/bin/env bash
# The test command and the roots, through their own entry points: nothing
# unsigned, honest results in CI, no deletion across a mount, a failed
# refresh keeps the root, and what a user builds in a root is theirs.
# test_command_test.sh FOLDER: FOLDER, in the build tree, takes what a
# user builds in a root.
set -uo pipefail
tree=$1
cd "$(dirname "$0")/../.."
scratch=$(mktemp -d)
trap 'rm -rf --one-file-system "$scratch"' EXIT
failures=0
check() {  # check WHAT COMMAND...: counts a failure when COMMAND fails
  local what=$1
  shift
  if "$@"; then echo "ok: $what"; else echo "FAIL: $what"; failures=$((failures + 1)); fi
}
said() { grep -q -- "$1" "$scratch/out"; }

# No script may install or bootstrap anything without its signature checked.
unsigned='trusted=yes|AllowUnauthenticated|allow-unauthenticated|--no-check-gpg|--allow-insecure|--keyring=/dev/null|--keyring=("")?( |$)'
check "no script skips a signature check" bash -c "! git ls-files -z -- ':!*.md' ':!tests/support/test_command_test.sh' | xargs -0 grep -lE -- '$unsigned'"

tools/run_tests.sh --only nonsense >"$scratch/out" 2>&1
check "an unknown tree is a usage error" test $? -eq 2
CI=true tools/run_tests.sh --no-roots >"$scratch/out" 2>&1
check "CI refuses --no-roots" test $? -eq 2
CI=true TERRAIN_ROOTS=/dev/null/roots tools/run_tests.sh --only build-trixie >"$scratch/out" 2>&1
check "in CI a root that cannot be made fails the run" bash -c "test $? -ne 0 && grep -q '^build-trixie: FAILED' '$scratch/out'"
env -u CI TERRAIN_REQUIRE_ROOTS=0 TERRAIN_ROOTS=/dev/null/roots tools/run_tests.sh --only build-trixie >"$scratch/out" 2>&1
check "by hand it is NOT RUN and says how to require it" bash -c "test $? -eq 0 && grep -q '^build-trixie: NOT RUN.*CI=true' '$scratch/out'"

[[ $(id -u) -eq 0 ]] || { echo "NOT RUN: the rest mounts and makes roots, as root only"; exit $((failures ? 1 : 77)); }
roots=$scratch/roots
mkdir -p "$roots/trixie/dev" "$scratch/host-dev"
touch "$scratch/host-dev/kept"
echo 2026-01-01T00:00:00Z >"$roots/trixie/.made"
unshare --mount bash -c "mount --bind '$scratch/host-dev' '$roots/trixie/dev' &&
  TERRAIN_ROOTS='$roots' tools/debian_root.sh remove trixie" >"$scratch/out" 2>&1
check "no root is deleted while something is mounted in it" \
  bash -c "test $? -ne 0 && test -f '$scratch/host-dev/kept' && grep -q 'is mounted inside it' '$scratch/out'"
TERRAIN_ROOTS=$roots TERRAIN_DEBIAN_MIRROR=http://127.0.0.1:9/debian tools/debian_root.sh make trixie --refresh \
  >"$scratch/out" 2>&1
check "a refresh that fails keeps the old root and its date" \
  bash -c "test $? -eq 0 && grep -q 'keeping the one made 2026-01-01' '$scratch/out' && test -f '$roots/trixie/.made'"

# A user's build in a real root is theirs (through sudo: SUDO_UID).
if tools/debian_root.sh date trixie >/dev/null 2>&1 && setpriv --reuid=65534 --regid=65534 --clear-groups test -x "$PWD"; then
  mkdir -p "$tree" && chmod 1777 "$tree" && rm -f "$tree/made"
  SUDO_UID=65534 SUDO_GID=65534 tools/debian_root.sh run trixie touch "$tree/made"
  check "what a user builds in a root is theirs" test "$(stat -c %u "$tree/made" 2>/dev/null)" = 65534
fi
[[ $failures -eq 0 ]]
