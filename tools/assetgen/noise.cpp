#include "noise.h"

#include <cmath>

namespace {

// The S-curve between lattice values, flat at both ends.
double Fade(double t) { return t * t * (3 - 2 * t); }

double LatticeValue(int x, int y, uint32_t seed) {
    uint32_t h = uint32_t(x) * 374761393u + uint32_t(y) * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return (h & 0xFFFFFF) / double(0xFFFFFF);
}

uint32_t Hash(int x, int y, int z, uint32_t seed) {
    uint32_t h = uint32_t(x) * 73856093u ^ uint32_t(y) * 19349663u ^ uint32_t(z) * 83492791u ^ seed * 2654435761u;
    h ^= h >> 15;
    h *= 2246822519u;
    h ^= h >> 13;
    h *= 3266489917u;
    h ^= h >> 16;
    return h;
}

double HashUnit(int x, int y, int z, uint32_t seed) { return (Hash(x, y, z, seed) & 0xFFFFFF) / double(0xFFFFFF); }

}  // namespace

uint32_t Random::Next() {
    // PCG-XSH-RR
    uint64_t old = state_;
    state_ = old * 6364136223846793005ull + 1442695040888963407ull;
    uint32_t xorshifted = uint32_t(((old >> 18u) ^ old) >> 27u);
    uint32_t rot = uint32_t(old >> 59u);
    return (xorshifted >> rot) | (xorshifted << ((32 - rot) & 31));
}

double Random::Unit() { return Next() / 4294967296.0; }

double Random::Range(double lo, double hi) { return lo + (hi - lo) * Unit(); }

double TileNoise(double x, double y, int period, uint32_t seed) {
    double fx = std::floor(x), fy = std::floor(y);
    int ix = int(fx), iy = int(fy);
    double tx = Fade(x - fx), ty = Fade(y - fy);
    auto wrap = [period](int v) { return ((v % period) + period) % period; };
    double v00 = LatticeValue(wrap(ix), wrap(iy), seed);
    double v10 = LatticeValue(wrap(ix + 1), wrap(iy), seed);
    double v01 = LatticeValue(wrap(ix), wrap(iy + 1), seed);
    double v11 = LatticeValue(wrap(ix + 1), wrap(iy + 1), seed);
    return Mix(Mix(v00, v10, tx), Mix(v01, v11, tx), ty);
}

double TileFractal(double x, double y, int period, int octaves, uint32_t seed) {
    double sum = 0.0, amplitude = 1.0, total = 0.0, scale = 1.0;
    for (int o = 0; o < octaves; ++o) {
        sum += amplitude * TileNoise(x * scale, y * scale, period * int(scale), seed + uint32_t(o) * 101u);
        total += amplitude;
        amplitude *= 0.5;
        scale *= 2.0;
    }
    return sum / total;
}

double Noise3(Vec3 p, uint32_t seed) {
    int ix = int(std::floor(p.x)), iy = int(std::floor(p.y)), iz = int(std::floor(p.z));
    double fx = Fade(p.x - ix), fy = Fade(p.y - iy), fz = Fade(p.z - iz);
    double c[2][2][2];
    for (int a = 0; a < 2; ++a)
        for (int b = 0; b < 2; ++b)
            for (int d = 0; d < 2; ++d) c[a][b][d] = HashUnit(ix + a, iy + b, iz + d, seed);
    double x00 = Mix(c[0][0][0], c[1][0][0], fx), x10 = Mix(c[0][1][0], c[1][1][0], fx);
    double x01 = Mix(c[0][0][1], c[1][0][1], fx), x11 = Mix(c[0][1][1], c[1][1][1], fx);
    return Mix(Mix(x00, x10, fy), Mix(x01, x11, fy), fz);
}

double Fbm3(Vec3 p, int octaves, uint32_t seed) {
    double sum = 0, amp = 1, total = 0;
    for (int o = 0; o < octaves; ++o) {
        sum += amp * Noise3(p, seed + uint32_t(o) * 31u);
        total += amp;
        amp *= 0.5;
        p = p * 2.03;
    }
    return sum / total;
}

void Cells(Vec3 p, double& f1, double& f2) {
    int ix = int(std::floor(p.x)), iy = int(std::floor(p.y)), iz = int(std::floor(p.z));
    f1 = f2 = 9;
    for (int a = -1; a <= 1; ++a)
        for (int b = -1; b <= 1; ++b)
            for (int c = -1; c <= 1; ++c) {
                int cx = ix + a, cy = iy + b, cz = iz + c;
                Vec3 q{cx + HashUnit(cx, cy, cz, 7), cy + HashUnit(cx, cy, cz, 8), cz + HashUnit(cx, cy, cz, 9)};
                double d = Length(q - p);
                if (d < f1) {
                    f2 = f1;
                    f1 = d;
                } else if (d < f2) {
                    f2 = d;
                }
            }
}
