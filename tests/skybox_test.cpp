// The sky box in eye space: its tint where its image is missing, never the font, and hiding what lies
// beyond its faces. What the image shows where is the display tests' business.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include "app/sky_view.h"
#include "scenery/skybox.h"
#include "scenery_fixture.h"

using SkyBox = DrawingTest;

TEST_F(SkyBox, MissingImageShowsTheTintNotTextureZeroAndHidesWhatLiesBeyond) {
    FontInTextureZero({0, 255, 0});
    EXPECT_EQ(Stderr([] { EXPECT_FALSE(g_skyTexture.Load("data/no-sky.bmp")); }),
              "orvanthe: data/no-sky.bmp: cannot open (No such file or directory)\n");
    ClearAndDrawSky({1.0f, 0.5f, 0.0f, 1.0f});
    const auto frame = ReadFrame();
    for (size_t i = 0; i < frame.size(); i += 4)
        ASSERT_TRUE(Near({frame[i], frame[i + 1], frame[i + 2]}, {255, 128, 0}, 1)) << "pixel " << i / 4;
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D)) << "texturing is left on";
    EXPECT_EQ(Matrix(GL_MODELVIEW_MATRIX), kIdentity) << "drawn in eye space, the view left to the caller";

    // Red squares inside the box and beyond its far face: only the first shows.
    glDisable(GL_TEXTURE_2D);
    glColor3f(1, 0, 0);
    for (const float x : {-200.0f, 200.0f}) {
        glTranslatef(0, 0, x < 0 ? -1200.0f : -1400.0f);
        glRectf(x - 20, -20, x + 20, 20);
        glLoadIdentity();
    }
    EXPECT_TRUE(Near(ProjectedPixel(-200, 0, -1200), {255, 0, 0}, 0));
    EXPECT_TRUE(Near(ProjectedPixel(200, 0, -1400), {255, 128, 0}, 1)) << "sky, not the red quad";

    GLint wrap = 0;
    glBindTexture(GL_TEXTURE_2D, 0);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrap);
    EXPECT_EQ(wrap, GL_REPEAT) << "the font's texture is left alone";
}
