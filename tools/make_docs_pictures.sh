#!/usr/bin/env bash
# Makes the README's pictures in docs/ with frame_capture: frame 0 of each
# viewer (docs/terrain320.png, ...) and one orbit of terrain32 as an animated
# GIF (docs/terrain32_orbit.gif), which ImageMagick assembles; and the
# packages' icon, the terrain of terrain128's frame 0 cut square
# (packaging/icons/terrain-viewers-SIZE.png).
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install_deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)" --target frame_capture >/dev/null
capture=build/tools/frame_capture
mkdir -p docs

for program in terrain320 terrain128 terrain32; do
  "$capture" "$program" 0 "docs/$program.png"
  echo "docs/$program.png"
done
for size in 16 32 48 128 256; do
  convert docs/terrain128.png -crop 460x460+90+20 +repage -resize "${size}x$size" -strip \
    "packaging/icons/terrain-viewers-$size.png"
done
echo "packaging/icons/terrain-viewers-{16,32,48,128,256}.png"

# terrain32's camera turns 1/16 radian a frame: one orbit is 2*pi*16, about
# 100.5 frames.  Every second frame at half size keeps the GIF small.
frames=$(mktemp -d)
trap 'rm -rf "$frames"' EXIT
for frame in $(seq 0 2 100); do
  "$capture" terrain32 "$frame" "$(printf '%s/%03d.png' "$frames" "$frame")"
done
gif=docs/terrain32_orbit.gif
convert -delay 8 -loop 0 "$frames"/*.png -resize 320x240 -layers Optimize "gif:$gif.new"
mv "$gif.new" "$gif"
size=$(stat -c %s "$gif")
if (( size >= 2 * 1024 * 1024 )); then
  echo "make_docs_pictures.sh: $gif is $size bytes, over 2 MB" >&2
  exit 1
fi
echo "$gif ($size bytes)"
