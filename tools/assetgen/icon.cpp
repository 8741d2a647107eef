// The desktop icon at every size the hicolor theme asks for: a red shot in
// the sights above the floating platform. Each size is drawn afresh from the
// same shapes, not scaled: edges that run along rows or columns land on pixel
// boundaries, and detail a size cannot hold is left out, so 16 px stays crisp.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "assets.h"
#include "common/bytes.h"
#include "common/maths.h"
#include "common/png.h"

namespace {

struct Paint {
    double r, g, b, a;  // premultiplied
};

void Over(Paint& dst, double r, double g, double b, double a) {
    dst.r = r * a + dst.r * (1 - a);
    dst.g = g * a + dst.g * (1 - a);
    dst.b = b * a + dst.b * (1 - a);
    dst.a = a + dst.a * (1 - a);
}

// The shapes of one size, in that size's pixels. Lengths a row or column edge
// depends on are whole pixels; the centre line sits on a pixel boundary
// (every size is even), so bars two pixels wide stay sharp.
struct Layout {
    int size;
    double margin, radius, outline;  // the rounded tile
    double grassTop, grassBottom, rockBottom, platformHalf;
    double shotY, shotRadius;
    double tickWidth, tickInner, tickOuter;  // 0 width: no ticks
    double ringRadius, ringWidth;            // 0 width: no ring
    bool highlight, glow, stripes;
};

double Px(int size, double fraction) { return std::round(size * fraction); }

Layout LayoutFor(int size) {
    Layout l{};
    l.size = size;
    l.margin = Px(size, 1.5 / 64);
    l.radius = std::max(4.0, Px(size, 12.0 / 64));
    l.outline = std::max(1.0, Px(size, 1.8 / 64));
    l.grassTop = std::floor(size * 42.0 / 64);
    l.grassBottom = l.grassTop + std::max(2.0, Px(size, 5.0 / 64));
    // Below 32 px the rock reaches the outline: every row counts.
    l.rockBottom = size - l.margin - l.outline - (size >= 32 ? Px(size, 3.0 / 64) : 0.0);
    l.platformHalf = size * 25.0 / 64;
    l.shotY = Px(size, 26.0 / 64);
    // Small sizes keep the shot large enough to read as a ball, clear of the grass.
    l.shotRadius = size < 24 ? 3.0 : std::max(size * 8.0 / 64, 3.5);
    if (size >= 32) {
        l.tickWidth = 2 * std::max(1.0, Px(size, 0.9 / 64));
        l.tickInner = std::round(std::max(l.shotRadius + 2, size * 10.0 / 64));
        l.tickOuter = Px(size, 19.0 / 64);
    }
    if (size >= 64) {
        l.ringRadius = size * 13.0 / 64;
        l.ringWidth = std::max(1.5, size * 2.2 / 64);
    }
    l.highlight = size >= 24;
    l.glow = size >= 32;
    l.stripes = size >= 64;
    return l;
}

Paint IconAt(const Layout& l, double x, double y) {
    Paint p{0, 0, 0, 0};
    const double s = l.size, c = s / 2;
    // Rounded tile: signed distance, < 0 inside.
    const double half = c - l.margin;
    const double qx = std::max(std::fabs(x - c) - (half - l.radius), 0.0);
    const double qy = std::max(std::fabs(y - c) - (half - l.radius), 0.0);
    const double tile = std::sqrt(qx * qx + qy * qy) - l.radius;
    if (tile > 0) return p;
    Over(p, 0.05, 0.07, 0.14, 1.0);
    if (tile >= -l.outline) return p;

    // Sky, deep at the top, hazy at the horizon.
    const double t = Clamp01((y - l.margin) / (l.grassTop - l.margin));
    Over(p, Mix(0.08, 0.62, t), Mix(0.20, 0.74, t), Mix(0.48, 0.90, t), 1.0);

    // The platform: a grassy top over a rocky underside tapering to a point.
    const double px = std::fabs(x - c);
    if (y >= l.grassTop && y < l.grassBottom && px < l.platformHalf) {
        const double g = (y - l.grassTop) / (l.grassBottom - l.grassTop);
        Over(p, Mix(0.42, 0.18, g), Mix(0.78, 0.48, g), Mix(0.26, 0.12, g), 1.0);
    }
    if (y >= l.grassBottom && y < l.rockBottom) {
        const double r = (y - l.grassBottom) / (l.rockBottom - l.grassBottom);
        const double reach = l.platformHalf * (std::sqrt(std::max(1.0 - r * r * 1.05, 0.0)) * 0.94 - 0.16 * r);
        if (px < reach) {
            const double stripe = l.stripes ? 0.9 + 0.1 * std::sin((y * 2.1 + (x - c) * 0.4) * 64 / s) : 1.0;
            Over(p, Mix(0.45, 0.24, r) * stripe, Mix(0.32, 0.17, r) * stripe, Mix(0.20, 0.11, r) * stripe, 1.0);
        }
    }

    // The red shot, with a glow and a highlight where the size allows.
    const double sx = x - c, sy = y - l.shotY;
    const double d = std::sqrt(sx * sx + sy * sy);
    const double rr = l.shotRadius;
    if (d > rr && l.glow) Over(p, 1.0, 0.35, 0.15, std::exp(-(d - rr) * 0.35 * 64 / s) * 0.55);
    if (d <= rr) {
        const double hx = sx + rr * 0.31, hy = sy + rr * 0.38;
        const double light = l.highlight ? std::exp(-(hx * hx + hy * hy) / (rr * rr * 0.16)) : 0.0;
        const double body = 1.0 - 0.45 * (d / rr) * (d / rr);
        Over(p, Mix(0.85 * body, 1.0, light), Mix(0.08 * body, 0.9, light), Mix(0.05 * body, 0.85, light), 1.0);
    }

    // The sights: four bars, and a ring broken where they cross it.
    const double w = l.tickWidth / 2;
    const bool tick = w > 0 && ((std::fabs(sy) < w && std::fabs(sx) >= l.tickInner && std::fabs(sx) < l.tickOuter) ||
                                (std::fabs(sx) < w && std::fabs(sy) >= l.tickInner && std::fabs(sy) < l.tickOuter));
    const bool ring = l.ringWidth > 0 && std::fabs(d - l.ringRadius) < l.ringWidth / 2 && std::fabs(sx) > 3 * w &&
                      std::fabs(sy) > 3 * w;
    if (tick || ring) Over(p, 0.85, 1.0, 0.9, 0.95);
    return p;
}

std::vector<uint8_t> DrawIcon(int size) {
    const Layout l = LayoutFor(size);
    const int ss = 8;  // samples a side: antialiasing for the round shapes
    std::vector<uint8_t> rgba(size_t(size) * size * 4);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            Paint sum{0, 0, 0, 0};
            for (int sy = 0; sy < ss; ++sy)
                for (int sx = 0; sx < ss; ++sx) {
                    const Paint p = IconAt(l, x + (sx + 0.5) / ss, y + (sy + 0.5) / ss);
                    sum.r += p.r;
                    sum.g += p.g;
                    sum.b += p.b;
                    sum.a += p.a;
                }
            const double count = ss * ss;
            const double a = sum.a / count;
            // PNG wants straight (not premultiplied) alpha.
            auto channel = [&](double premultiplied) { return ToByte(a > 0 ? premultiplied / count / a : 0.0); };
            uint8_t* out = &rgba[(size_t(y) * size + x) * 4];
            out[0] = channel(sum.r);
            out[1] = channel(sum.g);
            out[2] = channel(sum.b);
            out[3] = ToByte(a);
        }
    }
    return rgba;
}

}  // namespace

bool MakeIcons(const std::string& dir) {
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        char name[32];
        std::snprintf(name, sizeof name, "/%dx%d.png", size, size);
        if (!WriteFile(dir + name, EncodePng(size, size, 4, DrawIcon(size)))) return false;
    }
    return true;
}
