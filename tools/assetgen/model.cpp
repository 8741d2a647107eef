// The monster (tris2.md2) and its skin (model.bmp).
//
// A hunched, horned, long-armed beast. Its surface is a set of tubes (rings of
// vertices) skinned to a small skeleton; every keyframe poses the skeleton and
// bakes the result. The skin is painted from the same rest-pose surface, texel
// by texel, so paint and geometry always agree. The game draws the model
// unlit, so light and shadow are painted into the skin.
//
// Axes while building: x forward (the game turns the model's +x toward the
// player), y up, z to the creature's right. The file stores (x, z, y).
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "assets.h"
#include "writers.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kSkinSize = 256;
constexpr double kGroundY = -23.0;  // the game keeps the origin 23 units above the terrain

// ---------------------------------------------------------------- math

struct V3 {
    double x = 0, y = 0, z = 0;
};
V3 operator+(V3 a, V3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
V3 operator-(V3 a, V3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
V3 operator*(V3 a, double s) { return {a.x * s, a.y * s, a.z * s}; }
double Dot(V3 a, V3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
V3 Cross(V3 a, V3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
double Len(V3 a) { return std::sqrt(Dot(a, a)); }
V3 Norm(V3 a) {
    double l = Len(a);
    return l > 1e-12 ? a * (1.0 / l) : V3{0, 1, 0};
}
V3 MirrorZ(V3 a) { return {a.x, a.y, -a.z}; }
double Clamp01(double v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }
double Mix(double a, double b, double t) { return a + (b - a) * t; }
double SmoothStep(double a, double b, double v) {
    double t = Clamp01((v - a) / (b - a));
    return t * t * (3 - 2 * t);
}

struct M3 {
    double m[3][3];
};
M3 Mul(const M3& a, const M3& b) {
    M3 r{};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            r.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j];
    return r;
}
V3 Apply(const M3& a, V3 v) {
    return {a.m[0][0] * v.x + a.m[0][1] * v.y + a.m[0][2] * v.z,
            a.m[1][0] * v.x + a.m[1][1] * v.y + a.m[1][2] * v.z,
            a.m[2][0] * v.x + a.m[2][1] * v.y + a.m[2][2] * v.z};
}
M3 RotX(double deg) {
    double c = std::cos(deg * kPi / 180), s = std::sin(deg * kPi / 180);
    return {{{1, 0, 0}, {0, c, -s}, {0, s, c}}};
}
M3 RotY(double deg) {
    double c = std::cos(deg * kPi / 180), s = std::sin(deg * kPi / 180);
    return {{{c, 0, s}, {0, 1, 0}, {-s, 0, c}}};
}
M3 RotZ(double deg) {
    double c = std::cos(deg * kPi / 180), s = std::sin(deg * kPi / 180);
    return {{{c, -s, 0}, {s, c, 0}, {0, 0, 1}}};
}

struct Xf {  // p -> r p + t
    M3 r;
    V3 t;
};
Xf Compose(const Xf& a, const Xf& b) { return {Mul(a.r, b.r), Apply(a.r, b.t) + a.t}; }
V3 Apply(const Xf& a, V3 p) { return Apply(a.r, p) + a.t; }

// ---------------------------------------------------------------- skeleton

enum Bone {
    kPelvis, kSpine, kChest, kNeck, kHead, kJaw,
    kUpperArmL, kForearmL, kHandL, kUpperArmR, kForearmR, kHandR,
    kThighL, kShinL, kFootL, kThighR, kShinR, kFootR,
    kTail1, kTail2, kTail3, kBoneCount
};

struct BoneDef {
    int parent;
    V3 joint;  // rest position; every bone rests unrotated
};

// Parents come before children. Left limbs sit at negative z.
const BoneDef kBones[kBoneCount] = {
    {-1, {0, 0, 0}},
    {kPelvis, {0, 3, 0}},
    {kSpine, {0, 11, 0}},
    {kChest, {0.5, 20.5, 0}},
    {kNeck, {1.0, 23.5, 0}},
    {kHead, {0.6, 24.6, 0}},
    {kChest, {0, 18, -9.6}},
    {kUpperArmL, {0, 7.5, -11.0}},
    {kForearmL, {0.5, -2.5, -11.5}},
    {kChest, {0, 18, 9.6}},
    {kUpperArmR, {0, 7.5, 11.0}},
    {kForearmR, {0.5, -2.5, 11.5}},
    {kPelvis, {0, 0, -4.8}},
    {kThighL, {0.6, -11, -5.2}},
    {kShinL, {-0.6, -20.5, -5.4}},
    {kPelvis, {0, 0, 4.8}},
    {kThighR, {0.6, -11, 5.2}},
    {kShinR, {-0.6, -20.5, 5.4}},
    {kPelvis, {-3.5, 0.5, 0}},
    {kTail1, {-8.5, -2.5, 0}},
    {kTail2, {-12.5, -6.5, 0}},
};

int MirrorBone(int b) {
    if (b >= kUpperArmL && b <= kHandL) return b + 3;
    if (b >= kUpperArmR && b <= kHandR) return b - 3;
    if (b >= kThighL && b <= kFootL) return b + 3;
    if (b >= kThighR && b <= kFootR) return b - 3;
    return b;
}

// Local rotation of each bone in degrees: x rolls (spreads a left limb
// outward), y yaws, z pitches (a hanging limb swings forward, the spine leans
// back). Right-side values are given as for the left and mirrored.
struct Pose {
    V3 r[kBoneCount];
};

void SetBone(Pose& p, int leftBone, bool right, double pitch, double roll = 0, double yaw = 0) {
    p.r[right ? MirrorBone(leftBone) : leftBone] = {right ? -roll : roll, right ? -yaw : yaw, pitch};
}

Pose Blend(const Pose& a, const Pose& b, double t) {
    Pose p;
    for (int i = 0; i < kBoneCount; ++i) p.r[i] = a.r[i] + (b.r[i] - a.r[i]) * t;
    return p;
}

// ---------------------------------------------------------------- mesh

enum Material { kHide, kHorn, kEye };

struct Vertex {
    V3 p;  // rest position
    int b0, b1;
    double w0;  // weight of b0; b1 takes the rest
};

struct StEntry {
    int chart;
    double u, v;   // u around the tube 0..1, v along it in world units
    double along;  // 0..1 from the tube's start to its end
    int s = 0, t = 0;
};

struct Corner {
    int xyz, st;
};

struct Prim {  // a triangle strip
    int material;
    std::vector<Corner> corners;
};

struct Chart {
    double widthUnits = 0, heightUnits = 0, detail = 1;
    int segments = 0;
    int x = 0, y = 0, w = 0, h = 0;
    bool built = false;
    std::vector<std::vector<int>> grid;  // st index per row and column
};

struct Model {
    std::vector<Vertex> verts;
    std::vector<StEntry> sts;
    std::vector<Prim> prims;
    std::vector<Chart> charts;
};

struct Tri {
    int xyz[3], st[3], material;
};

std::vector<Tri> Triangles(const Model& m) {
    std::vector<Tri> out;
    for (const Prim& p : m.prims) {
        const auto& c = p.corners;
        for (size_t j = 0; j + 2 < c.size(); ++j) {
            Corner a, b, d;
            if (j % 2 == 0) {
                a = c[j], b = c[j + 1], d = c[j + 2];
            } else {
                a = c[j + 1], b = c[j], d = c[j + 2];
            }
            out.push_back({{a.xyz, b.xyz, d.xyz}, {a.st, b.st, d.st}, p.material});
        }
    }
    return out;
}

struct Ring {
    V3 c;
    double ra, rb;  // radius toward the seam side, and across it
    int b0, b1 = -1;
    double w0 = 1;
};

struct Tube {
    V3 seam;  // where the texture seam runs: the least visible side
    int segments;
    bool startPole = false, endPole = false;
    V3 startAt, endAt;
    int material = kHide;
};

Tube MakeTube(V3 seam, int segments) {
    Tube t;
    t.seam = seam;
    t.segments = segments;
    return t;
}

int NewChart(Model& m, double detail = 1.0) {
    m.charts.push_back({});
    m.charts.back().detail = detail;
    return int(m.charts.size()) - 1;
}

int AddVertex(Model& m, V3 p, int b0, int b1, double w0) {
    if (b1 < 0) b1 = b0, w0 = 1;
    m.verts.push_back({p, b0, b1, w0});
    return int(m.verts.size()) - 1;
}

// Triangles are stored with their first-second-third corners turning
// clockwise seen from outside; the game draws them as 0, 2, 1.
bool FacesInward(const Model& m, const Corner& a, const Corner& b, const Corner& c, V3 inside) {
    V3 pa = m.verts[size_t(a.xyz)].p, pb = m.verts[size_t(b.xyz)].p, pc = m.verts[size_t(c.xyz)].p;
    V3 n = Cross(pb - pa, pc - pa);
    return Dot(n, (pa + pb + pc) * (1.0 / 3) - inside) < 0;
}

void AddTube(Model& m, int chartId, std::vector<Ring> rings, Tube tube, bool mirror) {
    if (mirror) {
        for (Ring& r : rings) {
            r.c = MirrorZ(r.c);
            r.b0 = MirrorBone(r.b0);
            if (r.b1 >= 0) r.b1 = MirrorBone(r.b1);
        }
        tube.seam = MirrorZ(tube.seam);
        tube.startAt = MirrorZ(tube.startAt);
        tube.endAt = MirrorZ(tube.endAt);
    }
    const int n = tube.segments;
    const int count = int(rings.size());

    // Rows of vertex indices: optional pole, rings, optional pole.
    std::vector<std::vector<int>> rows;
    std::vector<V3> centres;
    if (tube.startPole) {
        const Ring& r = rings.front();
        rows.push_back(std::vector<int>(size_t(n), AddVertex(m, tube.startAt, r.b0, r.b1, r.w0)));
        centres.push_back(tube.startAt);
    }
    for (int i = 0; i < count; ++i) {
        const Ring& r = rings[size_t(i)];
        V3 prev = i > 0 ? rings[size_t(i - 1)].c : (tube.startPole ? tube.startAt : r.c);
        V3 next = i + 1 < count ? rings[size_t(i + 1)].c : (tube.endPole ? tube.endAt : r.c);
        V3 t = Norm(next - prev);
        V3 e1 = Norm(tube.seam - t * Dot(tube.seam, t));
        V3 e2 = Cross(t, e1);
        std::vector<int> row;
        for (int k = 0; k < n; ++k) {
            double a = 2 * kPi * k / n;
            V3 p = r.c + e1 * (r.ra * std::cos(a)) + e2 * (r.rb * std::sin(a));
            row.push_back(AddVertex(m, p, r.b0, r.b1, r.w0));
        }
        rows.push_back(row);
        centres.push_back(r.c);
    }
    if (tube.endPole) {
        const Ring& r = rings.back();
        rows.push_back(std::vector<int>(size_t(n), AddVertex(m, tube.endAt, r.b0, r.b1, r.w0)));
        centres.push_back(tube.endAt);
    }
    const int first = tube.startPole ? 1 : 0;
    const int last = first + count - 1;
    auto isPole = [&](int row) { return row < first || row > last; };

    // The first instance lays out the chart; a mirrored twin reuses it.
    Chart& chart = m.charts[size_t(chartId)];
    if (!chart.built) {
        std::vector<double> v(rows.size(), 0.0);
        for (size_t i = 1; i < rows.size(); ++i) {
            double d = 0;
            for (int k = 0; k < n; ++k)
                d += Len(m.verts[size_t(rows[i][size_t(k)])].p - m.verts[size_t(rows[i - 1][size_t(k)])].p);
            v[i] = v[i - 1] + d / n;
        }
        double circ = 0;
        for (const Ring& r : rings)
            circ += kPi * (3 * (r.ra + r.rb) - std::sqrt((3 * r.ra + r.rb) * (r.ra + 3 * r.rb)));
        chart.widthUnits = circ / count;
        chart.heightUnits = v.back();
        chart.segments = n;
        for (size_t i = 0; i < rows.size(); ++i) {
            std::vector<int> g;
            bool pole = isPole(int(i));
            for (int k = 0; k <= (pole ? n - 1 : n); ++k) {
                double u = pole ? (k + 0.5) / n : double(k) / n;
                m.sts.push_back({chartId, u, v[i], v[i] / v.back()});
                g.push_back(int(m.sts.size()) - 1);
            }
            chart.grid.push_back(g);
        }
        chart.built = true;
    }
    const auto& grid = chart.grid;

    // Bands between rings: one strip each, turned to face outward.
    for (int i = first; i < last; ++i) {
        V3 axis = (centres[size_t(i)] + centres[size_t(i + 1)]) * 0.5;
        Prim strip{tube.material, {}};
        for (int k = 0; k <= n; ++k) {
            strip.corners.push_back({rows[size_t(i)][size_t(k % n)], grid[size_t(i)][size_t(k)]});
            strip.corners.push_back({rows[size_t(i + 1)][size_t(k % n)], grid[size_t(i + 1)][size_t(k)]});
        }
        if (!FacesInward(m, strip.corners[0], strip.corners[1], strip.corners[2], axis)) {
            for (size_t j = 0; j + 1 < strip.corners.size(); j += 2) std::swap(strip.corners[j], strip.corners[j + 1]);
        }
        m.prims.push_back(strip);
    }
    // Caps: one triangle per segment, so each keeps its own piece of the chart.
    for (int pole : {first - 1, last + 1}) {
        if (pole < 0 || pole >= int(rows.size())) continue;
        int ring = pole < first ? first : last;
        for (int k = 0; k < n; ++k) {
            Corner a{rows[size_t(pole)][0], grid[size_t(pole)][size_t(k)]};
            Corner b{rows[size_t(ring)][size_t(k)], grid[size_t(ring)][size_t(k)]};
            Corner c{rows[size_t(ring)][size_t((k + 1) % n)], grid[size_t(ring)][size_t(k + 1)]};
            if (!FacesInward(m, a, b, c, centres[size_t(ring)])) std::swap(b, c);
            m.prims.push_back({tube.material, {a, b, c}});
        }
    }
}

void AddPair(Model& m, int chart, const std::vector<Ring>& rings, const Tube& tube) {
    AddTube(m, chart, rings, tube, false);
    AddTube(m, chart, rings, tube, true);
}

// A small cone (claw, fang, spike): a ring of three set into the body and a tip.
void AddSpike(Model& m, int chart, V3 base, V3 tip, double radius, int bone, bool pair, int material = kHorn) {
    Tube t;
    t.segments = 3;
    t.seam = std::fabs(Norm(tip - base).y) < 0.9 ? V3{0, 1, 0} : V3{1, 0, 0};
    t.endPole = true;
    t.endAt = tip;
    t.material = material;
    std::vector<Ring> r = {{base, radius, radius, bone}};
    if (pair)
        AddPair(m, chart, r, t);
    else
        AddTube(m, chart, r, t, false);
}

// Eye positions on the skull, left side; painting darkens the sockets around them.
const V3 kEyeCentre = {3.3, 27.2, -2.45};
const V3 kEyeLook = {0.62, 0.22, -0.75};

Model BuildCreature() {
    Model m;
    const V3 back{-1, 0, 0}, inner{0, 0, 1}, down{0, -1, 0}, up{0, 1, 0};

    // Torso from crotch to the top of the neck; a hump over the shoulders.
    {
        Tube t = MakeTube(back, 10);
        t.startPole = true;
        t.startAt = {0.3, -3.6, 0};
        t.endPole = true;
        t.endAt = {1.6, 24.6, 0};
        AddTube(m, NewChart(m), {
            {{0.2, -2.2, 0}, 3.8, 5.0, kPelvis},
            {{0.0, 1.5, 0}, 4.6, 6.5, kPelvis},
            {{0.4, 6.0, 0}, 4.3, 5.6, kSpine},
            {{0.7, 10.5, 0}, 5.3, 7.2, kSpine, kChest, 0.5},
            {{0.5, 15.0, 0}, 5.9, 8.6, kChest},
            {{-0.6, 18.7, 0}, 5.0, 9.2, kChest},
            {{0.2, 21.0, 0}, 3.3, 4.6, kChest, kNeck, 0.4},
            {{1.1, 23.6, 0}, 2.6, 3.4, kNeck},
        }, t, false);
    }
    // Skull, from the back of the head to the muzzle.
    {
        Tube t = MakeTube(down, 8);
        t.startPole = true;
        t.startAt = {-3.0, 26.1, 0};
        t.endPole = true;
        t.endAt = {8.4, 24.9, 0};
        AddTube(m, NewChart(m, 1.6), {
            {{-2.2, 26.3, 0}, 2.4, 2.6, kHead},
            {{0.3, 26.6, 0}, 3.4, 3.5, kHead},
            {{2.7, 26.4, 0}, 2.9, 3.3, kHead},
            {{5.3, 25.4, 0}, 2.0, 2.3, kHead},
            {{7.5, 25.0, 0}, 1.4, 1.7, kHead},
        }, t, false);
    }
    // Lower jaw, hinged below the ears; its top side is the mouth.
    {
        Tube t = MakeTube(up, 6);
        t.startPole = true;
        t.startAt = {-0.3, 24.2, 0};
        t.endPole = true;
        t.endAt = {7.6, 23.9, 0};
        AddTube(m, NewChart(m, 1.4), {
            {{0.8, 24.0, 0}, 1.2, 2.6, kJaw},
            {{4.0, 23.5, 0}, 1.0, 2.1, kJaw},
            {{6.8, 23.7, 0}, 0.7, 1.4, kJaw},
        }, t, false);
    }
    // Glowing eyes: low pyramids standing out of the sockets.
    {
        Tube t = MakeTube(up, 4);
        t.endPole = true;
        t.endAt = kEyeCentre + kEyeLook * 0.55;
        t.material = kEye;
        AddPair(m, NewChart(m, 2.5), {{kEyeCentre, 0.85, 0.7, kHead}}, t);
    }
    // Horns sweep out, up and back.
    {
        Tube t = MakeTube(back, 5);
        t.endPole = true;
        t.endAt = {-5.2, 32.6, -5.6};
        t.material = kHorn;
        AddPair(m, NewChart(m, 1.5), {
            {{0.9, 28.4, -2.2}, 1.15, 1.15, kHead},
            {{0.2, 30.6, -3.6}, 0.9, 0.9, kHead},
            {{-1.4, 32.3, -4.8}, 0.65, 0.65, kHead},
            {{-3.4, 32.9, -5.4}, 0.4, 0.4, kHead},
        }, t);
    }
    int fangs = NewChart(m, 2);
    AddSpike(m, fangs, {6.2, 24.1, -1.2}, {6.5, 22.3, -1.1}, 0.38, kHead, true);
    AddSpike(m, fangs, {5.6, 23.9, -1.6}, {5.3, 25.6, -1.7}, 0.38, kJaw, true);
    int spikes = NewChart(m, 2);
    AddSpike(m, spikes, {-5.0, 17.5, 0}, {-8.6, 19.6, 0}, 0.9, kChest, false);
    AddSpike(m, spikes, {-5.0, 13.5, 0}, {-8.4, 15.2, 0}, 0.9, kChest, false);
    AddSpike(m, spikes, {-4.2, 9.5, 0}, {-7.3, 10.6, 0}, 0.9, kSpine, false);

    // Arms: one tube from the shoulder to the knuckles, bending at elbow and wrist.
    {
        Tube t = MakeTube(inner, 8);
        t.startPole = true;
        t.startAt = {0, 20.2, -9.4};
        t.endPole = true;
        t.endAt = {1.0, -8.6, -11.6};
        AddPair(m, NewChart(m), {
            {{0, 17.2, -10.2}, 3.1, 3.2, kUpperArmL, kChest, 0.8},
            {{0.3, 12.5, -10.8}, 2.7, 2.8, kUpperArmL},
            {{0, 7.5, -11.0}, 2.5, 2.5, kUpperArmL, kForearmL, 0.5},
            {{0.5, 4.0, -11.2}, 2.8, 3.1, kForearmL},
            {{0.5, -2.3, -11.5}, 1.9, 2.0, kForearmL, kHandL, 0.6},
            {{0.7, -5.0, -11.6}, 1.3, 2.7, kHandL},
            {{0.9, -7.6, -11.6}, 1.2, 2.4, kHandL},
        }, t);
    }
    int claws = NewChart(m, 2);
    for (int i = 0; i < 3; ++i) {
        double x = -0.5 + 1.4 * i;
        AddSpike(m, claws, {x + 0.4, -7.8, -11.6}, {x + 1.6, -11.3, -11.6}, 0.45, kHandL, true);
    }
    // Legs: hip to ankle; the foot is its own piece on the ankle.
    {
        Tube t = MakeTube(inner, 8);
        t.startPole = true;
        t.startAt = {0.0, 2.2, -4.5};
        t.endPole = true;
        t.endAt = {-0.6, -21.6, -5.4};
        AddPair(m, NewChart(m), {
            {{0.3, -0.8, -5.0}, 3.8, 3.5, kThighL, kPelvis, 0.7},
            {{0.8, -7.0, -5.1}, 3.1, 2.9, kThighL},
            {{0.6, -11.0, -5.2}, 2.6, 2.6, kThighL, kShinL, 0.5},
            {{-0.3, -14.0, -5.3}, 2.7, 2.9, kShinL},
            {{-0.6, -20.2, -5.4}, 1.7, 1.8, kShinL, kFootL, 0.7},
        }, t);
    }
    {
        Tube t = MakeTube(down, 6);
        t.startPole = true;
        t.startAt = {-3.0, -21.8, -5.4};
        t.endPole = true;
        t.endAt = {6.6, -22.5, -5.4};
        AddPair(m, NewChart(m), {
            {{-2.0, -21.6, -5.4}, 1.4, 1.8, kFootL},
            {{1.6, -21.8, -5.5}, 1.2, 2.3, kFootL},
            {{5.4, -22.2, -5.5}, 0.8, 2.1, kFootL},
        }, t);
    }
    for (int i = 0; i < 3; ++i) {
        double z = -5.5 + (i - 1) * 1.3;
        AddSpike(m, claws, {5.6, -22.1, z}, {7.8, -22.9, z + (i - 1) * 0.4}, 0.4, kFootL, true);
    }
    // Tail, heavy at the root.
    {
        Tube t = MakeTube(down, 6);
        t.endPole = true;
        t.endAt = {-17.8, -13.0, 0};
        AddTube(m, NewChart(m), {
            {{-3.2, 0.6, 0}, 2.4, 2.6, kTail1, kPelvis, 0.5},
            {{-8.5, -2.5, 0}, 1.7, 1.8, kTail1, kTail2, 0.5},
            {{-12.5, -6.5, 0}, 1.1, 1.2, kTail2, kTail3, 0.5},
            {{-15.8, -10.6, 0}, 0.6, 0.6, kTail3},
        }, t, false);
    }
    return m;
}

// ---------------------------------------------------------------- texture layout

// Shelf-packs every chart into the skin at the largest common texel density
// that fits, then rounds the texture coordinates to whole texels.
void LayOutCharts(Model& m) {
    const int pad = 3;
    std::vector<int> order(m.charts.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = int(i);

    auto place = [&](double density, bool commit) {
        std::vector<Chart> cs = m.charts;
        for (Chart& c : cs) {
            int cell = 2 * std::max(1, int(std::lround(c.widthUnits * density * c.detail / (2.0 * c.segments))));
            c.w = cell * c.segments;
            c.h = std::max(4, int(std::lround(c.heightUnits * density * c.detail)));
        }
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return cs[size_t(a)].h > cs[size_t(b)].h; });
        int x = pad, y = pad, shelf = 0;
        for (int i : order) {
            Chart& c = cs[size_t(i)];
            if (x + c.w + pad > kSkinSize) {
                x = pad;
                y += shelf + 2 * pad;
                shelf = 0;
            }
            if (c.w + 2 * pad > kSkinSize || y + c.h + pad > kSkinSize) return false;
            c.x = x;
            c.y = y;
            x += c.w + 2 * pad;
            shelf = std::max(shelf, c.h);
        }
        if (commit) m.charts = cs;
        return true;
    };
    double lo = 0.5, hi = 20;
    for (int i = 0; i < 40; ++i) {
        double mid = 0.5 * (lo + hi);
        (place(mid, false) ? lo : hi) = mid;
    }
    place(lo, true);
    for (StEntry& st : m.sts) {
        const Chart& c = m.charts[size_t(st.chart)];
        int x = c.x + int(std::lround(st.u * c.w));
        int y = c.y + int(std::lround(st.v / c.heightUnits * c.h));
        st.s = x;
        st.t = kSkinSize - y;  // the game reads t upward from the bottom row
    }
}

// ---------------------------------------------------------------- painting

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

double Noise3(V3 p, uint32_t seed) {
    int ix = int(std::floor(p.x)), iy = int(std::floor(p.y)), iz = int(std::floor(p.z));
    double fx = p.x - ix, fy = p.y - iy, fz = p.z - iz;
    fx = fx * fx * (3 - 2 * fx), fy = fy * fy * (3 - 2 * fy), fz = fz * fz * (3 - 2 * fz);
    double c[2][2][2];
    for (int a = 0; a < 2; ++a)
        for (int b = 0; b < 2; ++b)
            for (int d = 0; d < 2; ++d) c[a][b][d] = HashUnit(ix + a, iy + b, iz + d, seed);
    auto lerp = [](double a, double b, double t) { return a + (b - a) * t; };
    double x00 = lerp(c[0][0][0], c[1][0][0], fx), x10 = lerp(c[0][1][0], c[1][1][0], fx);
    double x01 = lerp(c[0][0][1], c[1][0][1], fx), x11 = lerp(c[0][1][1], c[1][1][1], fx);
    return lerp(lerp(x00, x10, fy), lerp(x01, x11, fy), fz);
}

double Fbm3(V3 p, int octaves, uint32_t seed) {
    double sum = 0, amp = 1, total = 0;
    for (int o = 0; o < octaves; ++o) {
        sum += amp * Noise3(p, seed + uint32_t(o) * 31u);
        total += amp;
        amp *= 0.5;
        p = p * 2.03;
    }
    return sum / total;
}

// Distance to the nearest and second-nearest scattered cell point: scales.
void Cells(V3 p, double& f1, double& f2) {
    int ix = int(std::floor(p.x)), iy = int(std::floor(p.y)), iz = int(std::floor(p.z));
    f1 = f2 = 9;
    for (int a = -1; a <= 1; ++a)
        for (int b = -1; b <= 1; ++b)
            for (int c = -1; c <= 1; ++c) {
                int cx = ix + a, cy = iy + b, cz = iz + c;
                V3 q{cx + HashUnit(cx, cy, cz, 7), cy + HashUnit(cx, cy, cz, 8), cz + HashUnit(cx, cy, cz, 9)};
                double d = Len(q - p);
                if (d < f1) {
                    f2 = f1;
                    f1 = d;
                } else if (d < f2) {
                    f2 = d;
                }
            }
}

struct Col {
    double r, g, b;
};
Col operator*(Col a, double s) { return {a.r * s, a.g * s, a.b * s}; }
Col MixC(Col a, Col b, double t) { return {Mix(a.r, b.r, t), Mix(a.g, b.g, t), Mix(a.b, b.b, t)}; }

struct Texel {
    V3 p, n;
    double along;
    int material, bone;
};

Col PaintHide(const Texel& x) {
    const V3 p = x.p, n = x.n;
    const Col backC{72, 86, 54}, sideC{110, 114, 72}, bellyC{170, 146, 96}, stripeC{38, 42, 30};
    double mottle = Fbm3(p * 0.35, 3, 11);
    // Pale underside: throat, chest and belly facing forward, inner limbs.
    double front = SmoothStep(0.1, 0.75, n.x + 0.25 * (mottle - 0.5));
    double trunk = (x.bone == kPelvis || x.bone == kSpine || x.bone == kChest || x.bone == kNeck) ? 1.0 : 0.0;
    double belly = trunk * front * SmoothStep(-3, 1, p.y) * (1 - SmoothStep(19, 22, p.y));
    if (x.bone == kJaw || x.bone == kHead) belly = SmoothStep(0.2, 0.8, -n.y) * 0.8;
    double dorsal = SmoothStep(-0.2, 0.7, -n.x + 0.4 * n.y);
    Col c = MixC(sideC, backC, dorsal);
    c = MixC(c, bellyC, belly);
    // Plates across the belly.
    if (belly > 0.3) {
        double ridge = std::fabs(std::fmod(p.y + 40, 1.9) - 0.95) / 0.95;
        c = c * (1 - 0.22 * belly * SmoothStep(0.75, 1.0, ridge));
    }
    // Dark bands over the back and the outside of the limbs.
    double bandCoord = p.y * 0.42 + p.x * 0.12 + 1.6 * Fbm3(p * 0.18, 2, 23);
    double band = SmoothStep(0.55, 0.8, 0.5 + 0.5 * std::sin(2 * kPi * bandCoord));
    c = MixC(c, stripeC, band * (1 - belly) * 0.85 * SmoothStep(-0.3, 0.4, dorsal + 0.2));
    // Mottling and scales.
    c = c * (0.82 + 0.36 * mottle);
    double f1, f2;
    Cells(p * 0.85, f1, f2);
    double edge = SmoothStep(0.0, 0.16, f2 - f1);
    c = c * (0.8 + 0.2 * edge) * (1.0 + 0.12 * (1 - SmoothStep(0, 0.5, f1)));
    // Darker, rougher hands and feet.
    if (x.bone == kHandL || x.bone == kFootL || x.bone == kHandR || x.bone == kFootR)
        c = MixC(c, Col{52, 48, 40}, 0.55);
    if (x.bone == kHead) {
        // Sockets, a heavy brow, nostrils, and a red glow spilling from the eyes.
        V3 eye = kEyeCentre;
        if (p.z > 0) eye.z = -eye.z;
        double d = Len(p - eye);
        c = c * (0.35 + 0.65 * SmoothStep(0.9, 2.0, d));
        c = MixC(c, Col{200, 60, 20}, 0.55 * (1 - SmoothStep(0.6, 1.5, d)));
        double brow = (1 - SmoothStep(0.0, 0.9, std::fabs(p.y - (eye.y + 1.2)))) *
                      (1 - SmoothStep(1.0, 2.6, std::fabs(p.x - eye.x)));
        c = c * (1 - 0.4 * brow);
        for (double side : {-0.75, 0.75}) {
            double nd = Len(p - V3{8.0, 25.6, side});
            c = c * (0.25 + 0.75 * SmoothStep(0.25, 0.5, nd));
        }
        // Mouth line with upper teeth, and the palate behind it.
        if (p.x > 2.5) {
            double lip = -n.y;
            if (lip > 0.45) c = MixC(c, Col{84, 28, 26}, SmoothStep(0.45, 0.7, lip));
            double tooth = std::fabs(std::fmod(p.x * 1.7 + 10, 1.0) - 0.5) * 2;
            if (lip > 0.05 && lip < 0.45 && tooth < 1 - (lip - 0.05) / 0.4) c = Col{226, 214, 176} * (0.8 + 0.2 * lip);
        }
    }
    if (x.bone == kJaw && n.y > 0.1) {
        c = MixC(c, Col{104, 34, 32}, SmoothStep(0.1, 0.5, n.y));
        double tooth = std::fabs(std::fmod(p.x * 1.7 + 10, 1.0) - 0.5) * 2;
        if (n.y < 0.45 && tooth < 1 - (n.y - 0.1) / 0.35 && p.x > 2) c = Col{220, 208, 170};
    }
    return c;
}

Col PaintTexel(const Texel& x) {
    Col c;
    bool lit = true;
    if (x.material == kEye) {
        // Self-lit: white-hot at the tip, deep red at the rim.
        double a = x.along;
        c = MixC(Col{150, 20, 8}, Col{255, 140, 20}, SmoothStep(0.0, 0.6, a));
        c = MixC(c, Col{255, 250, 190}, SmoothStep(0.75, 1.0, a));
        lit = false;
    } else if (x.material == kHorn) {
        double a = x.along;
        c = MixC(Col{70, 52, 38}, Col{222, 206, 168}, SmoothStep(0.0, 0.9, a));
        double ridge = 0.5 + 0.5 * std::cos(a * 2 * kPi * 5);
        c = c * (0.86 + 0.14 * ridge) * (0.9 + 0.2 * Fbm3(x.p * 2.0, 2, 41));
    } else {
        c = PaintHide(x);
    }
    if (lit) {
        // Key light from above and in front; no sideways part, because
        // mirrored limbs share their texels.
        const V3 light = Norm(V3{0.5, 1.0, 0.0});
        double diffuse = std::max(0.0, Dot(x.n, light));
        double shade = 0.55 + 0.6 * diffuse + 0.1 * x.n.y;
        // Crotch, armpits and the underside of the jaw sit in shadow.
        shade *= 0.75 + 0.25 * SmoothStep(-22, -8, x.p.y);
        if (x.n.y < 0) shade *= 1 + 0.35 * x.n.y;
        c = c * shade;
    }
    return c;
}

std::vector<V3> RestNormals(const Model& m, const std::vector<Tri>& tris) {
    std::vector<V3> n(m.verts.size());
    for (const Tri& t : tris) {
        V3 a = m.verts[size_t(t.xyz[0])].p, b = m.verts[size_t(t.xyz[1])].p, c = m.verts[size_t(t.xyz[2])].p;
        V3 f = Cross(c - a, b - a);  // outward, given the stored turning
        for (int k = 0; k < 3; ++k) n[size_t(t.xyz[k])] = n[size_t(t.xyz[k])] + f;
    }
    for (V3& v : n) v = Norm(v);
    return n;
}

Image PaintSkin(const Model& m, const std::vector<Tri>& tris) {
    const std::vector<V3> normals = RestNormals(m, tris);
    Image img(kSkinSize, kSkinSize);
    std::vector<int> done(size_t(kSkinSize) * kSkinSize, 0);
    std::vector<Col> acc(done.size(), Col{0, 0, 0});
    for (const Tri& t : tris) {
        double sx[3], sy[3];
        V3 p[3], n[3];
        double along[3];
        for (int k = 0; k < 3; ++k) {
            const StEntry& st = m.sts[size_t(t.st[k])];
            sx[k] = st.s;
            sy[k] = kSkinSize - st.t;
            p[k] = m.verts[size_t(t.xyz[k])].p;
            n[k] = normals[size_t(t.xyz[k])];
            along[k] = st.along;
        }
        double area = (sx[1] - sx[0]) * (sy[2] - sy[0]) - (sx[2] - sx[0]) * (sy[1] - sy[0]);
        if (std::fabs(area) < 1e-9) continue;
        int x0 = std::max(0, int(std::floor(std::min({sx[0], sx[1], sx[2]}))));
        int x1 = std::min(kSkinSize - 1, int(std::ceil(std::max({sx[0], sx[1], sx[2]}))));
        int y0 = std::max(0, int(std::floor(std::min({sy[0], sy[1], sy[2]}))));
        int y1 = std::min(kSkinSize - 1, int(std::ceil(std::max({sy[0], sy[1], sy[2]}))));
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) {
                double px = x + 0.5, py = y + 0.5;
                double w0 = ((sx[1] - px) * (sy[2] - py) - (sx[2] - px) * (sy[1] - py)) / area;
                double w1 = ((sx[2] - px) * (sy[0] - py) - (sx[0] - px) * (sy[2] - py)) / area;
                double w2 = 1 - w0 - w1;
                if (w0 < -1e-6 || w1 < -1e-6 || w2 < -1e-6) continue;
                size_t i = size_t(y) * kSkinSize + size_t(x);
                if (done[i]) continue;  // a mirrored twin shares these texels
                Texel tx;
                tx.p = p[0] * w0 + p[1] * w1 + p[2] * w2;
                tx.n = Norm(n[0] * w0 + n[1] * w1 + n[2] * w2);
                tx.along = along[0] * w0 + along[1] * w1 + along[2] * w2;
                tx.material = t.material;
                tx.bone = m.verts[size_t(t.xyz[0])].b0;
                acc[i] = PaintTexel(tx);
                done[i] = 1;
            }
    }
    // Bleed the charts outward so filtering at their edges finds skin, not background.
    for (int pass = 0; pass < 3; ++pass) {
        std::vector<int> next = done;
        std::vector<Col> nextAcc = acc;
        for (int y = 0; y < kSkinSize; ++y)
            for (int x = 0; x < kSkinSize; ++x) {
                size_t i = size_t(y) * kSkinSize + size_t(x);
                if (done[i]) continue;
                Col sum{0, 0, 0};
                int count = 0;
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx) {
                        int nx = x + dx, ny = y + dy;
                        if (nx < 0 || ny < 0 || nx >= kSkinSize || ny >= kSkinSize) continue;
                        size_t j = size_t(ny) * kSkinSize + size_t(nx);
                        if (!done[j]) continue;
                        sum = {sum.r + acc[j].r, sum.g + acc[j].g, sum.b + acc[j].b};
                        ++count;
                    }
                if (count) {
                    nextAcc[i] = sum * (1.0 / count);
                    next[i] = 1;
                }
            }
        done.swap(next);
        acc.swap(nextAcc);
    }
    for (int y = 0; y < kSkinSize; ++y)
        for (int x = 0; x < kSkinSize; ++x) {
            size_t i = size_t(y) * kSkinSize + size_t(x);
            Col c = done[i] ? acc[i] : Col{34, 38, 30};
            auto q = [](double v) { return uint8_t(std::lround(std::min(255.0, std::max(0.0, v)))); };
            img.At(x, y) = {q(c.r), q(c.g), q(c.b)};
        }
    return img;
}

// ---------------------------------------------------------------- animation

Pose Stance() {
    Pose p;
    p.r[kPelvis] = {0, 0, -10};
    p.r[kSpine] = {0, 0, -12};
    p.r[kChest] = {0, 0, -12};
    p.r[kNeck] = {0, 0, 14};
    p.r[kHead] = {0, 0, 18};
    p.r[kJaw] = {0, 0, -6};
    for (bool right : {false, true}) {
        SetBone(p, kUpperArmL, right, 38, 10);
        SetBone(p, kForearmL, right, 28);
        SetBone(p, kHandL, right, 8);
        SetBone(p, kThighL, right, 26, 5, -4);
        SetBone(p, kShinL, right, -38, -3);
        SetBone(p, kFootL, right, 22, -2, 4);
    }
    p.r[kTail1] = {0, 0, 8};
    p.r[kTail2] = {0, 0, 6};
    p.r[kTail3] = {0, 0, 4};
    return p;
}

// A six-frame loop of heavy, snarling breath with restless arms.
Pose Idle(double phase) {
    const double a = 2 * kPi * phase;
    const double s = std::sin(a), c = std::cos(a);
    Pose p = Stance();
    p.r[kPelvis] = p.r[kPelvis] + V3{3 * s, 3 * s, 0};
    p.r[kSpine] = p.r[kSpine] + V3{-2 * s, -3 * s, 2 * c};
    p.r[kChest] = p.r[kChest] + V3{0, -2 * s, 3 * c};
    p.r[kNeck] = p.r[kNeck] + V3{0, 4 * s, -2 * c};
    p.r[kHead] = p.r[kHead] + V3{-3 * s, 5 * s, -3 * c};
    p.r[kJaw] = {0, 0, -8 - 9 * (0.5 + 0.5 * std::sin(a + 1))};
    for (bool right : {false, true}) {
        double k = right ? -1 : 1;
        SetBone(p, kUpperArmL, right, 38 + 12 * k * s, 10 + 4 * c);
        SetBone(p, kForearmL, right, 28 + 14 * k * c);
        SetBone(p, kHandL, right, 8 + 16 * std::sin(a + k * 1.2));
        SetBone(p, kThighL, right, 26 + 2 * k * s, 5, -4);
        SetBone(p, kShinL, right, -38 - 4 * k * s, -3);
        SetBone(p, kFootL, right, 22 + 2 * k * s, -2, 4);
    }
    p.r[kTail1] = p.r[kTail1] + V3{0, 10 * s, 2 * c};
    p.r[kTail2] = p.r[kTail2] + V3{0, 12 * std::sin(a - 0.8), 0};
    p.r[kTail3] = p.r[kTail3] + V3{0, 14 * std::sin(a - 1.6), 0};
    return p;
}

// Pitches (thigh, shin, foot) that put the ankle at (forward, down) from the
// hip with the foot at the given angle, knee forward, in a pelvis pitched by
// `pelvis` degrees.
V3 LegTo(double forward, double down, double footPitch, double pelvis) {
    auto restAngle = [](int from, int to) {
        V3 d = kBones[to].joint - kBones[from].joint;
        return std::atan2(d.x, -d.y) * 180 / kPi;
    };
    const double l1 = Len(kBones[kShinL].joint - kBones[kThighL].joint);
    const double l2 = Len(kBones[kFootL].joint - kBones[kShinL].joint);
    const double d = std::min(std::hypot(forward, down), l1 + l2 - 0.05);
    const double toAnkle = std::atan2(forward, down) * 180 / kPi;
    const double atHip = std::acos((l1 * l1 + d * d - l2 * l2) / (2 * l1 * d)) * 180 / kPi;
    const double atAnkle = std::acos((l2 * l2 + d * d - l1 * l1) / (2 * l2 * d)) * 180 / kPi;
    const double thighGlobal = toAnkle + atHip, shinGlobal = toAnkle - atAnkle;
    const double thigh = thighGlobal - pelvis - restAngle(kThighL, kShinL);
    const double shin = shinGlobal - thighGlobal - restAngle(kShinL, kFootL) + restAngle(kThighL, kShinL);
    return {thigh, shin, footPitch - pelvis - thigh - shin};
}

// A six-frame hunting run: long strides, claws reaching, jaw open. Each foot
// is planted for half the cycle and sweeps back under the hip, then lifts and
// swings forward; the lowest foot is stood on the ground afterwards.
Pose Run(double phase) {
    const double a = 2 * kPi * phase;
    const double pelvis = -20;
    Pose p = Stance();
    p.r[kPelvis] = {2 * std::sin(a), -6 * std::cos(a), pelvis};
    p.r[kSpine] = {0, 3 * std::cos(a), -10};
    p.r[kChest] = {0, 5 * std::cos(a), -12 + 3 * std::cos(2 * a)};
    p.r[kNeck] = {0, -3 * std::cos(a), 16};
    p.r[kHead] = {0, -3 * std::cos(a), 22 - 4 * std::cos(2 * a)};
    p.r[kJaw] = {0, 0, -22 - 6 * std::sin(2 * a)};
    const double stride = 10.0, lift = 8.0;
    for (bool right : {false, true}) {
        double q = std::fmod(phase + (right ? 0.5 : 0.0), 1.0);
        double forward, down, foot;
        if (q < 0.5) {
            double t = q / 0.5;
            forward = stride * (1 - 2 * t);
            down = 17.5 - 1.4 * (1 - (forward / stride) * (forward / stride));  // knee gives at mid-stance
            foot = -22 * SmoothStep(0.6, 1.0, t);                               // heel lifts to push off
        } else {
            double t = (q - 0.5) / 0.5;
            forward = -stride + 2 * stride * SmoothStep(0, 1, t);
            down = 17.5 - lift * std::sin(kPi * t) - 2 * std::sin(kPi * t) * (1 - t);
            foot = -40 * std::sin(kPi * std::min(1.0, t * 1.3)) * (1 - t) + 8 * SmoothStep(0.7, 1.0, t);
        }
        V3 leg = LegTo(forward, down, foot, pelvis);
        SetBone(p, kThighL, right, leg.x, 4, -3);
        SetBone(p, kShinL, right, leg.y, -2);
        SetBone(p, kFootL, right, leg.z, -2, 3);
        // Arms swing against the legs: forward as the same-side foot pushes off.
        double arm = -std::cos(2 * kPi * q);
        SetBone(p, kUpperArmL, right, 58 + 40 * arm, 14 - 4 * arm);
        SetBone(p, kForearmL, right, 45 + 25 * arm);
        SetBone(p, kHandL, right, 15 + 15 * arm);
    }
    p.r[kTail1] = {0, 12 * std::sin(a), 22};
    p.r[kTail2] = {0, 14 * std::sin(a - 0.9), 10};
    p.r[kTail3] = {0, 16 * std::sin(a - 1.8), 6};
    return p;
}

// Looking around: the head turns one way then the other, a hand flexes.
Pose Look(double t) {
    const double a = 2 * kPi * t;
    Pose p = Idle(0);
    p.r[kNeck] = p.r[kNeck] + V3{0, 22 * std::sin(a), 0};
    p.r[kHead] = p.r[kHead] + V3{-6 * std::sin(a), 18 * std::sin(a), 6 * std::sin(2 * a)};
    p.r[kChest] = p.r[kChest] + V3{0, 8 * std::sin(a), 0};
    SetBone(p, kForearmL, false, 28 + 40 * (0.5 - 0.5 * std::cos(a)));
    SetBone(p, kHandL, false, 8 + 30 * (0.5 - 0.5 * std::cos(2 * a)));
    return p;
}

// Rearing roar: chest up, arms thrown wide, jaw at its widest.
Pose Roar(double t) {
    const double e = std::sin(kPi * t);
    const double shake = std::sin(2 * kPi * 3 * t) * e;
    Pose p = Idle(0);
    Pose r = Stance();
    r.r[kPelvis] = {0, 0, -2};
    r.r[kSpine] = {0, 0, 4};
    r.r[kChest] = {0, 0, 6};
    r.r[kNeck] = {0, 0, 10};
    r.r[kHead] = {0, 0, 20};
    r.r[kJaw] = {0, 0, -38};
    for (bool right : {false, true}) {
        SetBone(r, kUpperArmL, right, 50, 55, -20);
        SetBone(r, kForearmL, right, 70);
        SetBone(r, kHandL, right, 20);
    }
    r.r[kTail1] = {0, 0, 26};
    p = Blend(p, r, e);
    p.r[kHead] = p.r[kHead] + V3{6 * shake, 4 * shake, 0};
    return p;
}

// A swipe with the right claw, left arm braced.
Pose Attack(double t) {
    Pose p = Run(0.25);
    double wind = SmoothStep(0.0, 0.35, t) * (1 - SmoothStep(0.35, 0.6, t));
    double strike = SmoothStep(0.35, 0.6, t) * (1 - SmoothStep(0.75, 1.0, t));
    SetBone(p, kUpperArmL, true, 60 + 70 * wind - 40 * strike, 40 * wind + 10, -30 * wind + 40 * strike);
    SetBone(p, kForearmL, true, 40 + 50 * wind - 20 * strike);
    p.r[kChest] = p.r[kChest] + V3{0, 20 * wind - 25 * strike, 0};
    p.r[kJaw] = {0, 0, -10 - 25 * strike};
    return p;
}

struct Keyframe {
    std::string name;
    Pose pose;
};

std::vector<Keyframe> Keyframes() {
    std::vector<Keyframe> k;
    auto add = [&](const std::string& base, int i, const Pose& p) { k.push_back({base + std::to_string(i), p}); };
    k.push_back({"base", Stance()});
    for (int i = 0; i < 6; ++i) add("idle", i + 1, Idle(i / 6.0));       // 1..6
    for (int i = 0; i < 12; ++i) add("look", i + 1, Look(i / 12.0));     // 7..18
    for (int i = 0; i < 12; ++i) add("roar", i + 1, Roar(i / 12.0));     // 19..30
    for (int i = 0; i < 9; ++i)                                          // 31..39
        add("crouch", i + 1, Blend(Idle(0), Run(0.5 / 6.0), SmoothStep(0, 1, (i + 1) / 10.0)));
    for (int i = 0; i < 6; ++i) add("run", i + 1, Run((i + 0.5) / 6.0));         // 40..45
    for (int i = 0; i < 6; ++i) add("attack", i + 1, Attack(i / 6.0));   // 46..51
    return k;
}

// Skins the rest mesh to a pose and stands the lowest point on the ground.
std::vector<V3> PoseVertices(const Model& m, const Pose& pose) {
    Xf global[kBoneCount], skin[kBoneCount];
    for (int b = 0; b < kBoneCount; ++b) {
        const V3 r = pose.r[b];
        M3 rot = Mul(RotY(r.y), Mul(RotX(r.x), RotZ(r.z)));
        int parent = kBones[b].parent;
        if (parent < 0) {
            global[b] = {rot, kBones[b].joint};
        } else {
            Xf local{rot, kBones[b].joint - kBones[parent].joint};
            global[b] = Compose(global[parent], local);
        }
        M3 id{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
        skin[b] = Compose(global[b], Xf{id, kBones[b].joint * -1.0});
    }
    std::vector<V3> out;
    double minY = 1e9;
    for (const Vertex& v : m.verts) {
        V3 p = Apply(skin[v.b0], v.p) * v.w0 + Apply(skin[v.b1], v.p) * (1 - v.w0);
        out.push_back(p);
        minY = std::min(minY, p.y);
    }
    for (V3& p : out) p.y += kGroundY - minY;
    return out;
}

// ---------------------------------------------------------------- MD2 output

// 162 directions for the vertex normal index: an icosahedron split twice.
std::vector<V3> NormalTable() {
    const double g = (1 + std::sqrt(5.0)) / 2;
    std::vector<V3> v = {{-1, g, 0}, {1, g, 0}, {-1, -g, 0}, {1, -g, 0}, {0, -1, g}, {0, 1, g},
                         {0, -1, -g}, {0, 1, -g}, {g, 0, -1}, {g, 0, 1}, {-g, 0, -1}, {-g, 0, 1}};
    std::vector<std::array<int, 3>> f = {{0, 11, 5}, {0, 5, 1}, {0, 1, 7}, {0, 7, 10}, {0, 10, 11},
                                         {1, 5, 9}, {5, 11, 4}, {11, 10, 2}, {10, 7, 6}, {7, 1, 8},
                                         {3, 9, 4}, {3, 4, 2}, {3, 2, 6}, {3, 6, 8}, {3, 8, 9},
                                         {4, 9, 5}, {2, 4, 11}, {6, 2, 10}, {8, 6, 7}, {9, 8, 1}};
    for (V3& p : v) p = Norm(p);
    for (int level = 0; level < 2; ++level) {
        std::map<std::pair<int, int>, int> mid;
        auto midpoint = [&](int a, int b) {
            auto key = std::make_pair(std::min(a, b), std::max(a, b));
            auto it = mid.find(key);
            if (it != mid.end()) return it->second;
            v.push_back(Norm(v[size_t(a)] + v[size_t(b)]));
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

std::vector<uint8_t> EncodeMd2(const Model& m, const std::vector<Tri>& tris, const std::vector<Keyframe>& keys) {
    const std::vector<V3> table = NormalTable();
    const int numXyz = int(m.verts.size());
    const int frameSize = 40 + 4 * numXyz;

    std::vector<uint8_t> skins(64, 0);
    std::memcpy(skins.data(), "model.bmp", 9);

    std::vector<uint8_t> st;
    for (const StEntry& e : m.sts) {
        PutU16(st, uint16_t(int16_t(e.s)));
        PutU16(st, uint16_t(int16_t(e.t)));
    }
    std::vector<uint8_t> triBytes;
    for (const Tri& t : tris) {
        for (int k = 0; k < 3; ++k) PutU16(triBytes, uint16_t(t.xyz[k]));
        for (int k = 0; k < 3; ++k) PutU16(triBytes, uint16_t(t.st[k]));
    }

    std::vector<uint8_t> frames;
    for (const Keyframe& key : keys) {
        std::vector<V3> pos = PoseVertices(m, key.pose);
        std::vector<V3> nrm(pos.size());
        for (const Tri& t : tris) {
            V3 a = pos[size_t(t.xyz[0])], b = pos[size_t(t.xyz[1])], c = pos[size_t(t.xyz[2])];
            V3 f = Cross(c - a, b - a);
            for (int k = 0; k < 3; ++k) nrm[size_t(t.xyz[k])] = nrm[size_t(t.xyz[k])] + f;
        }
        // File axes: 0 = x, 1 = z, 2 = y (up).
        auto fileAxis = [](V3 p, int axis) { return axis == 0 ? p.x : (axis == 1 ? p.z : p.y); };
        double lo[3], hi[3], scale[3];
        for (int axis = 0; axis < 3; ++axis) {
            lo[axis] = 1e9, hi[axis] = -1e9;
            for (const V3& p : pos) {
                lo[axis] = std::min(lo[axis], fileAxis(p, axis));
                hi[axis] = std::max(hi[axis], fileAxis(p, axis));
            }
            scale[axis] = hi[axis] > lo[axis] ? (hi[axis] - lo[axis]) / 255.0 : 1.0;
        }
        for (int axis = 0; axis < 3; ++axis) PutF32(frames, float(scale[axis]));
        for (int axis = 0; axis < 3; ++axis) PutF32(frames, float(lo[axis]));
        char name[16] = {};
        std::snprintf(name, sizeof name, "%s", key.name.c_str());
        frames.insert(frames.end(), name, name + 16);
        for (size_t i = 0; i < pos.size(); ++i) {
            for (int axis = 0; axis < 3; ++axis) {
                long q = std::lround((fileAxis(pos[i], axis) - lo[axis]) / scale[axis]);
                frames.push_back(uint8_t(std::min(255L, std::max(0L, q))));
            }
            V3 n = Norm(nrm[i]);
            V3 fileN{n.x, n.z, n.y};
            int best = 0;
            for (size_t j = 1; j < table.size(); ++j)
                if (Dot(table[j], fileN) > Dot(table[size_t(best)], fileN)) best = int(j);
            frames.push_back(uint8_t(best));
        }
    }

    // GL commands: each strip as its vertex count (positive: a strip), then
    // s and t as fractions of the skin and the vertex index; 0 ends the list.
    std::vector<uint8_t> gl;
    int glWords = 0;
    for (const Prim& p : m.prims) {
        int count = int(p.corners.size());
        PutI32(gl, count);
        ++glWords;
        for (const Corner& c : p.corners) {
            PutF32(gl, float(m.sts[size_t(c.st)].s / double(kSkinSize)));
            PutF32(gl, float(m.sts[size_t(c.st)].t / double(kSkinSize)));
            PutI32(gl, c.xyz);
            glWords += 3;
        }
    }
    PutI32(gl, 0);
    ++glWords;

    const int ofsSkins = 68;
    const int ofsSt = ofsSkins + int(skins.size());
    const int ofsTris = ofsSt + int(st.size());
    const int ofsFrames = ofsTris + int(triBytes.size());
    const int ofsGl = ofsFrames + int(frames.size());
    const int ofsEnd = ofsGl + int(gl.size());

    std::vector<uint8_t> out = {'I', 'D', 'P', '2'};
    for (int v : {8, kSkinSize, kSkinSize, frameSize, 1, numXyz, int(m.sts.size()), int(tris.size()), glWords,
                  int(keys.size()), ofsSkins, ofsSt, ofsTris, ofsFrames, ofsGl, ofsEnd})
        PutI32(out, v);
    for (const auto* part : {&skins, &st, &triBytes, &frames, &gl}) out.insert(out.end(), part->begin(), part->end());
    return out;
}

}  // namespace

bool MakeModel(const std::string& dir) {
    Model m = BuildCreature();
    LayOutCharts(m);
    const std::vector<Tri> tris = Triangles(m);
    bool ok = WriteBmp(dir + "/model.bmp", PaintSkin(m, tris));
    ok = WriteFile(dir + "/tris2.md2", EncodeMd2(m, tris, Keyframes())) && ok;
    return ok;
}
