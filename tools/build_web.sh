#!/usr/bin/env bash
# build_web.sh [web|release|web-trixie]: builds the viewers for the browser with
# Debian's emscripten into build-web/ (the web preset of CMakePresets.json;
# with "release", build-packages/web/ of the release-web preset, as the
# packages are, or the web/ of TERRAIN_PACKAGES_DIR; with "web-trixie", build-web-trixie/, run in the Debian 13
# root by tools/run_tests.sh) and assembles the site in its site/ folder: terrain320.html,
# terrain128.html and terrain32.html, each one file with its script and wasm
# inside (so that it also runs opened from disk) and titled with the viewer's
# name ("terrain128 — KOLVAR Map Editor"), and an index.html with the
# README's pictures at half size.  Static files: any web server can serve
# them.  A tree with tests holds the wasm scene_tests and scene_probe too
# (build-web/tests/scene_tests.js, build-web/tools/scene_probe.js), which run
# under node --no-experimental-fetch.
set -euo pipefail
cd "$(dirname "$0")/.."

# Only what building the site needs: the browsers and their driver are the
# tests' (install_deps.sh --web).
packages=(emscripten nodejs)
command -v npm >/dev/null || packages+=(npm)
tools/install_deps.sh --viewer "${packages[@]}"

# NOTE: emscripten's tools need Debian's node modules (acorn); a node from
# elsewhere does not find them by itself.
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}

# emcmake echoes its own command line on stderr: keep that off the terminal.
preset=web tree=build-web
case "${1:-}" in
  "" | web) ;;
  release) preset=release-web tree=${TERRAIN_PACKAGES_DIR:-build-packages}/web ;;
  web-trixie) preset=web-trixie tree=build-web-trixie ;;
  *) echo "usage: tools/build_web.sh [web|release|web-trixie]" >&2; exit 2 ;;
esac
cmake --preset "$preset" -B "$tree" >/dev/null
targets=(terrain320 terrain128 terrain32)
if grep -q '^TERRAIN_TESTS:BOOL=ON$' "$tree/CMakeCache.txt"; then
  targets+=(scene_probe scene_tests)
fi
cmake --build "$tree" -j"$(nproc)" --target "${targets[@]}"

site=$tree/site
rm -rf "$site"
mkdir -p "$site"
for program in terrain320 terrain128 terrain32; do
  sed "s|<title>KOLVAR Map Editor</title>|<title>$program — KOLVAR Map Editor</title>|" \
    "$tree/programs/$program.html" >"$site/$program.html"
  # The index shows the pictures at 320x240: a full-size PNG would weigh
  # more than the viewer itself.
  convert "docs/$program.png" -resize 320x240 -quality 85 -strip "$site/$program.jpg"
done
cp platform/web/index.html "$site/"
echo "site: $site/index.html"
