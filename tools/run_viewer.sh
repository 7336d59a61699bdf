#!/usr/bin/env bash
# run_viewer.sh [terrain320|terrain128|terrain32]: installs what is needed,
# builds the viewer and runs it.  On a desktop it opens the window (Escape or
# the close button ends it).  On a machine with no display it runs the viewer
# for a few seconds on a private X server, saves a screenshot, ends it with
# Escape, and says where the picture is and how the viewer ended.
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
  tools/build_web.sh >/dev/null
  exec node tools/web_view.mjs "$program" build-web/site build-web/screenshots
fi

program=${1:-terrain128}
case "$program" in
  terrain320|terrain128|terrain32) ;;
  *) echo "usage: tools/run_viewer.sh [--web] [terrain320|terrain128|terrain32]" >&2; exit 2 ;;
esac

tools/install_deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)" --target "$program" >/dev/null
viewer=$PWD/build/programs/$program

if [[ -n "${DISPLAY:-}" || -n "${WAYLAND_DISPLAY:-}" ]]; then
  exec "$viewer"
fi

# No display: a private X server, a few seconds of frames, a picture.
workdir=$(mktemp -d)
exec 3<> "$workdir/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null || true; rm -rf "$workdir"' EXIT
for _ in $(seq 100); do
  display=$(head -n1 "$workdir/display" 2>/dev/null || true)
  [[ -n "$display" ]] && break
  sleep 0.1
done
[[ -n "$display" ]] || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$display"

(cd "$workdir" && exec "$viewer") &
viewer_pid=$!
window=
for _ in $(seq 150); do
  window=$(xdotool search --onlyvisible --name '^KOLVAR Map Editor$' 2>/dev/null | head -n1 || true)
  [[ -n "$window" ]] && break
  sleep 0.1
done
if [[ -z "$window" ]]; then
  echo "$program: no window appeared" >&2
  kill "$viewer_pid" 2>/dev/null || true
  wait "$viewer_pid" || true
  exit 1
fi
sleep 3
mkdir -p build/screenshots
picture=$PWD/build/screenshots/$program.png
import -window "$window" "$picture"
xdotool mousemove 320 240 windowfocus --sync "$window" key Escape
status=0
wait "$viewer_pid" || status=$?
echo "$program ran on a private X server (no display here); picture: $picture"
echo "$program exit status: $status"
