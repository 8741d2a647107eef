// Test helpers for the monster tests: MD2 files written byte by byte (so
// header fields can be made to lie on purpose), a box-shaped monster model
// with known bounds, and a two-colour skin.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "scenery_fixture.h"
#include "monsters/md2.h"

// Byte offsets of header fields, for patching.
enum Md2Field {
    kIdentAt = 0, kVersionAt = 4, kFrameSizeAt = 16, kNumXyzAt = 24, kNumStAt = 28, kNumTrisAt = 32,
    kNumFramesAt = 40, kOfsStAt = 48, kOfsTrisAt = 52, kOfsFramesAt = 56,
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

inline void PutI32(std::vector<uint8_t>& out, size_t at, int32_t v) { PutU32(out, at, uint32_t(v)); }
inline void PutF32(std::vector<uint8_t>& out, size_t at, float f) {
    uint32_t bits;
    std::memcpy(&bits, &f, 4);
    PutU32(out, at, bits);
}

// Layout: header, texture coordinates, triangles, frames.
inline std::vector<uint8_t> BuildMd2(const Md2Spec& m) {
    const int32_t numXyz = int32_t(m.vertices.size());
    const int32_t frameSize = 40 + 4 * numXyz;
    const int32_t ofsSt = 68;
    const int32_t ofsTris = ofsSt + 4 * int32_t(m.texCoords.size());
    const int32_t ofsFrames = ofsTris + 12 * int32_t(m.triangles.size());
    std::vector<uint8_t> out(size_t(ofsFrames + frameSize * m.frames), 0);
    std::memcpy(out.data(), "IDP2", 4);
    const int32_t fields[16] = {8, 64, 64, frameSize, 0, numXyz, int32_t(m.texCoords.size()),
                                int32_t(m.triangles.size()), 0, m.frames, 68, ofsSt, ofsTris, ofsFrames,
                                int32_t(out.size()), int32_t(out.size())};
    for (int i = 0; i < 16; ++i) PutI32(out, 4 + 4 * size_t(i), fields[i]);
    // The records as the file lays them out, on a little-endian host.
    static_assert(sizeof(Md2TexCoord) == 4 && sizeof(Md2Triangle) == 12);
    if (!m.texCoords.empty()) std::memcpy(&out[size_t(ofsSt)], m.texCoords.data(), 4 * m.texCoords.size());
    if (!m.triangles.empty()) std::memcpy(&out[size_t(ofsTris)], m.triangles.data(), 12 * m.triangles.size());
    for (int f = 0; f < m.frames; ++f) {
        const size_t at = size_t(ofsFrames) + size_t(f) * size_t(frameSize);
        float scale[3], translate[3];
        m.transform(f, scale, translate);
        for (int a = 0; a < 3; ++a) {
            PutF32(out, at + 4 * size_t(a), scale[a]);
            PutF32(out, at + 12 + 4 * size_t(a), translate[a]);
        }
        for (size_t j = 0; j < m.vertices.size(); ++j)
            for (int a = 0; a < 3; ++a) out[at + 40 + 4 * j + size_t(a)] = m.vertices[j][size_t(a)];
    }
    return out;
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

inline std::string Bytes(const std::vector<uint8_t>& v) { return std::string(v.begin(), v.end()); }
