// orvanthe.png: the 64 x 64 window and desktop icon, a red shot in the
// sights above the floating platform. Written with a minimal PNG encoder
// (stored zlib blocks), so no image library is needed.
#include <algorithm>
#include <cmath>
#include <vector>

#include "assets.h"
#include "writers.h"

namespace {

void PutU32BigEndian(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 3; i >= 0; --i) out.push_back(uint8_t(v >> (8 * i)));
}

uint32_t Crc32(const uint8_t* data, size_t size) {
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return crc ^ 0xFFFFFFFFu;
}

uint32_t Adler32(const std::vector<uint8_t>& data) {
    uint32_t a = 1, b = 0;
    for (uint8_t byte : data) {
        a = (a + byte) % 65521u;
        b = (b + a) % 65521u;
    }
    return (b << 16) | a;
}

void PutChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
    PutU32BigEndian(out, uint32_t(data.size()));
    size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    PutU32BigEndian(out, Crc32(out.data() + start, out.size() - start));
}

// RGBA rows, top first.
std::vector<uint8_t> EncodePng(int width, int height, const std::vector<uint8_t>& rgba) {
    std::vector<uint8_t> raw;
    for (int y = 0; y < height; ++y) {
        raw.push_back(0);  // filter: none
        raw.insert(raw.end(), rgba.begin() + size_t(y) * width * 4, rgba.begin() + size_t(y + 1) * width * 4);
    }
    std::vector<uint8_t> z = {0x78, 0x01};
    for (size_t at = 0;;) {
        size_t len = std::min<size_t>(65535, raw.size() - at);
        bool last = at + len == raw.size();
        z.push_back(last ? 1 : 0);
        PutU16(z, uint16_t(len));
        PutU16(z, uint16_t(~len));
        z.insert(z.end(), raw.begin() + at, raw.begin() + at + len);
        at += len;
        if (last) break;
    }
    PutU32BigEndian(z, Adler32(raw));

    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> header;
    PutU32BigEndian(header, uint32_t(width));
    PutU32BigEndian(header, uint32_t(height));
    header.insert(header.end(), {8, 6, 0, 0, 0});  // 8-bit RGBA, no interlace
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", z);
    PutChunk(png, "IEND", {});
    return png;
}

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

double Mix(double a, double b, double t) { return a + (b - a) * t; }

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
        double t = std::min(std::max((y - 4.0) / 40.0, 0.0), 1.0);
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
                return uint8_t(std::lround(std::min(std::max(v, 0.0), 1.0) * 255.0));
            };
            uint8_t* px = &rgba[(size_t(y) * n + x) * 4];
            px[0] = channel(sum.r);
            px[1] = channel(sum.g);
            px[2] = channel(sum.b);
            px[3] = uint8_t(std::lround(std::min(std::max(a, 0.0), 1.0) * 255.0));
        }
    }
    return WriteFile(dir + "/orvanthe.png", EncodePng(n, n, rgba));
}
