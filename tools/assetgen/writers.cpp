#include "writers.h"

#include <cmath>
#include <cstdio>
#include <cstring>

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        std::fprintf(stderr, "orvanthe-assetgen: cannot write %s\n", path.c_str());
        return false;
    }
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = (std::fclose(f) == 0) && ok;
    if (!ok) std::fprintf(stderr, "orvanthe-assetgen: short write to %s\n", path.c_str());
    return ok;
}

void PutU16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

void PutU32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
}

void PutI32(std::vector<uint8_t>& out, int32_t v) { PutU32(out, uint32_t(v)); }

void PutF32(std::vector<uint8_t>& out, float v) {
    uint32_t bits;
    std::memcpy(&bits, &v, 4);
    PutU32(out, bits);
}

bool WriteBmp(const std::string& path, const Image& image) {
    const uint32_t rowBytes = (uint32_t(image.width) * 3 + 3) & ~3u;
    const uint32_t imageBytes = rowBytes * uint32_t(image.height);
    std::vector<uint8_t> out;
    out.reserve(54 + imageBytes);
    out.push_back('B');
    out.push_back('M');
    PutU32(out, 54 + imageBytes);  // bfSize
    PutU32(out, 0);                // reserved
    PutU32(out, 54);               // bfOffBits
    PutU32(out, 40);               // biSize
    PutI32(out, image.width);
    PutI32(out, image.height);     // positive: bottom-up rows
    PutU16(out, 1);                // planes
    PutU16(out, 24);               // bits per pixel
    PutU32(out, 0);                // BI_RGB
    PutU32(out, imageBytes);
    PutI32(out, 2835);             // 72 dpi
    PutI32(out, 2835);
    PutU32(out, 0);
    PutU32(out, 0);
    for (int y = image.height - 1; y >= 0; --y) {
        for (int x = 0; x < image.width; ++x) {
            const Rgb& p = image.At(x, y);
            out.push_back(p.b);
            out.push_back(p.g);
            out.push_back(p.r);
        }
        for (uint32_t pad = uint32_t(image.width) * 3; pad < rowBytes; ++pad) out.push_back(0);
    }
    return WriteFile(path, out);
}

bool WriteWav(const std::string& path, const std::vector<int16_t>& samples, int sampleRate) {
    const uint32_t dataBytes = uint32_t(samples.size()) * 2;
    std::vector<uint8_t> out;
    out.reserve(44 + dataBytes);
    const char* riff = "RIFF";
    out.insert(out.end(), riff, riff + 4);
    PutU32(out, 36 + dataBytes);
    const char* wavefmt = "WAVEfmt ";
    out.insert(out.end(), wavefmt, wavefmt + 8);
    PutU32(out, 16);                       // fmt chunk size
    PutU16(out, 1);                        // PCM
    PutU16(out, 1);                        // mono
    PutU32(out, uint32_t(sampleRate));
    PutU32(out, uint32_t(sampleRate) * 2); // byte rate
    PutU16(out, 2);                        // block align
    PutU16(out, 16);                       // bits per sample
    const char* data = "data";
    out.insert(out.end(), data, data + 4);
    PutU32(out, dataBytes);
    for (int16_t s : samples) PutU16(out, uint16_t(s));
    return WriteFile(path, out);
}

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

static double LatticeValue(int x, int y, uint32_t seed) {
    uint32_t h = uint32_t(x) * 374761393u + uint32_t(y) * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return (h & 0xFFFFFF) / double(0xFFFFFF);
}

static double Smooth(double t) { return t * t * (3.0 - 2.0 * t); }

double TileNoise(double x, double y, int period, uint32_t seed) {
    double fx = std::floor(x), fy = std::floor(y);
    int ix = int(fx), iy = int(fy);
    double tx = Smooth(x - fx), ty = Smooth(y - fy);
    auto wrap = [period](int v) { return ((v % period) + period) % period; };
    double v00 = LatticeValue(wrap(ix), wrap(iy), seed);
    double v10 = LatticeValue(wrap(ix + 1), wrap(iy), seed);
    double v01 = LatticeValue(wrap(ix), wrap(iy + 1), seed);
    double v11 = LatticeValue(wrap(ix + 1), wrap(iy + 1), seed);
    double a = v00 + (v10 - v00) * tx;
    double b = v01 + (v11 - v01) * tx;
    return a + (b - a) * ty;
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
