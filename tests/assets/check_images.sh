#!/usr/bin/env bash
# check_images.sh DATA_DIR ICON_DIR
# Checks the generated pictures, font and icons with tools that share no code
# with the generator: ImageMagick for the formats, python3 for header fields
# and the properties the game relies on. Prints every failure, exits 1 if any.
set -u
DATA=${1:?usage: check_images.sh DATA_DIR ICON_DIR}
ICONS=${2:?usage: check_images.sh DATA_DIR ICON_DIR}
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# name, expected width x height ("pow2" = any power-of-two sides)
BMPS="grass.bmp:256x256 t1.bmp:32x32 sky.bmp:512x512 model.bmp:pow2 particle.bmp:64x64 va.bmp:512x512 vb.bmp:512x512"

for entry in $BMPS; do
    name=${entry%%:*}
    want=${entry#*:}
    file="$DATA/$name"
    if [ ! -f "$file" ]; then
        fail "$name: missing"
        continue
    fi
    info=$(identify -regard-warnings -format '%m %w %h %z %r' "$file" 2>&1) || {
        fail "$name: ImageMagick cannot read it: $info"
        continue
    }
    read -r format width height depth class _ <<<"$info"
    case $format in BMP*) ;; *) fail "$name: format expected BMP, got $format" ;; esac
    [ "$depth" = 8 ] || fail "$name: channel depth expected 8, got $depth"
    # A paletted BMP would load as PseudoClass; the game reads raw RGB triples.
    [ "$class" = DirectClass ] || fail "$name: class expected DirectClass (true colour), got $class"
    if [ "$want" = pow2 ]; then
        for side in "$width" "$height"; do
            ((side > 0 && (side & (side - 1)) == 0)) || fail "$name: side $side is not a power of two"
        done
    elif [ "${width}x${height}" != "$want" ]; then
        fail "$name: size expected $want, got ${width}x${height}"
    fi
done

# Header fields, read directly: the game trusts bfOffBits and biSizeImage.
python3 - "$DATA" <<'EOF' || failures=$((failures + 1))
import os, struct, sys
data = sys.argv[1]
bad = 0
def fail(msg):
    global bad
    print("FAIL: " + msg)
    bad += 1
for name in ["grass.bmp", "t1.bmp", "sky.bmp", "model.bmp", "particle.bmp", "va.bmp", "vb.bmp"]:
    path = os.path.join(data, name)
    if not os.path.isfile(path):
        continue  # already reported
    raw = open(path, "rb").read()
    if len(raw) < 54 or raw[:2] != b"BM":
        fail("%s: no BMP header" % name)
        continue
    bf_size, bf_off = struct.unpack_from("<I", raw, 2)[0], struct.unpack_from("<I", raw, 10)[0]
    bi_size, w, h, planes, bits, compression, size_image = struct.unpack_from("<IiiHHII", raw, 14)
    checks = [
        ("bfSize", bf_size, len(raw)),
        ("bfOffBits", bf_off, 54),
        ("biSize", bi_size, 40),
        ("biPlanes", planes, 1),
        ("biBitCount", bits, 24),
        ("biCompression", compression, 0),
        ("biSizeImage", size_image, 3 * abs(w) * abs(h)),
        ("bottom-up rows (biHeight > 0)", h > 0, True),
        ("rows without fill bytes (3*width % 4 == 0)", (3 * w) % 4 == 0, True),
        ("pixel data fits the file", bf_off + size_image <= len(raw), True),
    ]
    for field, got, want in checks:
        if got != want:
            fail("%s: %s expected %s, got %s" % (name, field, want, got))
sys.exit(1 if bad else 0)
EOF

# What the game does with the pictures.
python3 - "$DATA" <<'EOF' || failures=$((failures + 1))
import os, struct, sys
data = sys.argv[1]
bad = 0
def fail(msg):
    global bad
    print("FAIL: " + msg)
    bad += 1
def load(name):
    path = os.path.join(data, name)
    if not os.path.isfile(path):
        return None
    raw = open(path, "rb").read()
    off = struct.unpack_from("<I", raw, 10)[0]
    w, h = struct.unpack_from("<ii", raw, 18)
    if w <= 0 or h <= 0 or (3 * w) % 4 or off + 3 * w * h > len(raw):
        return None  # header failures are reported above
    # rows[r][c] = (red, green, blue); r = 0 is the first stored (bottom) row
    return [[(raw[off + (r * w + c) * 3 + 2], raw[off + (r * w + c) * 3 + 1], raw[off + (r * w + c) * 3])
             for c in range(w)] for r in range(h)]

# Heightmap: red of stored row r, column c is the ground at x = 60c, z = -60r,
# and the game takes a cell's height from that corner (no interpolation).
hm = load("t1.bmp")
if hm is not None and len(hm) >= 32 and len(hm[0]) == 32:
    red = [[hm[r][c][0] for c in range(32)] for r in range(32)]
    lo, hi = min(map(min, red)), max(map(max, red))
    if (lo, hi) != (0, 255):
        fail("t1.bmp: height range expected 0..255, got %d..%d" % (lo, hi))
    starts = {"camera": (234, -319), "monster 0": (1587, -302), "monster 1": (1627, -1518), "monster 2": (677, -1130)}
    for who, (x, z) in starts.items():
        c, r = int(x / 60), int(-z / 60)
        here = red[r][c]
        around = [red[r + dr][c + dc] for dr in (-1, 0, 1) for dc in (-1, 0, 1)]
        # Level ground: no neighbour more than 6 world units (12 red) up or down.
        worst = max(abs(v - here) for v in around)
        if worst > 12:
            fail("t1.bmp: %s start (cell %d,%d) is not level: step of %d red to a neighbour (max 12)" % (who, c, r, worst))
        if here < 40:
            fail("t1.bmp: %s start (cell %d,%d) is low ground (red %d, expected >= 40)" % (who, c, r, here))
    # No wall anywhere the player can walk: cells 1..29 change by at most 24 units.
    steepest = 0
    for r in range(1, 30):
        for c in range(1, 30):
            if c < 29:
                steepest = max(steepest, abs(red[r][c] - red[r][c + 1]))
            if r < 29:
                steepest = max(steepest, abs(red[r][c] - red[r + 1][c]))
    if steepest > 48:
        fail("t1.bmp: steepest step between walkable cells expected <= 48 red, got %d" % steepest)

# Overlay: where the mask lets the scene through, the picture must add nothing.
pic, mask = load("va.bmp"), load("vb.bmp")
if pic is not None and mask is not None:
    if len(pic) != len(mask) or len(pic[0]) != len(mask[0]):
        fail("va.bmp/vb.bmp: sizes differ")
    else:
        total = len(mask) * len(mask[0])
        white = dark = leaks = 0
        worst = None
        for r in range(len(mask)):
            for c in range(len(mask[0])):
                m = mask[r][c]
                if m[0] != m[1] or m[1] != m[2]:
                    fail("vb.bmp: mask pixel (%d,%d) is not grey: %s" % (c, r, m))
                    break
                if m[0] >= 250:
                    white += 1
                    if max(pic[r][c]) > 8:
                        leaks += 1
                        worst = worst or (c, r, pic[r][c])
                elif m[0] < 128:
                    dark += 1
        if leaks:
            fail("va.bmp: %d pixels are not black where vb.bmp is white, e.g. %s" % (leaks, worst))
        if white < 0.70 * total:
            fail("vb.bmp: expected >= 70%% of the view clear (white), got %.1f%%" % (100.0 * white / total))
        if dark < 0.01 * total:
            fail("vb.bmp: expected some opaque overlay (>= 1%% dark), got %.2f%%" % (100.0 * dark / total))

# Particle: added to the scene, so its border must be black and its middle lit.
part = load("particle.bmp")
if part is not None:
    h, w = len(part), len(part[0])
    border = max(max(part[r][c]) for r in range(h) for c in range(w) if r in (0, h - 1) or c in (0, w - 1))
    middle = max(part[h // 2][w // 2])
    if border > 2:
        fail("particle.bmp: border expected black, brightest border pixel %d" % border)
    if middle < 200:
        fail("particle.bmp: centre expected bright (>= 200), got %d" % middle)
sys.exit(1 if bad else 0)
EOF

# Font: layout of the file and the title screen that is set with it.
python3 - "$DATA" <<'EOF' || failures=$((failures + 1))
import os, struct, sys
path = os.path.join(sys.argv[1], "f.glf")
bad = 0
def fail(msg):
    global bad
    print("FAIL: " + msg)
    bad += 1
if not os.path.isfile(path):
    fail("f.glf: missing")
    sys.exit(1)
raw = open(path, "rb").read()
_, tw, th, first, last, _ = struct.unpack_from("<6i", raw, 0)
count = last - first + 1
if first > 32 or last < 126:
    fail("f.glf: character range expected to cover 32..126, got %d..%d" % (first, last))
want = 24 + 24 * count + tw * th * 2
if len(raw) != want:
    fail("f.glf: file size expected %d for a %dx%d texture and %d glyphs, got %d" % (want, tw, th, count, len(raw)))
    sys.exit(1)
for side in (tw, th):
    if side <= 0 or side & (side - 1):
        fail("f.glf: texture side %d is not a power of two" % side)
glyphs = [struct.unpack_from("<6f", raw, 24 + 24 * i) for i in range(count)]
texels = raw[24 + 24 * count:]
rects = []
for i, (w, h, ls, tt, rs, bt) in enumerate(glyphs):
    ch = first + i
    if not (0 <= ls < rs <= 1 and 0 <= tt < bt <= 1 and w > 0 and h > 0):
        fail("f.glf: glyph %d has a bad box: width %g height %g s %g..%g t %g..%g" % (ch, w, h, ls, rs, tt, bt))
        continue
    x0, x1 = round(ls * tw), round(rs * tw)
    y0, y1 = round(tt * th), round(bt * th)
    rects.append((ch, x0, y0, x1, y1))
    ink = sum(texels[(y * tw + x) * 2 + 1] for y in range(y0, y1) for x in range(x0, x1))
    if (ch == 32) != (ink == 0):
        fail("f.glf: glyph %d: %s" % (ch, "space has ink" if ch == 32 else "no ink"))
# A neighbour's ink within one texel of a glyph's box bleeds in under linear filtering.
owner = {}
for ch, x0, y0, x1, y1 in rects:
    for y in range(y0, y1):
        for x in range(x0, x1):
            owner[(x, y)] = ch
bleed = set()
for ch, x0, y0, x1, y1 in rects:
    for y in range(y0 - 1, y1 + 1):
        for x in range(x0 - 1, x1 + 1):
            if 0 <= x < tw and 0 <= y < th and not (x0 <= x < x1 and y0 <= y < y1):
                other = owner.get((x, y))
                if other is not None and texels[(y * tw + x) * 2 + 1] > 0:
                    bleed.add((ch, other))
if bleed:
    fail("f.glf: glyph boxes touch inked neighbours: %s" % sorted(bleed)[:5])
if any(texels[i] != 255 for i in range(0, len(texels), 2) if texels[i + 1] > 0):
    fail("f.glf: luminance expected white wherever alpha is set")
# Title screen: scale, pen position (top-left corner), in an 800 x 600 space.
lines = [("Quillmarr", 10, 130, 530), ("Orvanthe    lev 0", 25, 125, 500), ("ENTER to begin", 7, 560, 70),
         ("CONTROL to shoot", 7, 560, 49), ("Stay in the platform", 7, 560, 28)]
boxes = []
for text, scale, x, y in lines:
    advance = sum(glyphs[ord(ch) - first][0] for ch in text)
    height = max(glyphs[ord(ch) - first][1] for ch in text)
    box = (x, y - height * scale, x + advance * scale, y)
    boxes.append((text, box))
    if box[0] < 0 or box[1] < 0 or box[2] > 800 or box[3] > 600:
        fail("f.glf: title line %r leaves the 800x600 screen: x %.1f..%.1f y %.1f..%.1f" % (text, box[0], box[2], box[1], box[3]))
    if height * scale < 12:
        fail("f.glf: title line %r is %.1f pixels high (expected >= 12 to be legible)" % (text, height * scale))
for i in range(len(boxes)):
    for j in range(i + 1, len(boxes)):
        a, b = boxes[i][1], boxes[j][1]
        if a[0] < b[2] and b[0] < a[2] and a[1] < b[3] and b[1] < a[3]:
            fail("f.glf: title lines %r and %r overlap" % (boxes[i][0], boxes[j][0]))
sys.exit(1 if bad else 0)
EOF

# Icons: a valid RGBA PNG at each size, clear in the corners and opaque in
# the middle, and drawn for that size rather than scaled: a quarter of the
# way across, the sky meets the grass between two rows, with no mixed row.
for size in 16 24 32 48 64 128 256; do
    name=${size}x${size}.png
    icon="$ICONS/$name"
    if [ ! -f "$icon" ]; then
        fail "$name: missing"
        continue
    fi
    if ! info=$(identify -regard-warnings -format '%m %w %h %z %[channels]' "$icon" 2>&1); then
        fail "$name: ImageMagick cannot read it cleanly: ${info:-no message, but a non-zero exit (bad chunk CRC?)}"
        continue
    fi
    [ "$info" = "PNG $size $size 8 srgba" ] || fail "$name: expected 'PNG $size $size 8 srgba', got '$info'"
    half=$((size / 2))
    alphas=$(convert "$icon" -alpha extract -depth 8 -format "%[fx:int(255*p{0,0}+0.5)] %[fx:int(255*p{$half,$half}+0.5)]" info: 2>&1)
    [ "$alphas" = "0 255" ] || fail "$name: alpha at corner and centre expected '0 255', got '$alphas'"
    column=$(convert "$icon" -crop "1x$size+$((size / 4))+0" -depth 8 -alpha off txt:- | awk -F'[(),]' 'NR > 1 {print $3, $4, $5}')
    awk '{ sky = $3 > 204 && $3 > $2; grass = $3 < 89 && $2 > 150
           if (grass && lastSky) found = 1; lastSky = sky }
         END { exit !found }' <<<"$column" || fail "$name: no sharp sky-to-grass edge a quarter of the way across"
done

if [ "$failures" -gt 0 ]; then
    echo "check_images: $failures check group(s) failed"
    exit 1
fi
echo "check_images: all image, font and icon checks passed"
