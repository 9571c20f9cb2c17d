#!/usr/bin/env bash
# Draws the icon's PNG sizes from packaging/icons/amiscan.svg with ImageMagick (which has no
# SVG reader here): each <path> of the file is filled at 16 times 64 pixels, then scaled down.
# Run it after changing the SVG and commit the PNGs.
set -euo pipefail
icons=$(cd "$(dirname "${BASH_SOURCE[0]}")/../packaging/icons" && pwd)
draw=()
while IFS= read -r element; do
    fill=$(sed -E 's/.*fill="([^"]+)".*/\1/' <<<"$element")
    path=$(sed -E 's/.* d="([^"]+)".*/\1/' <<<"$element")
    draw+=(-fill "$fill" -draw "scale 16,16 path '$path'")
done < <(grep -o '<path [^>]*>' "$icons/amiscan.svg")
big=$(mktemp --suffix=.png)
trap 'rm -f "$big"' EXIT
/usr/bin/convert -size 1024x1024 xc:none "${draw[@]}" "$big"
for size in 16 22 24 32 48 64 128 256; do
    /usr/bin/convert "$big" -filter box -resize "${size}x${size}" -depth 8 -strip \
        "$icons/amiscan-$size.png"
done
