// Monster drawing: the keyframe each draw sends (read back in GL feedback mode), corner order, the skin.
#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>

#include "game_fixture.h"
#include "md2_builder.h"
#include "monsters/monster.h"

namespace {

class Animation : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        scratch_.Write("data/model.bmp", Bytes(TwoColourSkin()));
        // Keyframe f lies at x = 10 f, its three corners at +0, +1, +2.
        Md2Spec m = Triangle();
        m.transform = [](int f, float s[3], float t[3]) {
            s[0] = s[1] = s[2] = 1.0f;
            t[0] = 10.0f * float(f), t[1] = 0.0f, t[2] = 300.0f;
        };
        scratch_.Write("data/tris2.md2", Bytes(BuildMd2(m)));
        ASSERT_TRUE(monster_.LoadModel("data/tris2.md2"));
        glMatrixMode(GL_PROJECTION);  // window coordinates equal object x and y
        glLoadIdentity();
        glOrtho(0, kWindowWidth, 0, kWindowHeight, -1, 1);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
    }

    // The x of each corner the step's keyframe (or the shown monster) sends, in order, to the nearest pixel.
    std::vector<long> Corners(bool shown = false) {
        GLfloat buffer[256];
        glFeedbackBuffer(256, GL_3D, buffer);
        glRenderMode(GL_FEEDBACK);
        shown ? monster_.DrawShown() : monster_.DrawKeyframe(monster_.StepAnimation());
        const GLint n = glRenderMode(GL_RENDER);
        std::vector<long> xs;
        for (GLint i = 0; i < n;) {
            EXPECT_EQ(buffer[i], GLfloat(GL_POLYGON_TOKEN));
            const int count = int(buffer[i + 1]);
            for (int c = 0; c < count; ++c) xs.push_back(std::lround(buffer[i + 2 + 3 * c]));
            i += 2 + 3 * count;
        }
        return xs;
    }
    int DrawnKeyframe() {
        const std::vector<long> xs = Corners();
        EXPECT_EQ(xs.size(), 3u);
        return xs.empty() ? -1 : int(xs[0] / 10);
    }

    ScratchDir scratch_;
    Monster monster_;
};

}  // namespace

// Started 96 ms before the game clock wraps, so the timer runs out across it.
TEST_F(Animation, OneKeyframePer100MsAtA20MsTickAcrossTheTickWrap) {
    monster_.SetAnimation(kIdleAnimation);
    std::vector<int> shown, advancedAt;
    for (uint32_t t = 0; t <= 220; t += 20) {
        g_gameTime = 0xFFFFFFA0u + t;
        const int before = monster_.animFrame;
        shown.push_back(DrawnKeyframe());
        if (monster_.animFrame != before) advancedAt.push_back(int(t));
    }
    EXPECT_EQ(advancedAt, (std::vector<int>{0, 100, 200}));
    EXPECT_EQ(shown, (std::vector<int>{1, 2, 2, 2, 2, 2, 3, 3, 3, 3, 3, 4}));
}

TEST_F(Animation, CornersGoZeroTwoOneAndOffsetsWrapAndCarryOver) {
    g_gameTime = 5000;
    monster_.animFrame = 5;
    EXPECT_EQ(Corners(), (std::vector<long>{60, 62, 61})) << "keyframe 6, corners 0, 2, 1";
    EXPECT_EQ(monster_.animFrame, 6) << "the step that starts the timer advances past 5";
    EXPECT_EQ(DrawnKeyframe(), 1) << "wrapped to offset 0";
    EXPECT_EQ(monster_.animFrame, 0);

    monster_.animFrame = 3;
    monster_.SetAnimation(kHuntingAnimation);
    EXPECT_EQ(DrawnKeyframe(), 43) << "a switch keeps the offset";
}

// Turned by 90 degrees, a corner 8 along the model's z stands 8 along x.
TEST_F(Animation, TheHeadingTurnsTheModelAboutItsPosition) {
    scratch_.Write("data/tris2.md2", Bytes(BuildMd2(Triangle({0, 8, 0}))));
    ASSERT_TRUE(monster_.LoadModel("data/tris2.md2"));
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, kWindowWidth, 0, kWindowHeight, -10, 10);  // deep enough for the turned corners
    glMatrixMode(GL_MODELVIEW);
    monster_.shownPosition = Vector3(100, 300, 0);
    monster_.shownHeading = 90;
    monster_.shownKeyframe = 0;
    EXPECT_EQ(Corners(true).at(0), 108);
}

TEST_F(Animation, AMonsterInFrontShowsItsSkin) {
    scratch_.Write("data/tris2.md2", Bytes(BuildMd2(BoxModel())));
    ASSERT_TRUE(monster_.LoadModel("data/tris2.md2"));
    SetProjection(kWindowWidth, kWindowHeight);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    gluLookAt(0, 0, 0, 0, 0, -1, 0, 1, 0);
    monster_.shownPosition = Vector3(0, 0, -150);
    monster_.shownHeading = 30;
    monster_.DrawShown();
    EXPECT_TRUE(Near(ReadPixel(400, 360), kSkinUpper));
    EXPECT_TRUE(Near(ReadPixel(400, 240), kSkinLower)) << "the skin's bottom rows are t = 0: the box's lower half";
    EXPECT_TRUE(Near(ReadPixel(40, 40), {0, 0, 255})) << "the clear colour around it";
    EXPECT_EQ(glIsEnabled(GL_TEXTURE_2D), GL_FALSE) << "texturing is left off";
}
