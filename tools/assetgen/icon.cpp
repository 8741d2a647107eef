// orvanthe.png: the 64 x 64 window and desktop icon, a red shot in the
// sights above the floating platform.
#include <algorithm>
#include <cmath>
#include <vector>

#include "assets.h"
#include "common/bytes.h"
#include "common/maths.h"
#include "common/png.h"

namespace {

struct Paint {
    double r, g, b, a;
};

// Painter's stack of layers; returns premultiplied colour.
void Over(Paint& dst, double r, double g, double b, double a) {
    dst.r = r * a + dst.r * (1 - a);
    dst.g = g * a + dst.g * (1 - a);
    dst.b = b * a + dst.b * (1 - a);
    dst.a = a + dst.a * (1 - a);
}

Paint IconAt(double x, double y) {
    Paint p{0, 0, 0, 0};
    // Rounded tile with a dark outline.
    const double half = 30.5, radius = 12.0, cx = 32.0, cy = 32.0;
    double qx = std::max(std::fabs(x - cx) - (half - radius), 0.0);
    double qy = std::max(std::fabs(y - cy) - (half - radius), 0.0);
    double tile = std::sqrt(qx * qx + qy * qy) - radius;  // < 0 inside
    if (tile > 0) return p;
    Over(p, 0.05, 0.07, 0.14, 1.0);
    if (tile < -1.8) {
        // Sky, deep at the top, hazy at the horizon.
        double t = Clamp01((y - 4.0) / 40.0);
        Over(p, Mix(0.08, 0.62, t), Mix(0.20, 0.74, t), Mix(0.48, 0.90, t), 1.0);
        // The platform: a grassy top over a rocky underside tapering to a point.
        double px = x - 32.0;
        if (y > 42.0 && y < 47.0 && std::fabs(px) < 25.0 - (y - 42.0) * 0.3) {
            double t = (y - 42.0) / 5.0;
            Over(p, Mix(0.42, 0.18, t), Mix(0.78, 0.48, t), Mix(0.26, 0.12, t), 1.0);
        }
        if (y >= 47.0 && y < 60.0) {
            double t = (y - 47.0) / 13.0;
            double reach = 23.5 * std::sqrt(std::max(1.0 - t * t * 1.1, 0.0)) - 4.0 * t;
            if (std::fabs(px) < reach) {
                double stripe = 0.9 + 0.1 * std::sin(y * 2.1 + px * 0.4);
                Over(p, Mix(0.45, 0.24, t) * stripe, Mix(0.32, 0.17, t) * stripe, Mix(0.20, 0.11, t) * stripe, 1.0);
            }
        }
        // Red shot with a glow and a highlight.
        double sx = x - 32.0, sy = y - 26.0;
        double d = std::sqrt(sx * sx + sy * sy);
        double glow = std::exp(-std::max(d - 8.0, 0.0) * 0.35) * 0.55;
        if (d > 8.0) Over(p, 1.0, 0.35, 0.15, glow);
        if (d <= 8.0) {
            double hx = x - 29.5, hy = y - 23.0;
            double light = std::exp(-(hx * hx + hy * hy) / 10.0);
            double body = 1.0 - 0.45 * (d / 8.0) * (d / 8.0);
            Over(p, Mix(0.85 * body, 1.0, light), Mix(0.08 * body, 0.9, light), Mix(0.05 * body, 0.85, light), 1.0);
        }
        // Sight ring with four ticks.
        bool ring = std::fabs(d - 13.0) < 1.1 && (std::fabs(sx) > 3.0 && std::fabs(sy) > 3.0);
        bool tick = (std::fabs(sy) < 0.9 && std::fabs(sx) > 10.0 && std::fabs(sx) < 19.0) ||
                    (std::fabs(sx) < 0.9 && std::fabs(sy) > 10.0 && std::fabs(sy) < 19.0);
        if (ring || tick) Over(p, 0.85, 1.0, 0.9, 0.95);
    }
    return p;
}

}  // namespace

bool MakeIcon(const std::string& dir) {
    const int n = 64, ss = 4;
    std::vector<uint8_t> rgba(size_t(n) * n * 4);
    for (int y = 0; y < n; ++y) {
        for (int x = 0; x < n; ++x) {
            Paint sum{0, 0, 0, 0};
            for (int sy = 0; sy < ss; ++sy)
                for (int sx = 0; sx < ss; ++sx) {
                    Paint p = IconAt(x + (sx + 0.5) / ss, y + (sy + 0.5) / ss);
                    sum.r += p.r;
                    sum.g += p.g;
                    sum.b += p.b;
                    sum.a += p.a;
                }
            const double count = ss * ss;
            double a = sum.a / count;
            // PNG wants straight (not premultiplied) alpha.
            auto channel = [&](double premultiplied) {
                double v = a > 0 ? premultiplied / count / a : 0.0;
                return ToByte(v);
            };
            uint8_t* px = &rgba[(size_t(y) * n + x) * 4];
            px[0] = channel(sum.r);
            px[1] = channel(sum.g);
            px[2] = channel(sum.b);
            px[3] = ToByte(a);
        }
    }
    return WriteFile(dir + "/orvanthe.png", EncodePng(n, n, 4, rgba));
}
