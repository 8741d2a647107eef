// The monster's skeleton, its keyframe poses and the skinning that bakes a
// pose into vertex positions: each vertex blends between its two bones.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "creature.h"

namespace creature {

int MirrorBone(int b) {
    if (b >= kUpperArmL && b <= kHandL) return b + 3;
    if (b >= kUpperArmR && b <= kHandR) return b - 3;
    if (b >= kThighL && b <= kFootL) return b + 3;
    if (b >= kThighR && b <= kFootR) return b - 3;
    return b;
}

namespace {

struct BoneDef {
    int parent;
    Vec3 joint;  // rest position; every bone rests unrotated
};

// Parents come before children. Left limbs sit at negative z.
const BoneDef kBones[kBoneCount] = {
    {-1, {0, 0, 0}},           {kPelvis, {0, 3, 0}},          {kSpine, {0, 11, 0}},
    {kChest, {0.5, 20.5, 0}},  {kNeck, {1.0, 23.5, 0}},       {kHead, {0.6, 24.6, 0}},
    {kChest, {0, 18, -9.6}},   {kUpperArmL, {0, 7.5, -11.0}}, {kForearmL, {0.5, -2.5, -11.5}},
    {kChest, {0, 18, 9.6}},    {kUpperArmR, {0, 7.5, 11.0}},  {kForearmR, {0.5, -2.5, 11.5}},
    {kPelvis, {0, 0, -4.8}},   {kThighL, {0.6, -11, -5.2}},   {kShinL, {-0.6, -20.5, -5.4}},
    {kPelvis, {0, 0, 4.8}},    {kThighR, {0.6, -11, 5.2}},    {kShinR, {-0.6, -20.5, 5.4}},
    {kPelvis, {-3.5, 0.5, 0}}, {kTail1, {-8.5, -2.5, 0}},     {kTail2, {-12.5, -6.5, 0}},
};

void SetBone(Pose& p, int leftBone, bool right, double pitch, double roll = 0, double yaw = 0) {
    p.r[right ? MirrorBone(leftBone) : leftBone] = {right ? -roll : roll, right ? -yaw : yaw, pitch};
}

Pose Blend(const Pose& a, const Pose& b, double t) {
    Pose p;
    for (int i = 0; i < kBoneCount; ++i) p.r[i] = a.r[i] + (b.r[i] - a.r[i]) * t;
    return p;
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
    p.r[kPelvis] = p.r[kPelvis] + Vec3{3 * s, 3 * s, 0};
    p.r[kSpine] = p.r[kSpine] + Vec3{-2 * s, -3 * s, 2 * c};
    p.r[kChest] = p.r[kChest] + Vec3{0, -2 * s, 3 * c};
    p.r[kNeck] = p.r[kNeck] + Vec3{0, 4 * s, -2 * c};
    p.r[kHead] = p.r[kHead] + Vec3{-3 * s, 5 * s, -3 * c};
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
    p.r[kTail1] = p.r[kTail1] + Vec3{0, 10 * s, 2 * c};
    p.r[kTail2] = p.r[kTail2] + Vec3{0, 12 * std::sin(a - 0.8), 0};
    p.r[kTail3] = p.r[kTail3] + Vec3{0, 14 * std::sin(a - 1.6), 0};
    return p;
}

// Pitches (thigh, shin, foot) that put the ankle at (forward, down) from the
// hip with the foot at the given angle, knee forward, in a pelvis pitched by
// `pelvis` degrees.
Vec3 LegTo(double forward, double down, double footPitch, double pelvis) {
    auto restAngle = [](int from, int to) {
        Vec3 d = kBones[to].joint - kBones[from].joint;
        return std::atan2(d.x, -d.y) * 180 / kPi;
    };
    const double l1 = Length(kBones[kShinL].joint - kBones[kThighL].joint);
    const double l2 = Length(kBones[kFootL].joint - kBones[kShinL].joint);
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
        Vec3 leg = LegTo(forward, down, foot, pelvis);
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
    p.r[kNeck] = p.r[kNeck] + Vec3{0, 22 * std::sin(a), 0};
    p.r[kHead] = p.r[kHead] + Vec3{-6 * std::sin(a), 18 * std::sin(a), 6 * std::sin(2 * a)};
    p.r[kChest] = p.r[kChest] + Vec3{0, 8 * std::sin(a), 0};
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
    p.r[kHead] = p.r[kHead] + Vec3{6 * shake, 4 * shake, 0};
    return p;
}

// A swipe with the right claw, left arm braced.
Pose Attack(double t) {
    Pose p = Run(0.25);
    double wind = SmoothStep(0.0, 0.35, t) * (1 - SmoothStep(0.35, 0.6, t));
    double strike = SmoothStep(0.35, 0.6, t) * (1 - SmoothStep(0.75, 1.0, t));
    SetBone(p, kUpperArmL, true, 60 + 70 * wind - 40 * strike, 40 * wind + 10, -30 * wind + 40 * strike);
    SetBone(p, kForearmL, true, 40 + 50 * wind - 20 * strike);
    p.r[kChest] = p.r[kChest] + Vec3{0, 20 * wind - 25 * strike, 0};
    p.r[kJaw] = {0, 0, -10 - 25 * strike};
    return p;
}

}  // namespace

std::vector<Keyframe> Keyframes() {
    std::vector<Keyframe> k;
    auto add = [&](const std::string& base, int i, const Pose& p) { k.push_back({base + std::to_string(i), p}); };
    k.push_back({"base", Stance()});
    for (int i = 0; i < 6; ++i) add("idle", i + 1, Idle(i / 6.0));    // 1..6
    for (int i = 0; i < 12; ++i) add("look", i + 1, Look(i / 12.0));  // 7..18
    for (int i = 0; i < 12; ++i) add("roar", i + 1, Roar(i / 12.0));  // 19..30
    for (int i = 0; i < 9; ++i)                                       // 31..39
        add("crouch", i + 1, Blend(Idle(0), Run(0.5 / 6.0), SmoothStep(0, 1, (i + 1) / 10.0)));
    for (int i = 0; i < 6; ++i) add("run", i + 1, Run((i + 0.5) / 6.0));  // 40..45
    for (int i = 0; i < 6; ++i) add("attack", i + 1, Attack(i / 6.0));    // 46..51
    return k;
}

std::vector<Vec3> PoseVertices(const Model& m, const Pose& pose) {
    Transform global[kBoneCount], skin[kBoneCount];
    for (int b = 0; b < kBoneCount; ++b) {
        const Vec3 r = pose.r[b];
        Mat3 rot = Mul(RotY(r.y), Mul(RotX(r.x), RotZ(r.z)));
        int parent = kBones[b].parent;
        if (parent < 0) {
            global[b] = {rot, kBones[b].joint};
        } else {
            Transform local{rot, kBones[b].joint - kBones[parent].joint};
            global[b] = Compose(global[parent], local);
        }
        skin[b] = Compose(global[b], Transform{kIdentity, kBones[b].joint * -1.0});
    }
    std::vector<Vec3> out;
    double minY = 1e9;
    for (const Vertex& v : m.verts) {
        Vec3 p = Apply(skin[v.b0], v.p) * v.w0 + Apply(skin[v.b1], v.p) * (1 - v.w0);
        out.push_back(p);
        minY = std::min(minY, p.y);
    }
    for (Vec3& p : out) p.y += kGroundY - minY;
    return out;
}

}  // namespace creature
