#!/usr/bin/env bash
# Draws the About box's picture, resources/about.png: 32x32, 8-bit RGBA, a page
# with a globe over its corner. Rerunning gives the same bytes.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
out=$root/resources/about.png

# Checked by package, not by command: a "convert" on PATH may be a stand-in.
if [ "$(dpkg-query -W -f='${Status}' imagemagick 2>/dev/null || true)" != "install ok installed" ]; then
    apt-get update
    DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends imagemagick
fi
convert=/usr/bin/convert

# Tango palette: aluminium for the page, sky blue for the globe. The half-pixel
# coordinates put 1-pixel strokes on whole pixels.
"$convert" -size 32x32 xc:none \
    -fill white -stroke '#888a85' -strokewidth 1 \
    -draw 'polygon 6.5,2.5 19.5,2.5 25.5,8.5 25.5,29.5 6.5,29.5' \
    -fill '#d3d7cf' -draw 'polygon 19.5,2.5 19.5,8.5 25.5,8.5' \
    -stroke '#888a85' -draw 'line 9,12 22,12' -draw 'line 9,15 20,15' -draw 'line 9,18 15,18' \
    -fill '#3465a4' -stroke '#204a87' -draw 'circle 22.5,23.5 22.5,16.5' \
    -fill none -stroke '#729fcf' -draw 'ellipse 22.5,23.5 3,6.5 0,360' \
    -draw 'line 16,23.5 29,23.5' -draw 'line 17,20 28,20' -draw 'line 17,27 28,27' \
    -strip -define png:exclude-chunks=date,time \
    -define png:color-type=6 -define png:bit-depth=8 "png32:$out"

size=$(/usr/bin/identify -format '%w %h %[channels]' "$out")
case "$size" in
    "32 32 srgba"|"32 32 rgba") ;;
    *) echo "make-about-picture: $out is not 32x32 with alpha: $size" >&2; exit 1 ;;
esac
echo "make-about-picture: wrote ${out#"$root"/}"
