// The sky box on screen: the sky image where the frame driver draws it, in
// eye space, hiding what lies beyond it, and the current colour when the
// image is missing.
#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "scenery_fixture.h"
#include "game_fixture.h"
#include "scenery/skybox.h"

namespace {

// The sky image is a gradient: red grows with s (x), green with t (y).
constexpr int kSkySide = 256;

class SkyBox : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        WriteBytes("data/sky.bmp", MakeBmp(kSkySide, kSkySide, [](int x, int row) {
                       return Rgb{uint8_t(x), uint8_t(row), 90};
                   }));
    }
    void TearDown() override {
        GameTest::TearDown();
        glBindTexture(GL_TEXTURE_2D, 0);
        glDisable(GL_TEXTURE_2D);
        glColor3f(1, 1, 1);
        glLoadIdentity();
    }
    // What the frame driver does first in every frame.
    void DrawGameSky() {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
        DrawSkyBox(234.0f, -155.0f, -319.0f, 2000.0f, 2000.0f, 2000.0f);
    }
    ScratchDir dir;
};

}  // namespace

TEST_F(SkyBox, ShowsTheSkyImageUprightOnTheFarFaceWhereverTheCameraIsHidingWhatLiesBeyond) {
    ASSERT_TRUE(g_skyTexture.Load("data/sky.bmp"));
    glColor3f(1, 1, 1);
    DrawGameSky();
    glFinish();
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D)) << "texturing is left on";

    // Ahead lies the far face z = -1319, spanning x -766..1234, y -1155..845
    // in eye space; s = (x + 766) / 2000, t = (y + 1155) / 2000.
    const double halfTan = std::tan(22.5 * M_PI / 180.0), aspect = 800.0 / 600.0;
    for (int wx : {5, 200, 400, 650, 795})
        for (int wy : {5, 300, 595}) {
            SCOPED_TRACE(testing::Message() << "pixel " << wx << "," << wy);
            const double ex = ((wx + 0.5) / 400.0 - 1.0) * halfTan * aspect * 1319.0;
            const double ey = ((wy + 0.5) / 300.0 - 1.0) * halfTan * 1319.0;
            const double s = (ex + 766.0) / 2000.0, t = (ey + 1155.0) / 2000.0;
            const Pixel p = ReadPixel(wx, wy);
            EXPECT_NEAR(p.r, s * kSkySide - 0.5, 2.5);
            EXPECT_NEAR(p.g, t * kSkySide - 0.5, 2.5);
            EXPECT_EQ(p.b, 90);
        }

    // Turned right and walked: the sky is drawn before the view transform,
    // which goes on top of an unchanged identity.
    const auto ahead = ReadFrame();
    g_camera.Place(400, -120, -700, 401, -120.5f, -700, 0, 1, 0);
    DrawGameSky();
    EXPECT_EQ(Matrix(GL_MODELVIEW_MATRIX), kIdentity);
    const Vector3& e = g_camera.position;
    const Vector3& c = g_camera.target;
    gluLookAt(e.x, e.y, e.z, c.x, c.y, c.z, 0, 1, 0);
    glFinish();
    EXPECT_TRUE(ahead == ReadFrame());

    // It hides the world beyond its faces: red squares inside the box and
    // beyond the far face.
    glLoadIdentity();
    glDisable(GL_TEXTURE_2D);
    glColor3f(1, 0, 0);
    for (const float x : {-200.0f, 200.0f}) {
        glBegin(GL_QUADS);
        for (const auto& [dx, dy] : {std::pair{-20, -20}, {20, -20}, {20, 20}, {-20, 20}})
            glVertex3f(x + dx, dy, x < 0 ? -1200.0f : -1400.0f);
        glEnd();
    }
    glFinish();
    EXPECT_TRUE(Near(ProjectedPixel(-200, 0, -1200), {255, 0, 0}, 0));
    EXPECT_EQ(ProjectedPixel(200, 0, -1400).b, 90) << "sky, not the red quad";
}

TEST_F(SkyBox, MissingImageShowsTheCurrentColourNotTextureZero) {
    // The game's font lives in the default texture, name 0.
    const uint8_t font[4 * 4 * 3] = {0, 255, 0};
    glBindTexture(GL_TEXTURE_2D, 0);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 4, 4, 0, GL_RGB, GL_UNSIGNED_BYTE, font);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    EXPECT_EQ(Stderr([] { EXPECT_FALSE(g_skyTexture.Load("data/no-sky.bmp")); }),
              "orvanthe: data/no-sky.bmp: cannot open (No such file or directory)\n");
    glColor3f(1.0f, 0.5f, 0.0f);
    DrawGameSky();
    glFinish();
    const auto frame = ReadFrame();
    for (size_t i = 0; i < frame.size(); i += 4)
        ASSERT_TRUE(Near({frame[i], frame[i + 1], frame[i + 2]}, {255, 128, 0}, 1)) << "pixel " << i / 4;
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D)) << "texturing is left on";
    GLint wrap = 0;
    glBindTexture(GL_TEXTURE_2D, 0);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrap);
    EXPECT_EQ(wrap, GL_REPEAT) << "the font's texture is left alone";
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 0, 0, 0, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
}
