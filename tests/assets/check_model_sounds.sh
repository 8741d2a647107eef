#!/bin/bash
# check_model_sounds.sh DATA_DIR
#
# Checks the generated monster (tris2.md2 with its skin model.bmp) and the four
# sounds with tools that share no code with the generator: assimp and an
# independent MD2 reader for the model, soxi and sox for the sounds. Every
# failed check prints what was expected and what was found; the script exits
# non-zero if any failed.
set -u
DATA=${1:?usage: check_model_sounds.sh DATA_DIR}
failures=0

fail() {
    echo "FAIL: $1"
    echo "      expected: $2"
    echo "      got:      $3"
    failures=$((failures + 1))
}

for f in tris2.md2 model.bmp bulletFire.wav explode.wav ugh.wav wpqce.wav; do
    [ -s "$DATA/$f" ] || fail "$f exists" "a non-empty file" "missing or empty"
done

# ---- the model, as assimp reads it
if [ -s "$DATA/tris2.md2" ]; then
    out=$(assimp info "$DATA/tris2.md2" -v 2>&1)
    rc=$?
    if [ $rc -ne 0 ]; then
        fail "assimp loads tris2.md2" "exit status 0" "exit status $rc: $(echo "$out" | grep -i error | head -n 3)"
    fi
    problems=$(echo "$out" | grep -iE "warn|error|offset|invalid|too small|outside" | head -n 5)
    [ -z "$problems" ] || fail "assimp reports no problems with tris2.md2" "no warnings or errors" "$problems"
    faces=$(echo "$out" | sed -n 's/^Faces: *\([0-9]*\).*/\1/p' | head -n 1)
    [ "${faces:-0}" -gt 0 ] 2>/dev/null || fail "assimp finds faces in tris2.md2" "a face count above 0" "${faces:-none}"
fi

# ---- the model and skin, read independently
python3 - "$DATA" <<'PY' || failures=$((failures + 1))
import math
import struct
import sys

data = sys.argv[1]
errors = []


def check(ok, what, expected, got):
    if not ok:
        errors.append(what)
        print("FAIL: " + what)
        print("      expected: " + str(expected))
        print("      got:      " + str(got))
    return ok


try:
    md2 = open(data + "/tris2.md2", "rb").read()
    bmp = open(data + "/model.bmp", "rb").read()
except OSError as e:
    print("FAIL: cannot read the model: %s" % e)
    sys.exit(1)

names = ("ident version skinwidth skinheight framesize num_skins num_xyz num_st num_tris "
         "num_glcmds num_frames ofs_skins ofs_st ofs_tris ofs_frames ofs_glcmds ofs_end").split()
if not check(len(md2) >= 68, "MD2 header present", ">= 68 bytes", len(md2)):
    sys.exit(1)
h = dict(zip(names, struct.unpack_from("<4s16i", md2, 0)))
size = len(md2)

check(h["ident"] == b"IDP2", "MD2 ident", b"IDP2", h["ident"])
check(h["version"] == 8, "MD2 version", 8, h["version"])
check(h["framesize"] == 40 + 4 * h["num_xyz"], "frame size matches the vertex count",
      40 + 4 * h["num_xyz"], h["framesize"])
check(h["num_frames"] >= 46, "keyframes for idle (1..6) and hunting (40..45)", ">= 46", h["num_frames"])
check(1 <= h["num_skins"] <= 32, "skin names", "1..32", h["num_skins"])
check(300 <= h["num_tris"] <= 4096, "a real creature's triangle count", "300..4096", h["num_tris"])
check(0 < h["num_xyz"] <= 2048, "vertices per frame", "1..2048", h["num_xyz"])
check(h["num_st"] > 0, "texture coordinates", "> 0", h["num_st"])
check(h["ofs_end"] == size, "ofs_end is the file size", size, h["ofs_end"])

blocks = [("skins", h["ofs_skins"], h["num_skins"] * 64),
          ("st", h["ofs_st"], h["num_st"] * 4),
          ("tris", h["ofs_tris"], h["num_tris"] * 12),
          ("frames", h["ofs_frames"], h["num_frames"] * h["framesize"]),
          ("glcmds", h["ofs_glcmds"], h["num_glcmds"] * 4)]
inside = True
for name, ofs, length in blocks:
    inside &= check(68 <= ofs and ofs + length <= size, name + " block inside the file",
                    "68 <= offset, offset + size <= %d" % size, "offset %d, size %d" % (ofs, length))
spans = sorted((ofs, ofs + length, name) for name, ofs, length in blocks)
for (a0, a1, an), (b0, b1, bn) in zip(spans, spans[1:]):
    check(a1 <= b0, "%s and %s blocks do not overlap" % (an, bn), "%s ends by %d" % (an, b0), a1)
if errors or not inside:
    sys.exit(1)

skin_name = md2[h["ofs_skins"]:h["ofs_skins"] + 64]
check(b"\0" in skin_name and skin_name[0] != 0, "first skin name is a terminated string",
      "name + NUL", skin_name[:16])

st = [struct.unpack_from("<hh", md2, h["ofs_st"] + 4 * i) for i in range(h["num_st"])]
bad = [p for p in st if not (0 <= p[0] <= h["skinwidth"] and 0 <= p[1] <= h["skinheight"])]
check(not bad, "texture coordinates inside the skin", "0..%d, 0..%d" % (h["skinwidth"], h["skinheight"]), bad[:3])

tris = [struct.unpack_from("<6H", md2, h["ofs_tris"] + 12 * i) for i in range(h["num_tris"])]
bad = [t for t in tris if max(t[:3]) >= h["num_xyz"] or max(t[3:]) >= h["num_st"]]
check(not bad, "triangle indices in range", "xyz < %d, st < %d" % (h["num_xyz"], h["num_st"]), bad[:3])
bad = [t for t in tris if len(set(t[:3])) < 3]
check(not bad, "no triangle repeats a corner", "3 distinct vertices", bad[:3])


def frame(f):
    """Vertices of keyframe f in game axes: file (v0, v1, v2) -> (x, y, z) = (v0, v2, v1)."""
    at = h["ofs_frames"] + f * h["framesize"]
    sx, sy, sz, tx, ty, tz = struct.unpack_from("<6f", md2, at)
    verts, normals = [], []
    for i in range(h["num_xyz"]):
        v0, v1, v2, n = struct.unpack_from("<4B", md2, at + 40 + 4 * i)
        verts.append((v0 * sx + tx, v2 * sz + tz, v1 * sy + ty))
        normals.append(n)
    return (sx, sy, sz, tx, ty, tz), md2[at + 24:at + 40], verts, normals


used = sorted({i for t in tris for i in t[:3]})
frames = []
for f in range(h["num_frames"]):
    head, name, verts, normals = frame(f)
    frames.append(verts)
    if not all(math.isfinite(v) for v in head) or min(head[:3]) < 0:
        check(False, "frame %d scale and translate" % f, "finite, scale >= 0", head)
    if b"\0" not in name:
        check(False, "frame %d name is terminated" % f, "NUL within 16 bytes", name)
    bad = [n for n in normals if n >= 162]
    if bad:
        check(False, "frame %d normal indices" % f, "< 162", bad[:3])


def bounds(f):
    vs = [frames[f][i] for i in used]
    return [min(v[a] for v in vs) for a in range(3)], [max(v[a] for v in vs) for a in range(3)]


lo, hi = bounds(40)
print("frame 40 bounds: min (%.2f, %.2f, %.2f) max (%.2f, %.2f, %.2f)" % (*lo, *hi))
check(abs(lo[1] + 23) <= 1.0, "feet on the ground in keyframe 40 (the origin stands 23 above it)",
      "lowest y -23 +- 1", round(lo[1], 2))
check(40 <= hi[1] - lo[1] <= 65, "a person-sized monster in keyframe 40", "height 40..65", round(hi[1] - lo[1], 2))
for f in range(1, 7):
    flo, fhi = bounds(f)
    check(abs(flo[1] + 23) <= 1.0, "feet on the ground in idle keyframe %d" % f, "lowest y -23 +- 1", round(flo[1], 2))
# The game turns the model's +x toward the player: the head must lead.
vs = sorted((frames[40][i] for i in used), key=lambda v: v[1])
top = vs[int(len(vs) * 0.9):]
mean_x = sum(v[0] for v in vs) / len(vs)
top_x = sum(v[0] for v in top) / len(top)
check(top_x > mean_x + 1, "the creature faces +x (its head leads its body)", "top tenth's x above the mean x + 1",
      "top %.2f, mean %.2f" % (top_x, mean_x))


def moved(a, b):
    return max(math.dist(frames[a][i], frames[b][i]) for i in used)


for a, b, what in ((1, 4, "idle"), (40, 43, "hunting")):
    d = moved(a, b)
    check(d > 3, "the %s animation moves the limbs (keyframes %d and %d)" % (what, a, b), "> 3 units", round(d, 2))

# GL commands: (count, then count times s, t, index), ending with a zero count.
at, end = h["ofs_glcmds"], h["ofs_glcmds"] + 4 * h["num_glcmds"]
gl_tris, ok = 0, True
while ok:
    if at + 4 > end:
        ok = check(False, "GL command list ends with a zero count", "0 before the end of the list", "ran out")
        break
    (count,) = struct.unpack_from("<i", md2, at)
    at += 4
    if count == 0:
        break
    n = abs(count)
    if not check(n >= 3 and at + 12 * n <= end, "GL command at offset %d" % (at - 4),
                 "3 or more vertices inside the list", count):
        ok = False
        break
    for k in range(n):
        s, t, i = struct.unpack_from("<ffi", md2, at + 12 * k)
        if not (0 <= i < h["num_xyz"] and math.isfinite(s) and math.isfinite(t) and -0.01 <= s <= 1.01 and -0.01 <= t <= 1.01):
            ok = check(False, "GL command vertex", "index < %d, s and t in 0..1" % h["num_xyz"], (s, t, i))
            break
    at += 12 * n
    gl_tris += n - 2
if ok:
    check(at == end, "GL command list fills num_glcmds words", end, at)
    check(gl_tris == h["num_tris"], "GL commands draw every triangle", h["num_tris"], gl_tris)

# The skin: a 24-bit bottom-up BMP the size the model names; every triangle
# must land on painted skin, which fails if the layout or t's direction is off.
if check(bmp[:2] == b"BM" and len(bmp) >= 54, "skin is a BMP", "BM header", bmp[:2]):
    off, = struct.unpack_from("<I", bmp, 10)
    w, hgt, planes, bits = struct.unpack_from("<iiHH", bmp, 18)
    check(bits == 24 and hgt > 0, "skin is 24-bit bottom-up", "24 bits, positive height", (bits, hgt))
    check((w, hgt) == (h["skinwidth"], h["skinheight"]), "skin size matches the model header",
          (h["skinwidth"], h["skinheight"]), (w, hgt))
    check(w > 0 and w & (w - 1) == 0 and hgt > 0 and hgt & (hgt - 1) == 0, "skin sides are powers of two", "2^n", (w, hgt))
    row = (w * 3 + 3) & ~3
    if bits == 24 and hgt > 0 and off + row * hgt <= len(bmp):
        def texel(x, y):  # y counted up from the bottom row, as the game's t is
            p = off + min(hgt - 1, max(0, y)) * row + 3 * min(w - 1, max(0, x))
            return bmp[p:p + 3]
        counts = {}
        for y in range(hgt):
            for x in range(w):
                c = texel(x, y)
                counts[c] = counts.get(c, 0) + 1
        background, _ = max(counts.items(), key=lambda kv: kv[1])
        check(len(counts) > 1000, "skin is painted, not flat", "> 1000 colours", len(counts))
        off_skin = 0
        for t in tris:
            s_mid = sum(st[i][0] for i in t[3:]) / 3.0
            t_mid = sum(st[i][1] for i in t[3:]) / 3.0
            if texel(int(s_mid), int(t_mid)) == background:
                off_skin += 1
        check(off_skin <= len(tris) // 100, "triangles map onto painted skin", "<= 1% on the bare background",
              "%d of %d" % (off_skin, len(tris)))

print("model: %d triangles, %d vertices, %d keyframes, %d texture coordinates" %
      (h["num_tris"], h["num_xyz"], h["num_frames"], h["num_st"]))
sys.exit(1 if errors else 0)
PY

# ---- the sounds
stat_value() {  # stat_value FILE "Field name"
    sox "$1" -n stat 2>&1 | sed -n "s/^$2: *//p" | head -n 1
}

check_wav() {  # check_wav NAME MIN_SECONDS MAX_SECONDS MIN_PEAK MAX_PEAK
    local f="$DATA/$1"
    [ -s "$f" ] || return
    local rate bits chans enc dur
    rate=$(soxi -r "$f" 2>&1); bits=$(soxi -b "$f" 2>&1); chans=$(soxi -c "$f" 2>&1)
    enc=$(soxi -e "$f" 2>&1); dur=$(soxi -D "$f" 2>&1)
    [ "$rate" = 44100 ] || fail "$1 sample rate" 44100 "$rate"
    [ "$bits" = 16 ] || fail "$1 sample size" 16 "$bits"
    [ "$chans" = 1 ] || fail "$1 channels" 1 "$chans"
    [ "$enc" = "Signed Integer PCM" ] || fail "$1 encoding" "Signed Integer PCM" "$enc"
    awk -v d="$dur" -v lo="$2" -v hi="$3" 'BEGIN { exit !(d >= lo && d <= hi) }' ||
        fail "$1 duration" "$2..$3 s" "$dur s"
    local max min rms mean
    max=$(stat_value "$f" "Maximum amplitude"); min=$(stat_value "$f" "Minimum amplitude")
    rms=$(stat_value "$f" "RMS     amplitude"); mean=$(stat_value "$f" "Mean    amplitude")
    awk -v r="$rms" 'BEGIN { exit !(r > 0.02) }' || fail "$1 is not silent" "RMS above 0.02" "$rms"
    awk -v a="$max" -v b="$min" -v lo="$4" -v hi="$5" \
        'BEGIN { p = (a > -b ? a : -b); exit !(p >= lo && p <= hi) }' ||
        fail "$1 peak level (no clipping)" "peak $4..$5" "max $max, min $min"
    awk -v m="$mean" 'BEGIN { exit !(m > -0.005 && m < 0.005) }' || fail "$1 has no DC offset" "|mean| < 0.005" "$mean"
    echo "$1: ${dur}s, peak max $max min $min, RMS $rms"
}

# Effects peak near -3 dBFS (0.708); the music sits lower.
check_wav bulletFire.wav 0.2 0.4 0.5 0.9
check_wav explode.wav 1.0 1.5 0.5 0.9
check_wav ugh.wav 0.4 0.6 0.5 0.9
check_wav wpqce.wav 24 32 0.25 0.75

# Effects start and end at rest; the music's last sample must lead smoothly
# into its first, or every pass of the loop clicks.
python3 - "$DATA" <<'PY' || failures=$((failures + 1))
import struct
import sys
import wave

data = sys.argv[1]
bad = 0
for name, limit_edges, limit_seam in (("bulletFire.wav", 300, None), ("explode.wav", 300, None),
                                      ("ugh.wav", 300, None), ("wpqce.wav", None, 600)):
    try:
        with wave.open(data + "/" + name) as w:
            n = w.getnframes()
            s = struct.unpack("<%dh" % n, w.readframes(n))
    except (OSError, wave.Error, struct.error) as e:
        print("FAIL: %s readable as 16-bit mono: %s" % (name, e))
        bad += 1
        continue
    if n < 2:
        print("FAIL: %s has samples\n      expected: >= 2\n      got:      %d" % (name, n))
        bad += 1
        continue
    if limit_edges is not None and (abs(s[0]) > limit_edges or abs(s[-1]) > limit_edges):
        print("FAIL: %s starts and ends at rest\n      expected: |first|, |last| <= %d\n      got:      %d, %d"
              % (name, limit_edges, s[0], s[-1]))
        bad += 1
    if limit_seam is not None:
        print("%s loop seam: last %d, first %d" % (name, s[-1], s[0]))
        if abs(s[-1] - s[0]) > limit_seam or abs(s[0]) > limit_seam:
            print("FAIL: %s loops without a click\n      expected: |last - first| <= %d, |first| <= %d\n"
                  "      got:      last %d, first %d" % (name, limit_seam, limit_seam, s[-1], s[0]))
            bad += 1
sys.exit(1 if bad else 0)
PY

if [ "$failures" -ne 0 ]; then
    echo "check_model_sounds: $failures check(s) failed"
    exit 1
fi
echo "check_model_sounds: all checks passed"
