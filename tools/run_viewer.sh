#!/usr/bin/env bash
# run_viewer.sh [terrain320|terrain128|terrain32]: installs what a viewer
# needs (not the test toolchain), builds it in build-viewer/ (release, no
# profiling, no tests) and runs it.  On a desktop it opens the window (Escape
# or the close button ends it).  On a machine with no display it runs the viewer
# on a private X server until it has drawn the terrain, saves a screenshot,
# ends it with Escape, and says where the picture is and how the viewer ended.
# run_viewer.sh --web [NAME]: the same in a browser.  Builds the site
# (tools/build_web.sh) and serves build-web/site/ on 127.0.0.1; on a desktop
# it opens the page in the default browser and prints its address; with no
# display it runs the page in headless Chromium, saves a screenshot to
# build-web/screenshots/NAME.png, presses Escape and prints the exit status.
set -euo pipefail
cd "$(dirname "$0")/.."

if [[ "${1:-}" == "--web" ]]; then
  program=${2:-terrain128}
  case "$program" in
    terrain320|terrain128|terrain32) ;;
    *) echo "usage: tools/run_viewer.sh --web [terrain320|terrain128|terrain32]" >&2; exit 2 ;;
  esac
  if [[ -f build-web/site/$program.html ]]; then
    echo "$program: bringing the browser build up to date (build-web/)" >&2
  else
    echo "$program: building for the browser into build-web/ (a few minutes the first time; later runs take seconds)" >&2
  fi
  tools/build_web.sh >/dev/null
  exec node tools/web_view.mjs "$program" build-web/site build-web/screenshots
fi

program=${1:-terrain128}
case "$program" in
  terrain320|terrain128|terrain32) ;;
  *) echo "usage: tools/run_viewer.sh [--web] [terrain320|terrain128|terrain32]" >&2; exit 2 ;;
esac

tools/install_deps.sh --viewer
cmake -S . -B build-viewer -DCMAKE_BUILD_TYPE=Release -DTERRAIN_PROFILING=OFF -DTERRAIN_TESTS=OFF \
  -DTERRAIN_BENCH=OFF >/dev/null
cmake --build build-viewer -j"$(nproc)" --target "$program" >/dev/null
viewer=$PWD/build-viewer/programs/$program

if [[ -n "${DISPLAY:-}" || -n "${WAYLAND_DISPLAY:-}" ]]; then
  exec "$viewer"
fi

# No display: the test harness's private X server; the viewer runs until its
# picture shows the terrain, which is saved, then Escape ends it.
mkdir -p build-viewer/screenshots
exec python3 - "$viewer" "$PWD/build-viewer/screenshots/$program.png" <<'PY'
import os, sys
sys.path.insert(0, "tests/harness")
from x11_harness import XServer, Viewer, Workdir, poll, colour_regions, terrain_problem

viewer_path, picture = sys.argv[1:]
name = os.path.basename(viewer_path)
with XServer() as x, Workdir() as workdir:
    viewer = Viewer(viewer_path, x, cwd=workdir, stdout=None, stderr=None)
    try:
        window = viewer.wait_window()
        def shown():
            width, height, rgb = x.picture(window, picture)
            return terrain_problem(colour_regions(rgb), width * height) is None
        if not poll(shown, timeout=20, interval=0.5):
            print(f"{name}: the picture shows no terrain yet", file=sys.stderr)
        x.press(window, "Escape")
        status = viewer.wait_exit()[0]
    except AssertionError as failure:
        sys.exit(f"{name}: {failure}")
    finally:
        viewer.stop()
print(f"{name} ran on a private X server (no display here); picture: {picture}")
print(f"{name} exit status: {status}")
PY
