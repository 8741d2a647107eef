// Test helpers for the monster tests: MD2 files from the tools' writer (their
// header fields patched to lie on purpose), a box-shaped monster model
// with known bounds, and a two-colour skin.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "common/md2.h"
#include "monsters/md2.h"
#include "scenery_fixture.h"

// Byte offsets of header fields, for patching.
enum Md2Field {
    kIdentAt = 0,
    kVersionAt = 4,
    kFrameSizeAt = 16,
    kNumXyzAt = 24,
    kNumStAt = 28,
    kNumTrisAt = 32,
    kNumFramesAt = 40,
    kOfsStAt = 48,
    kOfsTrisAt = 52,
    kOfsFramesAt = 56,
};

struct Md2Spec {
    int frames = 46;
    std::vector<std::array<uint8_t, 3>> vertices;  // file bytes, every frame
    std::vector<Md2Triangle> triangles;
    std::vector<Md2TexCoord> texCoords;
    // Scale and translate of frame f, file axes.
    std::function<void(int f, float scale[3], float translate[3])> transform = [](int, float s[3], float t[3]) {
        s[0] = s[1] = s[2] = 1.0f, t[0] = t[1] = t[2] = 0.0f;
    };
};

// Layout: header, texture coordinates, triangles, frames; a 64 x 64 skin size.
inline std::vector<uint8_t> BuildMd2(const Md2Spec& m) {
    RawMd2 raw;
    raw.skinWidth = raw.skinHeight = 64;
    for (const Md2TexCoord& c : m.texCoords) raw.texCoords.push_back({c.s, c.t});
    for (const Md2Triangle& t : m.triangles)
        raw.triangles.push_back(
            {{t.index_xyz[0], t.index_xyz[1], t.index_xyz[2]}, {t.index_st[0], t.index_st[1], t.index_st[2]}});
    raw.frames.resize(size_t(m.frames));
    for (int f = 0; f < m.frames; ++f) {
        m.transform(f, raw.frames[size_t(f)].scale, raw.frames[size_t(f)].translate);
        for (const auto& v : m.vertices) raw.frames[size_t(f)].vertices.push_back({v[0], v[1], v[2], 0});
    }
    return BuildMd2(raw);
}

inline Md2Triangle Tri(uint16_t a, uint16_t b, uint16_t c) {
    Md2Triangle t;
    t.index_xyz[0] = t.index_st[0] = a;
    t.index_xyz[1] = t.index_st[1] = b;
    t.index_xyz[2] = t.index_st[2] = c;
    return t;
}

// One triangle, its corners one apart along x from `first`, 46 frames.
inline Md2Spec Triangle(std::array<uint8_t, 3> first = {0, 0, 0}) {
    Md2Spec m;
    m.vertices = {first, {1, 0, 0}, {2, 0, 0}};
    m.texCoords.resize(3);
    m.triangles = {Tri(0, 1, 2)};
    return m;
}

// A box 20 wide (x and z) and 50 tall, from 23 below the origin to 27
// above: bounds (-10, -23, -10) to (10, 27, 10), collision half-width 10,
// half-height 50 - 20 = 30. Vertex j has file bytes (x, z, y) from its bits;
// its texture pair (vertex j's own) points at the skin's lower half for
// bottom corners and the upper half for top ones, on an 8 x 8 skin.
inline Md2Spec BoxModel() {
    Md2Spec m;
    for (int j = 0; j < 8; ++j) {
        m.vertices.push_back({uint8_t(j & 1 ? 20 : 0), uint8_t(j & 2 ? 20 : 0), uint8_t(j & 4 ? 50 : 0)});
        m.texCoords.push_back({4, int16_t(j & 4 ? 6 : 2)});
    }
    // Two triangles per face; winding does not matter, nothing is culled.
    const uint16_t faces[6][4] = {{0, 1, 3, 2}, {4, 5, 7, 6}, {0, 1, 5, 4}, {2, 3, 7, 6}, {0, 2, 6, 4}, {1, 3, 7, 5}};
    for (const auto& q : faces) {
        m.triangles.push_back(Tri(q[0], q[1], q[2]));
        m.triangles.push_back(Tri(q[0], q[2], q[3]));
    }
    m.transform = [](int, float s[3], float t[3]) { s[0] = s[1] = s[2] = 1.0f, t[0] = t[1] = -10.0f, t[2] = -23.0f; };
    return m;
}

// 8 x 8: the lower four rows (t < 0.5) one colour, the upper four another.
const Rgb kSkinLower{200, 40, 40};
const Rgb kSkinUpper{40, 200, 60};
inline std::vector<uint8_t> TwoColourSkin(int width = 8, int height = 8) {
    return MakeBmp(width, height, [height](int, int row) { return row < height / 2 ? kSkinLower : kSkinUpper; });
}
