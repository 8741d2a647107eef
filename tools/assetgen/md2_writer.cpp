#include "md2_writer.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <utility>

#include "common/bytes.h"
#include "common/md2.h"

namespace {

// 162 directions for the vertex normal index: an icosahedron split twice.
std::vector<Vec3> NormalTable() {
    const double g = (1 + std::sqrt(5.0)) / 2;
    std::vector<Vec3> v = {{-1, g, 0},  {1, g, 0},  {-1, -g, 0}, {1, -g, 0}, {0, -1, g},  {0, 1, g},
                           {0, -1, -g}, {0, 1, -g}, {g, 0, -1},  {g, 0, 1},  {-g, 0, -1}, {-g, 0, 1}};
    std::vector<std::array<int, 3>> f = {{0, 11, 5}, {0, 5, 1},  {0, 1, 7},   {0, 7, 10}, {0, 10, 11},
                                         {1, 5, 9},  {5, 11, 4}, {11, 10, 2}, {10, 7, 6}, {7, 1, 8},
                                         {3, 9, 4},  {3, 4, 2},  {3, 2, 6},   {3, 6, 8},  {3, 8, 9},
                                         {4, 9, 5},  {2, 4, 11}, {6, 2, 10},  {8, 6, 7},  {9, 8, 1}};
    for (Vec3& p : v) p = Normalize(p);
    for (int level = 0; level < 2; ++level) {
        std::map<std::pair<int, int>, int> mid;
        auto midpoint = [&](int a, int b) {
            auto key = std::make_pair(std::min(a, b), std::max(a, b));
            auto it = mid.find(key);
            if (it != mid.end()) return it->second;
            v.push_back(Normalize(v[size_t(a)] + v[size_t(b)]));
            mid[key] = int(v.size()) - 1;
            return int(v.size()) - 1;
        };
        std::vector<std::array<int, 3>> next;
        for (const auto& t : f) {
            int ab = midpoint(t[0], t[1]), bc = midpoint(t[1], t[2]), ca = midpoint(t[2], t[0]);
            next.push_back({t[0], ab, ca});
            next.push_back({t[1], bc, ab});
            next.push_back({t[2], ca, bc});
            next.push_back({ab, bc, ca});
        }
        f = next;
    }
    return v;
}

}  // namespace

std::vector<uint8_t> EncodeMd2(const Md2Source& model) {
    const std::vector<Vec3> table = NormalTable();
    RawMd2 raw;
    raw.skinWidth = model.skinWidth;
    raw.skinHeight = model.skinHeight;
    raw.skins = {model.skinName};
    for (const Md2Source::TexCoord& e : model.texCoords) raw.texCoords.push_back({int16_t(e.s), int16_t(e.t)});
    for (const Md2Source::Triangle& t : model.triangles)
        raw.triangles.push_back({{uint16_t(t.xyz[0]), uint16_t(t.xyz[1]), uint16_t(t.xyz[2])},
                                 {uint16_t(t.st[0]), uint16_t(t.st[1]), uint16_t(t.st[2])}});

    for (const Md2Source::Frame& frame : model.frames) {
        const std::vector<Vec3>& pos = frame.vertices;
        std::vector<Vec3> nrm(pos.size());
        for (const Md2Source::Triangle& t : model.triangles) {
            Vec3 a = pos[size_t(t.xyz[0])], b = pos[size_t(t.xyz[1])], c = pos[size_t(t.xyz[2])];
            Vec3 f = Cross(c - a, b - a);
            for (int k = 0; k < 3; ++k) nrm[size_t(t.xyz[k])] = nrm[size_t(t.xyz[k])] + f;
        }
        RawMd2::Frame& out = raw.frames.emplace_back();
        out.name = frame.name;
        // File axes: 0 = x, 1 = z, 2 = y (up).
        auto fileAxis = [](Vec3 p, int axis) { return axis == 0 ? p.x : (axis == 1 ? p.z : p.y); };
        double lo[3], hi[3], scale[3];
        for (int axis = 0; axis < 3; ++axis) {
            lo[axis] = 1e9, hi[axis] = -1e9;
            for (const Vec3& p : pos) {
                lo[axis] = std::min(lo[axis], fileAxis(p, axis));
                hi[axis] = std::max(hi[axis], fileAxis(p, axis));
            }
            scale[axis] = hi[axis] > lo[axis] ? (hi[axis] - lo[axis]) / 255.0 : 1.0;
            out.scale[axis] = float(scale[axis]);
            out.translate[axis] = float(lo[axis]);
        }
        for (size_t i = 0; i < pos.size(); ++i) {
            std::array<uint8_t, 4> v;
            for (int axis = 0; axis < 3; ++axis) {
                long q = std::lround((fileAxis(pos[i], axis) - lo[axis]) / scale[axis]);
                v[size_t(axis)] = uint8_t(std::min(255L, std::max(0L, q)));
            }
            Vec3 n = Normalize(nrm[i]);
            Vec3 fileN{n.x, n.z, n.y};
            int best = 0;
            for (size_t j = 1; j < table.size(); ++j)
                if (Dot(table[j], fileN) > Dot(table[size_t(best)], fileN)) best = int(j);
            v[3] = uint8_t(best);
            out.vertices.push_back(v);
        }
    }

    // GL commands: each strip as its vertex count (positive: a strip), then
    // s and t as fractions of the skin and the vertex index; 0 ends the list.
    for (const std::vector<Md2Source::Corner>& strip : model.strips) {
        PutI32(raw.glCommands, int(strip.size()));
        for (const Md2Source::Corner& c : strip) {
            PutF32(raw.glCommands, float(model.texCoords[size_t(c.st)].s / double(model.skinWidth)));
            PutF32(raw.glCommands, float(model.texCoords[size_t(c.st)].t / double(model.skinHeight)));
            PutI32(raw.glCommands, c.xyz);
        }
    }
    PutI32(raw.glCommands, 0);
    return BuildMd2(raw);
}
