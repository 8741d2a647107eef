// The monster's body: tubes, each a run of elliptical rings of vertices
// round a bent centre line, closed by poles at either end, with every vertex
// bound to one or two bones. A limb is built once on the left and mirrored;
// the mirrored twin shares its texture chart.
#include <cmath>
#include <utility>
#include <vector>

#include "creature.h"

namespace creature {

const Vec3 kEyeCentre = {3.3, 27.2, -2.45};

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

namespace {

const Vec3 kEyeLook = {0.62, 0.22, -0.75};

Vec3 MirrorZ(Vec3 a) { return {a.x, a.y, -a.z}; }

struct Ring {
    Vec3 c;
    double ra, rb;  // radius toward the seam side, and across it
    int b0, b1 = -1;
    double w0 = 1;
};

struct Tube {
    Vec3 seam;  // where the texture seam runs: the least visible side
    int segments;
    bool startPole = false, endPole = false;
    Vec3 startAt, endAt;
    int material = kHide;
};

Tube MakeTube(Vec3 seam, int segments) {
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

int AddVertex(Model& m, Vec3 p, int b0, int b1, double w0) {
    if (b1 < 0) b1 = b0, w0 = 1;
    m.verts.push_back({p, b0, b1, w0});
    return int(m.verts.size()) - 1;
}

// Triangles are stored with their first-second-third corners turning
// clockwise seen from outside; the game draws them as 0, 2, 1.
bool FacesInward(const Model& m, const Corner& a, const Corner& b, const Corner& c, Vec3 inside) {
    Vec3 pa = m.verts[size_t(a.xyz)].p, pb = m.verts[size_t(b.xyz)].p, pc = m.verts[size_t(c.xyz)].p;
    Vec3 n = Cross(pb - pa, pc - pa);
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
    std::vector<Vec3> centres;
    if (tube.startPole) {
        const Ring& r = rings.front();
        rows.push_back(std::vector<int>(size_t(n), AddVertex(m, tube.startAt, r.b0, r.b1, r.w0)));
        centres.push_back(tube.startAt);
    }
    for (int i = 0; i < count; ++i) {
        const Ring& r = rings[size_t(i)];
        Vec3 prev = i > 0 ? rings[size_t(i - 1)].c : (tube.startPole ? tube.startAt : r.c);
        Vec3 next = i + 1 < count ? rings[size_t(i + 1)].c : (tube.endPole ? tube.endAt : r.c);
        Vec3 t = Normalize(next - prev);
        Vec3 e1 = Normalize(tube.seam - t * Dot(tube.seam, t));
        Vec3 e2 = Cross(t, e1);
        std::vector<int> row;
        for (int k = 0; k < n; ++k) {
            double a = 2 * kPi * k / n;
            Vec3 p = r.c + e1 * (r.ra * std::cos(a)) + e2 * (r.rb * std::sin(a));
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
                d += Length(m.verts[size_t(rows[i][size_t(k)])].p - m.verts[size_t(rows[i - 1][size_t(k)])].p);
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
        Vec3 axis = (centres[size_t(i)] + centres[size_t(i + 1)]) * 0.5;
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
void AddSpike(Model& m, int chart, Vec3 base, Vec3 tip, double radius, int bone, bool pair, int material = kHorn) {
    Tube t;
    t.segments = 3;
    t.seam = std::fabs(Normalize(tip - base).y) < 0.9 ? Vec3{0, 1, 0} : Vec3{1, 0, 0};
    t.endPole = true;
    t.endAt = tip;
    t.material = material;
    std::vector<Ring> r = {{base, radius, radius, bone}};
    if (pair)
        AddPair(m, chart, r, t);
    else
        AddTube(m, chart, r, t, false);
}

}  // namespace

Model BuildCreature() {
    Model m;
    const Vec3 back{-1, 0, 0}, inner{0, 0, 1}, down{0, -1, 0}, up{0, 1, 0};

    // Torso from crotch to the top of the neck; a hump over the shoulders.
    {
        Tube t = MakeTube(back, 10);
        t.startPole = true;
        t.startAt = {0.3, -3.6, 0};
        t.endPole = true;
        t.endAt = {1.6, 24.6, 0};
        AddTube(m, NewChart(m),
                {
                    {{0.2, -2.2, 0}, 3.8, 5.0, kPelvis},
                    {{0.0, 1.5, 0}, 4.6, 6.5, kPelvis},
                    {{0.4, 6.0, 0}, 4.3, 5.6, kSpine},
                    {{0.7, 10.5, 0}, 5.3, 7.2, kSpine, kChest, 0.5},
                    {{0.5, 15.0, 0}, 5.9, 8.6, kChest},
                    {{-0.6, 18.7, 0}, 5.0, 9.2, kChest},
                    {{0.2, 21.0, 0}, 3.3, 4.6, kChest, kNeck, 0.4},
                    {{1.1, 23.6, 0}, 2.6, 3.4, kNeck},
                },
                t, false);
    }
    // Skull, from the back of the head to the muzzle.
    {
        Tube t = MakeTube(down, 8);
        t.startPole = true;
        t.startAt = {-3.0, 26.1, 0};
        t.endPole = true;
        t.endAt = {8.4, 24.9, 0};
        AddTube(m, NewChart(m, 1.6),
                {
                    {{-2.2, 26.3, 0}, 2.4, 2.6, kHead},
                    {{0.3, 26.6, 0}, 3.4, 3.5, kHead},
                    {{2.7, 26.4, 0}, 2.9, 3.3, kHead},
                    {{5.3, 25.4, 0}, 2.0, 2.3, kHead},
                    {{7.5, 25.0, 0}, 1.4, 1.7, kHead},
                },
                t, false);
    }
    // Lower jaw, hinged below the ears; its top side is the mouth.
    {
        Tube t = MakeTube(up, 6);
        t.startPole = true;
        t.startAt = {-0.3, 24.2, 0};
        t.endPole = true;
        t.endAt = {7.6, 23.9, 0};
        AddTube(m, NewChart(m, 1.4),
                {
                    {{0.8, 24.0, 0}, 1.2, 2.6, kJaw},
                    {{4.0, 23.5, 0}, 1.0, 2.1, kJaw},
                    {{6.8, 23.7, 0}, 0.7, 1.4, kJaw},
                },
                t, false);
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
        AddPair(m, NewChart(m, 1.5),
                {
                    {{0.9, 28.4, -2.2}, 1.15, 1.15, kHead},
                    {{0.2, 30.6, -3.6}, 0.9, 0.9, kHead},
                    {{-1.4, 32.3, -4.8}, 0.65, 0.65, kHead},
                    {{-3.4, 32.9, -5.4}, 0.4, 0.4, kHead},
                },
                t);
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
        AddPair(m, NewChart(m),
                {
                    {{0, 17.2, -10.2}, 3.1, 3.2, kUpperArmL, kChest, 0.8},
                    {{0.3, 12.5, -10.8}, 2.7, 2.8, kUpperArmL},
                    {{0, 7.5, -11.0}, 2.5, 2.5, kUpperArmL, kForearmL, 0.5},
                    {{0.5, 4.0, -11.2}, 2.8, 3.1, kForearmL},
                    {{0.5, -2.3, -11.5}, 1.9, 2.0, kForearmL, kHandL, 0.6},
                    {{0.7, -5.0, -11.6}, 1.3, 2.7, kHandL},
                    {{0.9, -7.6, -11.6}, 1.2, 2.4, kHandL},
                },
                t);
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
        AddPair(m, NewChart(m),
                {
                    {{0.3, -0.8, -5.0}, 3.8, 3.5, kThighL, kPelvis, 0.7},
                    {{0.8, -7.0, -5.1}, 3.1, 2.9, kThighL},
                    {{0.6, -11.0, -5.2}, 2.6, 2.6, kThighL, kShinL, 0.5},
                    {{-0.3, -14.0, -5.3}, 2.7, 2.9, kShinL},
                    {{-0.6, -20.2, -5.4}, 1.7, 1.8, kShinL, kFootL, 0.7},
                },
                t);
    }
    {
        Tube t = MakeTube(down, 6);
        t.startPole = true;
        t.startAt = {-3.0, -21.8, -5.4};
        t.endPole = true;
        t.endAt = {6.6, -22.5, -5.4};
        AddPair(m, NewChart(m),
                {
                    {{-2.0, -21.6, -5.4}, 1.4, 1.8, kFootL},
                    {{1.6, -21.8, -5.5}, 1.2, 2.3, kFootL},
                    {{5.4, -22.2, -5.5}, 0.8, 2.1, kFootL},
                },
                t);
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
        AddTube(m, NewChart(m),
                {
                    {{-3.2, 0.6, 0}, 2.4, 2.6, kTail1, kPelvis, 0.5},
                    {{-8.5, -2.5, 0}, 1.7, 1.8, kTail1, kTail2, 0.5},
                    {{-12.5, -6.5, 0}, 1.1, 1.2, kTail2, kTail3, 0.5},
                    {{-15.8, -10.6, 0}, 0.6, 0.6, kTail3},
                },
                t, false);
    }
    return m;
}

}  // namespace creature
