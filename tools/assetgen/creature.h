// The monster's parts, shared by the files that build it: the skeleton and
// its poses (poses.cpp), the tube-built body (body.cpp), the skin layout and
// painting (skin.cpp); model.cpp puts them together into tris2.md2 and
// model.bmp.
//
// Axes while building: x forward (the game turns the model's +x toward the
// player), y up, z to the creature's right.
#pragma once

#include <string>
#include <vector>

#include "common/maths.h"
#include "writers.h"

namespace creature {

constexpr int kSkinSize = 256;
constexpr double kGroundY = -23.0;  // the game keeps the origin 23 units above the terrain

// ---------------------------------------------------------------- skeleton

enum Bone {
    kPelvis,
    kSpine,
    kChest,
    kNeck,
    kHead,
    kJaw,
    kUpperArmL,
    kForearmL,
    kHandL,
    kUpperArmR,
    kForearmR,
    kHandR,
    kThighL,
    kShinL,
    kFootL,
    kThighR,
    kShinR,
    kFootR,
    kTail1,
    kTail2,
    kTail3,
    kBoneCount
};

// The same bone on the other side; a bone on the middle line is its own twin.
int MirrorBone(int b);

// Local rotation of each bone in degrees: x rolls (spreads a left limb
// outward), y yaws, z pitches (a hanging limb swings forward, the spine leans
// back). Right-side values are given as for the left and mirrored.
struct Pose {
    Vec3 r[kBoneCount];
};

struct Keyframe {
    std::string name;
    Pose pose;
};

// Every keyframe of the file, in order: the base stance, then the idle,
// look, roar, crouch, run and attack sequences.
std::vector<Keyframe> Keyframes();

// ---------------------------------------------------------------- mesh

enum Material { kHide, kHorn, kEye };

struct Vertex {
    Vec3 p;  // rest position
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

// The strips cut into triangles, each turning clockwise seen from outside.
std::vector<Tri> Triangles(const Model& m);

// The left eye's centre on the skull; painting darkens the sockets around it.
extern const Vec3 kEyeCentre;

// The rest-pose surface, with one texture chart per tube (body.cpp).
Model BuildCreature();
// Skins the rest mesh to a pose and stands the lowest point on the ground
// (poses.cpp).
std::vector<Vec3> PoseVertices(const Model& m, const Pose& pose);

// ---------------------------------------------------------------- skin

// Places every chart in the skin and gives each st entry its texel.
void LayOutCharts(Model& m);
Image PaintSkin(const Model& m, const std::vector<Tri>& tris);

}  // namespace creature
