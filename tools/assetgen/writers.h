// File writers and a deterministic random source shared by the generators.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A pixel as the generators build it; rows are given top row first.
struct Rgb {
    uint8_t r, g, b;
};

struct Image {
    int width = 0;
    int height = 0;
    std::vector<Rgb> pixels;  // width * height, top row first

    Image(int w, int h) : width(w), height(h), pixels(size_t(w) * size_t(h), Rgb{0, 0, 0}) {}
    Rgb& At(int x, int y) { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
    const Rgb& At(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
};

// 24-bit uncompressed, bottom-up, rows padded to four bytes.
bool WriteBmp(const std::string& path, const Image& image);

// 16-bit signed mono PCM.
bool WriteWav(const std::string& path, const std::vector<int16_t>& samples, int sampleRate);

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes);

// Little-endian appenders for binary formats.
void PutU16(std::vector<uint8_t>& out, uint16_t v);
void PutU32(std::vector<uint8_t>& out, uint32_t v);
void PutI32(std::vector<uint8_t>& out, int32_t v);
void PutF32(std::vector<uint8_t>& out, float v);

// Same seed, same sequence, on every machine (no std:: distributions, whose
// output is implementation-defined).
class Random {
public:
    explicit Random(uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 1) {}
    uint32_t Next();
    double Unit();                        // [0, 1)
    double Range(double lo, double hi);   // [lo, hi)
private:
    uint64_t state_;
};

// Smooth value noise in [0, 1], tileable with the given period (in lattice cells).
double TileNoise(double x, double y, int period, uint32_t seed);
// Sum of octaves of TileNoise, each octave doubling the period; result in [0, 1].
double TileFractal(double x, double y, int period, int octaves, uint32_t seed);
