// Terrain, sky, particle and overlay pictures. Every picture is a pure
// function of fixed seeds, so two runs write identical files.
#include <algorithm>
#include <cmath>
#include <vector>

#include "assets.h"
#include "common/maths.h"
#include "noise.h"
#include "writers.h"

namespace {

Rgb ToRgb(Colour c) { return {ToByte(c.r), ToByte(c.g), ToByte(c.b)}; }

// ---------------------------------------------------------------- grass

// Splats a soft point into a wrapping buffer, so strokes that cross an edge
// continue on the opposite side and the texture keeps tiling.
void SplatWrapped(std::vector<Colour>& buf, int n, double x, double y, Colour c, double alpha) {
    int x0 = int(std::floor(x)), y0 = int(std::floor(y));
    double fx = x - x0, fy = y - y0;
    const double w[4] = {(1 - fx) * (1 - fy), fx * (1 - fy), (1 - fx) * fy, fx * fy};
    const int dx[4] = {0, 1, 0, 1}, dy[4] = {0, 0, 1, 1};
    for (int k = 0; k < 4; ++k) {
        int px = ((x0 + dx[k]) % n + n) % n;
        int py = ((y0 + dy[k]) % n + n) % n;
        size_t i = size_t(py) * n + px;
        buf[i] = Mix(buf[i], c, alpha * w[k]);
    }
}

bool MakeGrass(const std::string& dir) {
    const int n = 256;
    std::vector<Colour> buf(size_t(n) * n);
    std::vector<double> soilAmount(size_t(n) * n);

    const Colour grassDark{0.17, 0.30, 0.09}, grassLight{0.36, 0.52, 0.16};
    const Colour soilDark{0.27, 0.25, 0.14}, soilLight{0.40, 0.36, 0.22};
    for (int y = 0; y < n; ++y) {
        for (int x = 0; x < n; ++x) {
            double u = double(x) / n, v = double(y) / n;
            // The lattice is turned 45 degrees (integer steps keep it tiling)
            // and warped, so patches do not line up with the texture edges.
            double wu = TileFractal(u * 8, v * 8, 8, 3, 14) - 0.5, wv = TileFractal(u * 8, v * 8, 8, 3, 15) - 0.5;
            double patch = TileFractal((u + v) * 5 + wu * 1.5, (v - u) * 5 + wv * 1.5, 5, 4, 11);
            double tone = TileFractal((u - v) * 6 + wv, (u + v) * 6 + wu, 6, 4, 12);
            double fine = TileFractal(u * 64, v * 64, 64, 2, 13);
            double soil = 0.8 * SmoothStep(0.66, 0.76, patch);
            Colour grass = Mix(grassDark, grassLight, SmoothStep(0.25, 0.75, tone)) * (0.85 + 0.3 * fine);
            Colour earth = Mix(soilDark, soilLight, fine) * (0.9 + 0.2 * tone);
            buf[size_t(y) * n + x] = Mix(grass, earth, soil);
            soilAmount[size_t(y) * n + x] = soil;
        }
    }

    // Pebbles first, so blades can lie across them.
    Random rng(0x67726173);
    for (int k = 0; k < 700; ++k) {
        double x = rng.Range(0, n), y = rng.Range(0, n);
        double s = soilAmount[size_t(int(y)) * n + int(x)];
        double radius = rng.Range(0.6, 1.8);
        double shade = rng.Range(0.25, 0.65);
        if (rng.Unit() > s * 0.9 + 0.1) continue;
        Colour stone{shade * 1.05, shade, shade * 0.9};
        for (double oy = -radius; oy <= radius; oy += 0.5)
            for (double ox = -radius; ox <= radius; ox += 0.5)
                if (ox * ox + oy * oy <= radius * radius) SplatWrapped(buf, n, x + ox, y + oy, stone, 0.35);
    }

    // Blades: short tapered strokes, darker at the root and sunlit at the tip.
    for (int k = 0; k < 9000; ++k) {
        double x = rng.Range(0, n), y = rng.Range(0, n);
        double s = soilAmount[size_t(int(y)) * n + int(x)];
        double angle = rng.Range(0, 2 * kPi);
        double length = rng.Range(3.0, 9.0);
        double bend = rng.Range(-0.08, 0.08);
        double hue = rng.Unit();
        double keep = rng.Unit();
        if (keep < s * 0.85) continue;
        Colour root = Mix(Colour{0.10, 0.20, 0.05}, Colour{0.18, 0.30, 0.08}, hue);
        Colour tip = Mix(Colour{0.42, 0.60, 0.18}, Colour{0.60, 0.70, 0.26}, hue);
        double px = x, py = y;
        for (double d = 0; d < length; d += 0.5) {
            double t = d / length;
            SplatWrapped(buf, n, px, py, Mix(root, tip, t), 0.55 * (1.0 - 0.5 * t));
            angle += bend;
            px += 0.5 * std::cos(angle);
            py += 0.5 * std::sin(angle);
        }
    }

    Image img(n, n);
    for (size_t i = 0; i < buf.size(); ++i) img.pixels[i] = ToRgb(buf[i]);
    return WriteBmp(dir + "/grass.bmp", img);
}

// ------------------------------------------------------------ heightmap

// Where the player and the monsters start; the ground there is kept level.
struct StartPoint {
    double x, z;
};
const StartPoint kStarts[] = {{234, -319}, {1587, -302}, {1627, -1518}, {677, -1130}};

struct Bump {
    double c, r, radius, amount;
};

bool MakeHeightmap(const std::string& dir) {
    const int n = 32;
    // Rolling ground with a few hills and hollows, all well away from the
    // start points. Grid column c is world x = 60c, row r is z = -60r.
    const Bump bumps[] = {
        {16.0, 11.5, 5.6, 165},  // the big central hill
        {21.5, 21.0, 3.6, 100}, {5.5, 24.5, 3.8, 95},   {12.0, 26.5, 2.6, 55},
        {28.0, 12.5, 2.4, 50},  {5.5, 14.5, 2.4, -55},  // hollows
        {25.5, 17.5, 2.4, -45}, {15.5, 21.5, 1.8, -30},
    };
    std::vector<double> h(size_t(n) * n);
    for (int r = 0; r < n; ++r) {
        for (int c = 0; c < n; ++c) {
            double v = 90.0 + 95.0 * (TileFractal(c / 8.0, r / 8.0, 4, 3, 21) - 0.5);
            for (const Bump& b : bumps) {
                double d2 = ((c - b.c) * (c - b.c) + (r - b.r) * (r - b.r)) / (b.radius * b.radius);
                v += b.amount * std::exp(-d2 * 1.2);
            }
            h[size_t(r) * n + c] = v;
        }
    }
    for (const StartPoint& s : kStarts) {
        double sc = s.x / 60.0, sr = -s.z / 60.0;
        double level = std::min(std::max(h[size_t(int(sr)) * n + int(sc)], 95.0), 120.0);
        for (int r = 0; r < n; ++r) {
            for (int c = 0; c < n; ++c) {
                double d = std::sqrt((c + 0.5 - sc) * (c + 0.5 - sc) + (r + 0.5 - sr) * (r + 0.5 - sr));
                double& v = h[size_t(r) * n + c];
                v = Mix(v, level, 1.0 - SmoothStep(1.5, 4.0, d));
            }
        }
    }
    // The highest hill top takes 255; the rim (the outer grid points and
    // everything from the fall line x = 1800 / z = -1800 on) drops to 0, so
    // the platform reads as raised and its edge as a drop.
    double top = 0.0;
    for (double v : h) top = std::max(top, v);
    Image img(n, n);
    for (int r = 0; r < n; ++r) {
        for (int c = 0; c < n; ++c) {
            bool rim = c == 0 || r == 0 || c >= 30 || r >= 30;
            double v = rim ? 0.0 : h[size_t(r) * n + c] * 255.0 / top;
            uint8_t p = uint8_t(std::lround(std::min(std::max(v, 0.0), 255.0)));
            img.At(c, n - 1 - r) = {p, p, p};  // stored row r is image row n-1-r
        }
    }
    return WriteBmp(dir + "/t1.bmp", img);
}

// ------------------------------------------------------------------ sky

// The sky box is fixed to the eye, so the player only ever sees the middle
// of its far face. Each point is painted for the direction it is seen in
// from there: a cloud layer above, a sea of cloud far below the platform.
Colour SkyAt(double s, double t) {
    const Vec3 sun = Normalize({0.45, 0.42, -1.0});
    const Colour zenith{0.13, 0.32, 0.68}, horizon{0.70, 0.80, 0.90};
    const Colour abyss{0.30, 0.42, 0.62}, rimColour{0.36, 0.55, 0.82};
    // Far face of the 2000-unit box centred at (234, -155, -319) in eye space.
    Vec3 d = Normalize({-766.0 + 2000.0 * s, -1155.0 + 2000.0 * t, -1319.0});
    Colour c;
    if (d.y > 0.0) {
        c = Mix(horizon, zenith, std::pow(Clamp01(std::asin(d.y) / 0.9), 0.55));
        // Cloud layer: project onto a plane above, sample tiling noise there.
        double k = 1.0 / std::max(d.y, 0.02);
        double px = d.x * k * 0.9 + 3.0, pz = d.z * k * 0.9 + 7.0;
        double shape = TileFractal(px, pz, 16, 5, 31);
        double cover = SmoothStep(0.50, 0.68, shape);
        double ahead = TileFractal(px + sun.x * 0.12, pz + sun.z * 0.12, 16, 5, 31);
        double lit = Clamp01(0.75 + (shape - ahead) * 6.0);
        Colour cloud = Mix(Colour{0.62, 0.66, 0.74}, Colour{1.0, 0.99, 0.96}, lit);
        c = Mix(c, cloud, cover * SmoothStep(0.02, 0.25, d.y) * 0.95);
    } else {
        // A sea of cloud a long way down: bright tops, blue gaps, haze at distance.
        double down = -d.y;
        double k = 1.0 / std::max(down, 0.02);
        double px = d.x * k * 0.6 + 11.0, pz = d.z * k * 0.6 + 5.0;
        double shape = TileFractal(px, pz, 16, 5, 47);
        double ahead = TileFractal(px + 0.1, pz - 0.1, 16, 5, 47);
        double cover = SmoothStep(0.38, 0.60, shape);
        double lit = Clamp01(0.7 + (shape - ahead) * 5.0);
        Colour sea = Mix(Colour{0.70, 0.76, 0.86}, Colour{0.98, 0.98, 0.97}, lit);
        c = Mix(abyss, sea, cover);
        c = Mix(c, horizon, 1.0 - SmoothStep(0.0, 0.12, down) * (1.0 - std::exp(-down * 6.0)));
    }
    // Soft sun glow in the upper right of the view.
    double sunDot = std::max(Dot(d, sun), 0.0);
    c = c + Colour{1.0, 0.92, 0.75} * (0.55 * std::pow(sunDot, 400.0) + 0.18 * std::pow(sunDot, 20.0));
    // Every face of the box shows this picture, turned; a common rim colour
    // keeps the seams between faces out of sight.
    double edge = std::min(std::min(s, 1.0 - s), std::min(t, 1.0 - t));
    return Mix(rimColour, c, SmoothStep(0.0, 0.02, edge));
}

bool MakeSky(const std::string& dir) {
    const int n = 512, ss = 2;
    Image img(n, n);
    for (int j = 0; j < n; ++j) {
        for (int i = 0; i < n; ++i) {
            // Averaged sub-samples: the noise gets very fine toward the horizon.
            Colour sum{0, 0, 0};
            for (int sj = 0; sj < ss; ++sj)
                for (int si = 0; si < ss; ++si)
                    sum = sum + SkyAt((i + (si + 0.5) / ss) / n, 1.0 - (j + (sj + 0.5) / ss) / n);
            img.At(i, j) = ToRgb(sum * (1.0 / (ss * ss)));  // image row 0 is the top, t = 1
        }
    }
    return WriteBmp(dir + "/sky.bmp", img);
}

// ------------------------------------------------------------- particle

bool MakeParticle(const std::string& dir) {
    const int n = 64;
    Image img(n, n);
    for (int y = 0; y < n; ++y) {
        for (int x = 0; x < n; ++x) {
            double dx = (x + 0.5 - n / 2.0) / (n / 2.0), dy = (y + 0.5 - n / 2.0) / (n / 2.0);
            double d2 = dx * dx + dy * dy;
            double glow = 0.75 * std::exp(-d2 * 6.0) + 0.35 * std::exp(-d2 * 40.0);
            // Exactly black at the rim: the sprite is added to the scene.
            glow *= 1.0 - SmoothStep(0.7, 1.0, std::sqrt(d2));
            uint8_t v = ToByte(glow);
            img.At(x, y) = {v, v, v};
        }
    }
    return WriteBmp(dir + "/particle.bmp", img);
}

// -------------------------------------------------------------- overlay

// The held blaster, as a distance field in its own frame: x right, y up,
// z along the barrel. Material: 0 body, 1 rail and trim, 2 barrel, 3 glow.
double RoundBox(Vec3 p, Vec3 half, double radius) {
    Vec3 q{std::fabs(p.x) - half.x + radius, std::fabs(p.y) - half.y + radius, std::fabs(p.z) - half.z + radius};
    Vec3 outside{std::max(q.x, 0.0), std::max(q.y, 0.0), std::max(q.z, 0.0)};
    return Length(outside) + std::min(std::max(q.x, std::max(q.y, q.z)), 0.0) - radius;
}

double CylinderZ(Vec3 p, double radius, double halfLength) {
    double dr = std::sqrt(p.x * p.x + p.y * p.y) - radius;
    double dz = std::fabs(p.z) - halfLength;
    return std::min(std::max(dr, dz), 0.0) +
           std::sqrt(std::max(dr, 0.0) * std::max(dr, 0.0) + std::max(dz, 0.0) * std::max(dz, 0.0));
}

double TorusZ(Vec3 p, double major, double minor) {
    double q = std::sqrt(p.x * p.x + p.y * p.y) - major;
    return std::sqrt(q * q + p.z * p.z) - minor;
}

struct Hit {
    double distance;
    int material;
};

Hit Blaster(Vec3 p) {
    Hit h{1e9, 0};
    auto take = [&h](double d, int m) {
        if (d < h.distance) h = {d, m};
    };
    // Receiver, with a groove along each side and a bevelled nose.
    double body = RoundBox(p - Vec3{0, 0, -0.3}, {0.07, 0.064, 0.5}, 0.026);
    double groove = RoundBox(p - Vec3{0, -0.018, -0.25}, {0.085, 0.006, 0.4}, 0.002);
    double nose = Dot(p - Vec3{0, 0.064, 0.16}, Normalize({0, 1, 0.9}));
    body = std::max(std::max(body, -groove), nose);
    take(body, 0);
    // Top cover in a lighter finish.
    take(RoundBox(p - Vec3{0, 0.058, -0.32}, {0.062, 0.012, 0.4}, 0.008), 1);
    // Barrel shroud, barrel and muzzle.
    take(CylinderZ(p - Vec3{0, 0.0, 0.26}, 0.046, 0.07), 0);
    Vec3 bp = p - Vec3{0, 0.0, 0.5};
    take(CylinderZ(bp, 0.028, 0.2), 2);
    Vec3 mp = p - Vec3{0, 0.0, 0.7};
    double muzzle = std::max(CylinderZ(mp, 0.04, 0.03), -CylinderZ(mp, 0.017, 0.05));
    take(muzzle, 1);
    // Three energy coils round the barrel.
    for (int k = 0; k < 3; ++k) take(TorusZ(bp - Vec3{0, 0, -0.08 + 0.085 * k}, 0.03, 0.0075), 3);
    // Sight rail and front post.
    take(RoundBox(p - Vec3{0, 0.078, -0.3}, {0.016, 0.014, 0.3}, 0.005), 2);
    take(RoundBox(p - Vec3{0, 0.06, 0.31}, {0.006, 0.03, 0.01}, 0.003), 2);
    // Charge cells behind a slot in the side facing the middle of the view.
    for (int k = 0; k < 5; ++k)
        take(RoundBox(p - Vec3{-0.066, 0.02, -0.36 + 0.075 * k}, {0.007, 0.011, 0.026}, 0.004), 3);
    return h;
}

struct GunPose {
    Vec3 origin, right, up, forward;
    Vec3 ToLocal(Vec3 p) const {
        Vec3 q = p - origin;
        return {Dot(q, right), Dot(q, up), Dot(q, forward)};
    }
};

GunPose MakeGunPose() {
    GunPose g;
    g.origin = {0.28, -0.25, -0.82};
    g.forward = Normalize(Vec3{0.0, -0.05, -8.0} - g.origin);
    Vec3 right = Normalize(Cross(g.forward, {0, 1, 0}));
    Vec3 up = Cross(right, g.forward);
    // A slight cant toward the middle of the view.
    double roll = -0.12;
    g.right = right * std::cos(roll) + up * std::sin(roll);
    g.up = up * std::cos(roll) - right * std::sin(roll);
    return g;
}

// Shaded colour of one eye ray, or alpha 0 if it misses the blaster.
struct Sample {
    Colour colour;
    double alpha;
};

Sample ShadeRay(const GunPose& gun, Vec3 dir) {
    Vec3 origin{0, 0, 0};
    Vec3 ld = gun.ToLocal(origin + dir) - gun.ToLocal(origin);
    Vec3 lo = gun.ToLocal(origin);
    double t = 0.3;
    for (int step = 0; step < 160 && t < 2.5; ++step) {
        Vec3 p = lo + ld * t;
        Hit h = Blaster(p);
        if (h.distance < 0.0004) {
            const double e = 0.0005;
            Vec3 nrm = Normalize({Blaster(p + Vec3{e, 0, 0}).distance - Blaster(p - Vec3{e, 0, 0}).distance,
                                  Blaster(p + Vec3{0, e, 0}).distance - Blaster(p - Vec3{0, e, 0}).distance,
                                  Blaster(p + Vec3{0, 0, e}).distance - Blaster(p - Vec3{0, 0, e}).distance});
            // Lights in the gun's frame: key from the upper left, fill from below.
            Vec3 key = Normalize(gun.ToLocal(Vec3{-0.6, 0.9, 0.5}) - gun.ToLocal(origin));
            Vec3 view = ld * -1.0;
            double diffuse = std::max(Dot(nrm, key), 0.0);
            double fill = std::max(-nrm.y, 0.0) * 0.25 + 0.2;
            Vec3 halfway = Normalize(key + view);
            double rim = std::pow(1.0 - std::max(Dot(nrm, view), 0.0), 3.0);
            // Cheap occlusion from the field along the normal.
            double occ = 0.0;
            for (int k = 1; k <= 4; ++k) {
                double dk = 0.008 * k;
                occ += (dk - Blaster(p + nrm * dk).distance) / double(k);
            }
            occ = Clamp01(1.0 - occ * 40.0);
            Colour c;
            if (h.material == 3) {
                double core = std::pow(std::max(Dot(nrm, view), 0.0), 1.5);
                c = Mix(Colour{0.55, 0.06, 0.03}, Colour{1.0, 0.62, 0.38}, core);
            } else {
                Colour albedo = h.material == 0   ? Colour{0.17, 0.18, 0.20}
                                : h.material == 1 ? Colour{0.42, 0.40, 0.36}
                                                  : Colour{0.08, 0.08, 0.09};
                double shine = h.material == 1 ? 40.0 : 90.0;
                double specular = std::pow(std::max(Dot(nrm, halfway), 0.0), shine) * (h.material == 1 ? 0.35 : 0.7);
                // Metal picks up the sky above and the dark ground below.
                Vec3 refl = view * -1.0 + nrm * (2.0 * Dot(nrm, view));
                Vec3 worldRefl = gun.right * refl.x + gun.up * refl.y + gun.forward * refl.z;
                Colour env = worldRefl.y > 0 ? Mix(Colour{0.45, 0.55, 0.68}, Colour{0.25, 0.40, 0.65}, worldRefl.y)
                                             : Mix(Colour{0.30, 0.33, 0.30}, Colour{0.12, 0.13, 0.12}, -worldRefl.y);
                double fresnel = 0.15 + 0.5 * rim;
                c = albedo * ((diffuse * 0.9 + fill) * occ) + Colour{1, 0.97, 0.92} * (specular * occ) +
                    env * (fresnel * occ * (h.material == 1 ? 0.5 : 1.0));
                // Red spill from the coils onto the barrel and shroud.
                double coilDistance = 1.0;
                for (int k = 0; k < 3; ++k)
                    coilDistance = std::min(coilDistance, TorusZ(p - Vec3{0, 0, 0.42 + 0.085 * k}, 0.03, 0.0075));
                c = c + Colour{0.8, 0.12, 0.04} * (0.35 * std::exp(-std::max(coilDistance, 0.0) * 70.0));
            }
            return {c, 1.0};
        }
        t += h.distance * 0.9;
    }
    return {{0, 0, 0}, 0.0};
}

// Coverage of flat sight marks at a screen point (800 x 600, y down).
Sample Marks(double x, double y) {
    Sample out{{0, 0, 0}, 0.0};
    auto over = [&out](Colour c, double a) {
        out.colour = c * a + out.colour * (1.0 - a);
        out.alpha = a + out.alpha * (1.0 - a);
    };
    // Crosshair: broken ring and four ticks, where the shots go.
    double dx = x - 400.0, dy = y - 300.0;
    double r = std::sqrt(dx * dx + dy * dy);
    const Colour sight{0.55, 1.0, 0.70};
    double angle = std::atan2(dy, dx);
    double gap = std::fabs(std::sin(2.0 * angle)) > 0.25 ? 1.0 : 0.0;
    if (std::fabs(r - 9.0) < 1.2 && gap > 0.0) over(sight, 0.85);
    bool tickX = std::fabs(dy) < 1.1 && std::fabs(dx) > 14.0 && std::fabs(dx) < 24.0;
    bool tickY = std::fabs(dx) < 1.1 && std::fabs(dy) > 14.0 && std::fabs(dy) < 24.0;
    if (tickX || tickY) over(sight, 0.85);
    if (r < 1.6) over(sight, 0.9);
    // Visor frame: brackets in the four corners.
    const Colour frame{0.50, 0.80, 1.0};
    double cx = std::min(x, 800.0 - x), cy = std::min(y, 600.0 - y);
    bool armH = cy >= 22.0 && cy < 25.5 && cx >= 26.0 && cx < 96.0;
    bool armV = cx >= 26.0 && cx < 29.5 && cy >= 22.0 && cy < 82.0;
    if (armH || armV) over(frame, 0.6);
    return out;
}

bool MakeOverlay(const std::string& dir) {
    const int n = 512;
    const double sw = 800.0, sh = 600.0;
    const double tanHalf = std::tan(22.5 * kPi / 180.0), aspect = sw / sh;
    GunPose gun = MakeGunPose();
    auto rayAt = [&](double x, double y) {
        return Normalize({(x / sw * 2.0 - 1.0) * tanHalf * aspect, (1.0 - y / sh * 2.0) * tanHalf, -1.0});
    };
    // One ray per texel first; texels on an edge are then supersampled.
    std::vector<Sample> centre(size_t(n) * n);
    for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i) {
            double x = (i + 0.5) * sw / n, y = (j + 0.5) * sh / n;
            // The blaster stays in the lower right; no ray elsewhere can reach it.
            centre[size_t(j) * n + i] = (x > 300 && y > 300) ? ShadeRay(gun, rayAt(x, y)) : Sample{{0, 0, 0}, 0};
        }
    Image picture(n, n), mask(n, n);
    const int ss = 4;
    for (int j = 0; j < n; ++j) {
        for (int i = 0; i < n; ++i) {
            // Outline or a sharp change of shade next door: worth more rays.
            bool edge = false;
            const Sample& here = centre[size_t(j) * n + i];
            for (int oj = -1; oj <= 1 && !edge; ++oj)
                for (int oi = -1; oi <= 1; ++oi) {
                    int ii = std::min(std::max(i + oi, 0), n - 1), jj = std::min(std::max(j + oj, 0), n - 1);
                    const Sample& there = centre[size_t(jj) * n + ii];
                    Colour d = there.colour - here.colour;
                    if (there.alpha != here.alpha || std::max({std::fabs(d.r), std::fabs(d.g), std::fabs(d.b)}) > 0.12)
                        edge = true;
                }
            Colour sum{0, 0, 0};
            double alpha = 0.0;
            for (int sj = 0; sj < ss; ++sj) {
                for (int si = 0; si < ss; ++si) {
                    double x = (i + (si + 0.5) / ss) * sw / n, y = (j + (sj + 0.5) / ss) * sh / n;
                    Sample g = edge ? ShadeRay(gun, rayAt(x, y)) : centre[size_t(j) * n + i];
                    Sample m = Marks(x, y);
                    // Marks sit on the visor, in front of the blaster.
                    Colour c = m.colour + g.colour * g.alpha * (1.0 - m.alpha);
                    double a = m.alpha + g.alpha * (1.0 - m.alpha);
                    sum = sum + c;
                    alpha += a;
                }
            }
            sum = sum * (1.0 / (ss * ss));
            alpha /= ss * ss;
            // Picture is premultiplied: black wherever the mask lets the scene through.
            picture.At(i, j) = ToRgb(sum);
            uint8_t m = ToByte(1.0 - alpha);
            mask.At(i, j) = {m, m, m};
        }
    }
    return WriteBmp(dir + "/va.bmp", picture) && WriteBmp(dir + "/vb.bmp", mask);
}

}  // namespace

bool MakeImages(const std::string& dir) {
    bool ok = MakeGrass(dir);
    ok = MakeHeightmap(dir) && ok;
    ok = MakeSky(dir) && ok;
    ok = MakeParticle(dir) && ok;
    ok = MakeOverlay(dir) && ok;
    return ok;
}
