// MD2 decoding and loading: axes, skin-relative texture coordinates, the keyframe-40 box, hostile files.
#include <cmath>

#include "game_fixture.h"
#include "md2_builder.h"
#include "monsters/monster.h"

namespace {

Md2Status Decode(const std::vector<uint8_t>& bytes, Md2Model* model) {
    return DecodeMd2(bytes.data(), bytes.size(), model);
}

struct Md2Load : GameTest {
    ScratchDir scratch_;
};

}  // namespace

TEST(Md2Decode, SwapsTheFileAxesAndAppliesScaleAndTranslate) {
    Md2Spec m = Triangle({1, 2, 255});
    m.transform = [](int f, float s[3], float t[3]) {
        for (int a = 0; a < 3; ++a) s[a] = 0.5f, t[a] = -10.0f;
        t[1] = float(f);  // each keyframe distinguishable
    };
    Md2Model model;
    ASSERT_EQ(Decode(BuildMd2(m), &model), Md2Status::Ok);
    ASSERT_EQ(model.vertices.size(), 46u * 3u);
    const Vector3 v = model.vertices[0];
    EXPECT_EQ((std::vector<float>{v.x, v.y, v.z}), (std::vector<float>{-9.5f, 117.5f, 1.0f}))
        << "the file's third axis is up; bytes are unsigned";
    EXPECT_EQ(model.vertices[45 * 3].z, 1.0f + 45.0f) << "keyframe f starts at f * num_xyz";

    std::vector<uint8_t> bytes = BuildMd2(Triangle());
    bytes[68] = 0x40;  // s of the first pair
    bytes[69] = 0x9C;
    ASSERT_EQ(Decode(bytes, &model), Md2Status::Ok);
    EXPECT_EQ(model.texCoords[0].s, -25536) << "signed 16-bit";
}

TEST(Md2Decode, HostileFilesAreRefusedAndLeaveNothing) {
    const std::vector<uint8_t> good = BuildMd2(Triangle());
    const std::tuple<const char*, std::function<void(std::vector<uint8_t>&)>, Md2Status> cases[] = {
        {"header cut short", [](auto& b) { b.resize(40); }, Md2Status::TruncatedHeader},
        {"version 9", [](auto& b) { PutI32(b, kVersionAt, 9); }, Md2Status::BadVersion},
        {"no triangles", [](auto& b) { PutI32(b, kNumTrisAt, 0); }, Md2Status::BadCount},
        {"negative vertex count", [](auto& b) { PutI32(b, kNumXyzAt, -1); }, Md2Status::BadCount},
        {"513 frames", [](auto& b) { PutI32(b, kNumFramesAt, 513); }, Md2Status::BadCount},
        {"45 frames", [](auto& b) { PutI32(b, kNumFramesAt, 45); }, Md2Status::TooFewFrames},
        {"frame size short of 40 + 3 * 4", [](auto& b) { PutI32(b, kFrameSizeAt, 51); }, Md2Status::BadFrameSize},
        {"negative triangle offset", [](auto& b) { PutI32(b, kOfsTrisAt, -12); }, Md2Status::OutsideFile},
        {"texcoords cut short", [](auto& b) { PutI32(b, kOfsStAt, int32_t(b.size()) - 11); }, Md2Status::OutsideFile},
        {"last frame cut short", [](auto& b) { b.pop_back(); }, Md2Status::OutsideFile},
        {"texcoord index", [](auto& b) { PutU16(b, 80 + 10, 3); }, Md2Status::BadIndex},
        {"NaN scale", [](auto& b) { PutF32(b, 68 + 3 * 4 + 12, std::nanf("")); }, Md2Status::BadVertex},
    };
    for (const auto& [what, damage, expected] : cases) {
        std::vector<uint8_t> bytes = good;
        damage(bytes);
        Md2Model model;  // the bytes are exactly sized, so ASan sees any read past the end
        EXPECT_EQ(Decode(bytes, &model), expected) << what;
        EXPECT_TRUE(model.vertices.empty() && model.triangles.empty() && model.texCoords.empty()) << what;
    }
}

TEST_F(Md2Load, TexCoordsFollowTheSkinsSizeAndTheBoxKeyframe40Only) {
    scratch_.Write("data/model.bmp", Bytes(TwoColourSkin(16, 8)));  // the header says 64 x 64
    Md2Spec m = BoxModel();
    m.transform = [](int f, float s[3], float t[3]) {
        const float k = f == 40 ? 1.0f : 9.0f;  // only keyframe 40 may count
        s[0] = s[1] = s[2] = k;
        t[0] = t[1] = -10.0f * k, t[2] = -23.0f * k;
    };
    scratch_.Write("data/tris2.md2", Bytes(BuildMd2(m)));
    Monster monster;
    ASSERT_TRUE(monster.LoadModel("data/tris2.md2"));
    EXPECT_EQ((std::vector<float>{monster.texCoords[0].s, monster.texCoords[0].t, monster.texCoords[4].t}),
              (std::vector<float>{0.25f, 0.25f, 0.75f}))
        << "t is not flipped";
    const Vector3 &lo = monster.boundsMin, &hi = monster.boundsMax;
    EXPECT_EQ((std::vector<float>{lo.x, lo.y, lo.z, hi.x, hi.y, hi.z, monster.boxHalfWidth, monster.boxHalfHeight}),
              (std::vector<float>{-10, -23, -10, 10, 27, 10, 10, 30}));

    // Wholly above the origin and shorter than 20: the box reaches down to it, its half-height goes negative.
    m.transform = [](int, float s[3], float t[3]) {
        s[0] = s[1] = 1.0f, s[2] = 0.2f;
        t[0] = t[1] = 0.0f, t[2] = 5.0f;
    };
    scratch_.Write("data/tris2.md2", Bytes(BuildMd2(m)));
    ASSERT_TRUE(monster.LoadModel("data/tris2.md2"));
    EXPECT_EQ(monster.boundsMin.y, 0.0f);
    EXPECT_FLOAT_EQ(monster.boxHalfHeight, 15.0f - 20.0f);
}

TEST_F(Md2Load, FailuresLeaveNoModelAndAreReportedOncePerFile) {
    Monster monster;
    // No skin: the model is not opened, but named, so a second broken file does not hide behind the first.
    scratch_.Write("data/tris2.md2", "not a model");
    EXPECT_EQ(Stderr([&] { EXPECT_FALSE(monster.LoadModel("data/tris2.md2")); }),
              "orvanthe: data/model.bmp: cannot open (No such file or directory)\n"
              "orvanthe: data/tris2.md2: not read: data/model.bmp failed\n");
    scratch_.Write("data/model.bmp", Bytes(TwoColourSkin()));
    ForgetReportedAssetProblems();

    Md2Spec m = BoxModel();
    m.frames = 45;
    scratch_.Write("data/short45.md2", Bytes(BuildMd2(m)));
    EXPECT_EQ(Stderr([&] {
                  for (int i = 0; i < 3; ++i) EXPECT_FALSE(monster.LoadModel("data/short45.md2"));
              }),
              "orvanthe: data/short45.md2: fewer than 46 keyframes\n"
              "orvanthe: data/model.bmp: not used: data/short45.md2 failed\n");
    EXPECT_FALSE(monster.HasModel());
    EXPECT_FALSE(monster.Overlaps(monster.position, 100, 100)) << "nothing to collide with";

    // A good load, then a bad one: the old model must not linger.
    scratch_.Write("data/good.md2", Bytes(BuildMd2(BoxModel())));
    ASSERT_TRUE(monster.LoadModel("data/good.md2"));
    EXPECT_FALSE(monster.LoadModel("data/missing.md2"));
    EXPECT_TRUE(!monster.HasModel() && monster.boxHalfWidth == 0.0f);
}
