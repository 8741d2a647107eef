// The monster's skin: the charts laid out in the texture, then every texel
// painted from the point of the rest-pose surface it shows. The game draws
// the model unlit, so light and shadow are painted in.
#include <algorithm>
#include <cmath>
#include <vector>

#include "creature.h"
#include "noise.h"

namespace creature {

// Shelf-packs every chart into the skin at the largest common texel density
// that fits, then rounds the texture coordinates to whole texels.
void LayOutCharts(Model& m) {
    const int pad = 3;
    std::vector<int> order(m.charts.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = int(i);

    auto place = [&](double density, bool commit) {
        std::vector<Chart> cs = m.charts;
        for (Chart& c : cs) {
            int cell = 2 * std::max(1, int(std::lround(c.widthUnits * density * c.detail / (2.0 * c.segments))));
            c.w = cell * c.segments;
            c.h = std::max(4, int(std::lround(c.heightUnits * density * c.detail)));
        }
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return cs[size_t(a)].h > cs[size_t(b)].h; });
        int x = pad, y = pad, shelf = 0;
        for (int i : order) {
            Chart& c = cs[size_t(i)];
            if (x + c.w + pad > kSkinSize) {
                x = pad;
                y += shelf + 2 * pad;
                shelf = 0;
            }
            if (c.w + 2 * pad > kSkinSize || y + c.h + pad > kSkinSize) return false;
            c.x = x;
            c.y = y;
            x += c.w + 2 * pad;
            shelf = std::max(shelf, c.h);
        }
        if (commit) m.charts = cs;
        return true;
    };
    double lo = 0.5, hi = 20;
    for (int i = 0; i < 40; ++i) {
        double mid = 0.5 * (lo + hi);
        (place(mid, false) ? lo : hi) = mid;
    }
    place(lo, true);
    for (StEntry& st : m.sts) {
        const Chart& c = m.charts[size_t(st.chart)];
        int x = c.x + int(std::lround(st.u * c.w));
        int y = c.y + int(std::lround(st.v / c.heightUnits * c.h));
        st.s = x;
        st.t = kSkinSize - y;  // the game reads t upward from the bottom row
    }
}

namespace {

struct Texel {
    Vec3 p, n;
    double along;
    int material, bone;
};

Colour PaintHide(const Texel& x) {
    const Vec3 p = x.p, n = x.n;
    const Colour backC{72, 86, 54}, sideC{110, 114, 72}, bellyC{170, 146, 96}, stripeC{38, 42, 30};
    double mottle = Fbm3(p * 0.35, 3, 11);
    // Pale underside: throat, chest and belly facing forward, inner limbs.
    double front = SmoothStep(0.1, 0.75, n.x + 0.25 * (mottle - 0.5));
    double trunk = (x.bone == kPelvis || x.bone == kSpine || x.bone == kChest || x.bone == kNeck) ? 1.0 : 0.0;
    double belly = trunk * front * SmoothStep(-3, 1, p.y) * (1 - SmoothStep(19, 22, p.y));
    if (x.bone == kJaw || x.bone == kHead) belly = SmoothStep(0.2, 0.8, -n.y) * 0.8;
    double dorsal = SmoothStep(-0.2, 0.7, -n.x + 0.4 * n.y);
    Colour c = Mix(sideC, backC, dorsal);
    c = Mix(c, bellyC, belly);
    // Plates across the belly.
    if (belly > 0.3) {
        double ridge = std::fabs(std::fmod(p.y + 40, 1.9) - 0.95) / 0.95;
        c = c * (1 - 0.22 * belly * SmoothStep(0.75, 1.0, ridge));
    }
    // Dark bands over the back and the outside of the limbs.
    double bandCoord = p.y * 0.42 + p.x * 0.12 + 1.6 * Fbm3(p * 0.18, 2, 23);
    double band = SmoothStep(0.55, 0.8, 0.5 + 0.5 * std::sin(2 * kPi * bandCoord));
    c = Mix(c, stripeC, band * (1 - belly) * 0.85 * SmoothStep(-0.3, 0.4, dorsal + 0.2));
    // Mottling and scales.
    c = c * (0.82 + 0.36 * mottle);
    double f1, f2;
    Cells(p * 0.85, f1, f2);
    double edge = SmoothStep(0.0, 0.16, f2 - f1);
    c = c * (0.8 + 0.2 * edge) * (1.0 + 0.12 * (1 - SmoothStep(0, 0.5, f1)));
    // Darker, rougher hands and feet.
    if (x.bone == kHandL || x.bone == kFootL || x.bone == kHandR || x.bone == kFootR)
        c = Mix(c, Colour{52, 48, 40}, 0.55);
    if (x.bone == kHead) {
        // Sockets, a heavy brow, nostrils, and a red glow spilling from the eyes.
        Vec3 eye = kEyeCentre;
        if (p.z > 0) eye.z = -eye.z;
        double d = Length(p - eye);
        c = c * (0.35 + 0.65 * SmoothStep(0.9, 2.0, d));
        c = Mix(c, Colour{200, 60, 20}, 0.55 * (1 - SmoothStep(0.6, 1.5, d)));
        double brow = (1 - SmoothStep(0.0, 0.9, std::fabs(p.y - (eye.y + 1.2)))) *
                      (1 - SmoothStep(1.0, 2.6, std::fabs(p.x - eye.x)));
        c = c * (1 - 0.4 * brow);
        for (double side : {-0.75, 0.75}) {
            double nd = Length(p - Vec3{8.0, 25.6, side});
            c = c * (0.25 + 0.75 * SmoothStep(0.25, 0.5, nd));
        }
        // Mouth line with upper teeth, and the palate behind it.
        if (p.x > 2.5) {
            double lip = -n.y;
            if (lip > 0.45) c = Mix(c, Colour{84, 28, 26}, SmoothStep(0.45, 0.7, lip));
            double tooth = std::fabs(std::fmod(p.x * 1.7 + 10, 1.0) - 0.5) * 2;
            if (lip > 0.05 && lip < 0.45 && tooth < 1 - (lip - 0.05) / 0.4)
                c = Colour{226, 214, 176} * (0.8 + 0.2 * lip);
        }
    }
    if (x.bone == kJaw && n.y > 0.1) {
        c = Mix(c, Colour{104, 34, 32}, SmoothStep(0.1, 0.5, n.y));
        double tooth = std::fabs(std::fmod(p.x * 1.7 + 10, 1.0) - 0.5) * 2;
        if (n.y < 0.45 && tooth < 1 - (n.y - 0.1) / 0.35 && p.x > 2) c = Colour{220, 208, 170};
    }
    return c;
}

Colour PaintTexel(const Texel& x) {
    Colour c;
    bool lit = true;
    if (x.material == kEye) {
        // Self-lit: white-hot at the tip, deep red at the rim.
        double a = x.along;
        c = Mix(Colour{150, 20, 8}, Colour{255, 140, 20}, SmoothStep(0.0, 0.6, a));
        c = Mix(c, Colour{255, 250, 190}, SmoothStep(0.75, 1.0, a));
        lit = false;
    } else if (x.material == kHorn) {
        double a = x.along;
        c = Mix(Colour{70, 52, 38}, Colour{222, 206, 168}, SmoothStep(0.0, 0.9, a));
        double ridge = 0.5 + 0.5 * std::cos(a * 2 * kPi * 5);
        c = c * (0.86 + 0.14 * ridge) * (0.9 + 0.2 * Fbm3(x.p * 2.0, 2, 41));
    } else {
        c = PaintHide(x);
    }
    if (lit) {
        // Key light from above and in front; no sideways part, because
        // mirrored limbs share their texels.
        const Vec3 light = Normalize(Vec3{0.5, 1.0, 0.0});
        double diffuse = std::max(0.0, Dot(x.n, light));
        double shade = 0.55 + 0.6 * diffuse + 0.1 * x.n.y;
        // Crotch, armpits and the underside of the jaw sit in shadow.
        shade *= 0.75 + 0.25 * SmoothStep(-22, -8, x.p.y);
        if (x.n.y < 0) shade *= 1 + 0.35 * x.n.y;
        c = c * shade;
    }
    return c;
}

std::vector<Vec3> RestNormals(const Model& m, const std::vector<Tri>& tris) {
    std::vector<Vec3> n(m.verts.size());
    for (const Tri& t : tris) {
        Vec3 a = m.verts[size_t(t.xyz[0])].p, b = m.verts[size_t(t.xyz[1])].p, c = m.verts[size_t(t.xyz[2])].p;
        Vec3 f = Cross(c - a, b - a);  // outward, given the stored turning
        for (int k = 0; k < 3; ++k) n[size_t(t.xyz[k])] = n[size_t(t.xyz[k])] + f;
    }
    for (Vec3& v : n) v = Normalize(v);
    return n;
}

}  // namespace

Image PaintSkin(const Model& m, const std::vector<Tri>& tris) {
    const std::vector<Vec3> normals = RestNormals(m, tris);
    Image img(kSkinSize, kSkinSize);
    std::vector<int> done(size_t(kSkinSize) * kSkinSize, 0);
    std::vector<Colour> acc(done.size(), Colour{0, 0, 0});
    for (const Tri& t : tris) {
        double sx[3], sy[3];
        Vec3 p[3], n[3];
        double along[3];
        for (int k = 0; k < 3; ++k) {
            const StEntry& st = m.sts[size_t(t.st[k])];
            sx[k] = st.s;
            sy[k] = kSkinSize - st.t;
            p[k] = m.verts[size_t(t.xyz[k])].p;
            n[k] = normals[size_t(t.xyz[k])];
            along[k] = st.along;
        }
        double area = (sx[1] - sx[0]) * (sy[2] - sy[0]) - (sx[2] - sx[0]) * (sy[1] - sy[0]);
        if (std::fabs(area) < 1e-9) continue;
        int x0 = std::max(0, int(std::floor(std::min({sx[0], sx[1], sx[2]}))));
        int x1 = std::min(kSkinSize - 1, int(std::ceil(std::max({sx[0], sx[1], sx[2]}))));
        int y0 = std::max(0, int(std::floor(std::min({sy[0], sy[1], sy[2]}))));
        int y1 = std::min(kSkinSize - 1, int(std::ceil(std::max({sy[0], sy[1], sy[2]}))));
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) {
                double px = x + 0.5, py = y + 0.5;
                double w0 = ((sx[1] - px) * (sy[2] - py) - (sx[2] - px) * (sy[1] - py)) / area;
                double w1 = ((sx[2] - px) * (sy[0] - py) - (sx[0] - px) * (sy[2] - py)) / area;
                double w2 = 1 - w0 - w1;
                if (w0 < -1e-6 || w1 < -1e-6 || w2 < -1e-6) continue;
                size_t i = size_t(y) * kSkinSize + size_t(x);
                if (done[i]) continue;  // a mirrored twin shares these texels
                Texel tx;
                tx.p = p[0] * w0 + p[1] * w1 + p[2] * w2;
                tx.n = Normalize(n[0] * w0 + n[1] * w1 + n[2] * w2);
                tx.along = along[0] * w0 + along[1] * w1 + along[2] * w2;
                tx.material = t.material;
                tx.bone = m.verts[size_t(t.xyz[0])].b0;
                acc[i] = PaintTexel(tx);
                done[i] = 1;
            }
    }
    // Bleed the charts outward so filtering at their edges finds skin, not background.
    for (int pass = 0; pass < 3; ++pass) {
        std::vector<int> next = done;
        std::vector<Colour> nextAcc = acc;
        for (int y = 0; y < kSkinSize; ++y)
            for (int x = 0; x < kSkinSize; ++x) {
                size_t i = size_t(y) * kSkinSize + size_t(x);
                if (done[i]) continue;
                Colour sum{0, 0, 0};
                int count = 0;
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx) {
                        int nx = x + dx, ny = y + dy;
                        if (nx < 0 || ny < 0 || nx >= kSkinSize || ny >= kSkinSize) continue;
                        size_t j = size_t(ny) * kSkinSize + size_t(nx);
                        if (!done[j]) continue;
                        sum = sum + acc[j];
                        ++count;
                    }
                if (count) {
                    nextAcc[i] = sum * (1.0 / count);
                    next[i] = 1;
                }
            }
        done.swap(next);
        acc.swap(nextAcc);
    }
    for (int y = 0; y < kSkinSize; ++y)
        for (int x = 0; x < kSkinSize; ++x) {
            size_t i = size_t(y) * kSkinSize + size_t(x);
            Colour c = done[i] ? acc[i] : Colour{34, 38, 30};
            auto q = [](double v) { return uint8_t(std::lround(std::min(255.0, std::max(0.0, v)))); };
            img.At(x, y) = {q(c.r), q(c.g), q(c.b)};
        }
    return img;
}

}  // namespace creature
