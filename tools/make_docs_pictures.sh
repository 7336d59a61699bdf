#!/usr/bin/env bash
# Makes the README's pictures in docs/ with frame_capture: frame 0 of each
# viewer (docs/terrain320.png, ...) and one orbit of terrain32 as an animated
# GIF (docs/terrain32_orbit.gif), which ImageMagick assembles; and the
# packages' icon (packaging/icons/terrain-viewers-SIZE.png), 32-bit with
# alpha: terrain32's frame 0, its black sky made transparent, with a picture
# of every size on a light and a dark background (docs/icon_backgrounds.png).
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
# The sky is the black that reaches the picture's corner: a flood fill, so
# that dark terrain is kept.  Large sizes keep the terrain's shape; at 48 px
# and below it is made taller and brighter, or it would be a dark strip a
# few pixels high.
terrain=$(mktemp --suffix=.png)
trap 'rm -f "$terrain"' EXIT
convert docs/terrain32.png -alpha set -fuzz 0 -fill none -draw "color 0,0 floodfill" -trim +repage "$terrain"
for size in 16 32 48 128 256; do
  if (( size <= 48 )); then
    shape=(-resize "${size}x$((size * 3 / 4))!" -modulate 120,120 -channel RGB -unsharp 0x0.75+0.75+0.008 +channel)
  else
    shape=(-resize "${size}x$size")
  fi
  convert "$terrain" -filter Lanczos "${shape[@]}" -background none -gravity center -extent "${size}x$size" \
    -strip "PNG32:packaging/icons/terrain-viewers-$size.png"
done
echo "packaging/icons/terrain-viewers-{16,32,48,128,256}.png"
n=0
icons=(packaging/icons/terrain-viewers-{256,48,32,16}.png)
for background in "#f3f3f3" "#202020"; do
  convert -size 400x276 "xc:$background" "${icons[0]}" -geometry +10+10 -composite \
    "${icons[1]}" -geometry +290+30 -composite "${icons[2]}" -geometry +298+110 -composite \
    "${icons[3]}" -geometry +306+180 -composite "$terrain.$((++n)).png"
done
convert "$terrain.1.png" "$terrain.2.png" +append docs/icon_backgrounds.png
rm -f "$terrain".?.png
echo docs/icon_backgrounds.png

# terrain32's camera turns 1/16 radian a frame: one orbit is 2*pi*16, about
# 100.5 frames.  Every second frame at half size keeps the GIF small.
frames=$(mktemp -d)
trap 'rm -rf "$frames" "$terrain"' EXIT
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
