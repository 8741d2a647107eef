// Math shared by the tools: scalars, vectors, colours, rotations. Everything
// is double and inline; the generator's output depends on these exact
// operations, so changing one changes the bytes of the assets built on it.
#pragma once

#include <cmath>
#include <cstdint>

constexpr double kPi = 3.14159265358979323846;

inline double Radians(double degrees) { return degrees * kPi / 180; }
inline double Clamp01(double v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }
inline double Mix(double a, double b, double t) { return a + (b - a) * t; }
// A fraction to a colour channel, clamped to 0..255.
inline uint8_t ToByte(double v) { return uint8_t(std::lround(Clamp01(v) * 255.0)); }
// 0 up to e0, 1 from e1, a smooth S between.
inline double SmoothStep(double e0, double e1, double v) {
    const double t = Clamp01((v - e0) / (e1 - e0));
    return t * t * (3 - 2 * t);
}

struct Vec3 {
    double x = 0, y = 0, z = 0;
};
inline Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 operator*(Vec3 a, double s) { return {a.x * s, a.y * s, a.z * s}; }
inline double Dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vec3 Cross(Vec3 a, Vec3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
inline double Length(Vec3 a) { return std::sqrt(Dot(a, a)); }
// A vector too short to have a direction gets straight up.
inline Vec3 Normalize(Vec3 a) {
    const double l = Length(a);
    return l > 1e-12 ? a * (1.0 / l) : Vec3{0, 1, 0};
}

struct Colour {
    double r = 0, g = 0, b = 0;
};
inline Colour operator+(Colour a, Colour b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
inline Colour operator-(Colour a, Colour b) { return {a.r - b.r, a.g - b.g, a.b - b.b}; }
inline Colour operator*(Colour a, double s) { return {a.r * s, a.g * s, a.b * s}; }
inline Colour Mix(Colour a, Colour b, double t) { return a + (b - a) * t; }

struct Mat3 {
    double m[3][3];
};
inline Mat3 Mul(const Mat3& a, const Mat3& b) {
    Mat3 r{};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) r.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j];
    return r;
}
inline Vec3 Apply(const Mat3& a, Vec3 v) {
    return {a.m[0][0] * v.x + a.m[0][1] * v.y + a.m[0][2] * v.z, a.m[1][0] * v.x + a.m[1][1] * v.y + a.m[1][2] * v.z,
            a.m[2][0] * v.x + a.m[2][1] * v.y + a.m[2][2] * v.z};
}
constexpr Mat3 kIdentity = {{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
// Right-handed rotations about one axis, in degrees.
inline Mat3 RotX(double degrees) {
    const double c = std::cos(Radians(degrees)), s = std::sin(Radians(degrees));
    return {{{1, 0, 0}, {0, c, -s}, {0, s, c}}};
}
inline Mat3 RotY(double degrees) {
    const double c = std::cos(Radians(degrees)), s = std::sin(Radians(degrees));
    return {{{c, 0, s}, {0, 1, 0}, {-s, 0, c}}};
}
inline Mat3 RotZ(double degrees) {
    const double c = std::cos(Radians(degrees)), s = std::sin(Radians(degrees));
    return {{{c, -s, 0}, {s, c, 0}, {0, 0, 1}}};
}

// p -> r p + t
struct Transform {
    Mat3 r;
    Vec3 t;
};
inline Transform Compose(const Transform& a, const Transform& b) { return {Mul(a.r, b.r), Apply(a.r, b.t) + a.t}; }
inline Vec3 Apply(const Transform& a, Vec3 p) { return Apply(a.r, p) + a.t; }
