// Deterministic randomness for the generators: same seed, same numbers, on
// every machine (no std:: distributions, whose output is
// implementation-defined).
#pragma once

#include <cstdint>

#include "common/maths.h"

class Random {
public:
    explicit Random(uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 1) {}
    uint32_t Next();
    double Unit();                       // [0, 1)
    double Range(double lo, double hi);  // [lo, hi)
private:
    uint64_t state_;
};

// Smooth value noise in [0, 1], tileable with the given period (in lattice cells).
double TileNoise(double x, double y, int period, uint32_t seed);
// Sum of octaves of TileNoise, each octave doubling the period; result in [0, 1].
double TileFractal(double x, double y, int period, int octaves, uint32_t seed);

// Smooth value noise in [0, 1] over space, one lattice cell per unit.
double Noise3(Vec3 p, uint32_t seed);
// Octaves of Noise3, each about twice as fine; result in [0, 1].
double Fbm3(Vec3 p, int octaves, uint32_t seed);
// Distances to the nearest and second-nearest of points scattered one per
// cell: f2 - f1 is small along the borders between cells (scales, plates).
void Cells(Vec3 p, double& f1, double& f2);
