#!/usr/bin/env bash
# contact-sheet.sh BUILD_DIR OUT.png
# One labelled sheet of every generated picture (BUILD_DIR/data), the font
# atlas, the icons, and the model keyframe shots in BUILD_DIR/modelshots/ when
# they have been rendered. For looking at the assets, not for tests.
set -eu
BUILD=${1:?usage: contact-sheet.sh BUILD_DIR OUT.png}
OUT=${2:?usage: contact-sheet.sh BUILD_DIR OUT.png}
DATA="$BUILD/data"
[ -d "$DATA" ] || { echo "contact-sheet: no $DATA (build the orvanthe_data target first)" >&2; exit 1; }
tiles=$(mktemp -d)
trap 'rm -rf "$tiles"' EXIT

n=0
add() {  # add SOURCE LABEL [convert options...]
    local src=$1 label=$2
    shift 2
    n=$((n + 1))
    convert "$src" "$@" -set label "$label" "$tiles/$(printf %03d $n).png"
}

for name in grass t1 sky model particle va vb; do
    f="$DATA/$name.bmp"
    [ -f "$f" ] || { echo "contact-sheet: skipping missing $name.bmp" >&2; continue; }
    size=$(identify -format '%wx%h' "$f")
    case $name in
        t1 | particle) add "$f" "$name.bmp $size" -filter point -resize 256x256 ;;
        *) add "$f" "$name.bmp $size" ;;
    esac
done
if [ -f "$DATA/grass.bmp" ]; then
    add "$DATA/grass.bmp" "grass.bmp tiled 2x2" \( +clone \) +append \( +clone \) -append
fi
# The overlay as the game blends it: scene * mask + picture, here over the sky.
if [ -f "$DATA/va.bmp" ] && [ -f "$DATA/vb.bmp" ] && [ -f "$DATA/sky.bmp" ]; then
    add "$DATA/sky.bmp" "overlay over sky" -resize 800x600! \
        \( "$DATA/vb.bmp" -resize 800x600! \) -compose multiply -composite \
        \( "$DATA/va.bmp" -resize 800x600! \) -compose plus -composite
fi
if [ -f "$DATA/f.glf" ]; then
    # Coverage (alpha) plane of the glyph atlas, first texture row at the top.
    python3 - "$DATA/f.glf" "$tiles/atlas.pgm" <<'EOF'
import struct, sys
raw = open(sys.argv[1], "rb").read()
_, w, h, first, last, _ = struct.unpack_from("<6i", raw, 0)
texels = raw[24 + 24 * (last - first + 1):]
with open(sys.argv[2], "wb") as out:
    out.write(b"P5 %d %d 255\n" % (w, h) + texels[1::2])
EOF
    add "$tiles/atlas.pgm" "f.glf atlas (alpha)"
fi
# Each icon size drawn for itself, blown up without smoothing to show its pixels.
for size in 16 24 32 48 64 128 256; do
    f="$BUILD/icons/${size}x${size}.png"
    [ -f "$f" ] && add "$f" "icon ${size}x${size}" -background '#777777' -flatten -filter point -resize 256x256
done
if [ -d "$BUILD/modelshots" ]; then
    for shot in "$BUILD"/modelshots/*.png; do
        [ -f "$shot" ] && add "$shot" "model: $(basename "$shot" .png)"
    done
fi
[ "$n" -gt 0 ] || { echo "contact-sheet: nothing to show" >&2; exit 1; }

montage "$tiles"/[0-9]*.png -geometry 256x256+6+6 -tile 5x -background '#2b2b2b' -fill white \
    -pointsize 13 "$OUT"
echo "$OUT"
