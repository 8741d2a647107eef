// The monster (tris2.md2) and its skin (model.bmp).
//
// A hunched, horned, long-armed beast. Its surface is a set of tubes (rings of
// vertices) skinned to a small skeleton; every keyframe poses the skeleton and
// bakes the result. The skin is painted from the same rest-pose surface, texel
// by texel, so paint and geometry always agree. The parts are in creature.h.
#include <string>
#include <vector>

#include "assets.h"
#include "common/bytes.h"
#include "creature.h"
#include "md2_writer.h"
#include "writers.h"

using namespace creature;

bool MakeModel(const std::string& dir) {
    Model m = BuildCreature();
    LayOutCharts(m);
    const std::vector<Tri> tris = Triangles(m);
    bool ok = WriteBmp(dir + "/model.bmp", PaintSkin(m, tris));

    Md2Source md2;
    md2.skinName = "model.bmp";
    md2.skinWidth = md2.skinHeight = kSkinSize;
    for (const StEntry& e : m.sts) md2.texCoords.push_back({e.s, e.t});
    for (const Tri& t : tris) md2.triangles.push_back({{t.xyz[0], t.xyz[1], t.xyz[2]}, {t.st[0], t.st[1], t.st[2]}});
    for (const Keyframe& key : Keyframes()) md2.frames.push_back({key.name, PoseVertices(m, key.pose)});
    for (const Prim& p : m.prims) {
        md2.strips.emplace_back();
        for (const Corner& c : p.corners) md2.strips.back().push_back({c.xyz, c.st});
    }
    ok = WriteFile(dir + "/tris2.md2", EncodeMd2(md2)) && ok;
    return ok;
}
