// The view frustum from the view and projection as values (the very matrices GLU gives GL), the cube test at plane
// boundaries, degenerate planes.
#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>
#include <random>

#include "camera/frustum.h"
#include "camera/matrices.h"
#include "game_fixture.h"

namespace {

const float kIdentity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

// The planes of `projection` with an identity view.
Frustum Extracted(const float* projection) {
    Frustum f;
    f.ExtractFrom(projection, kIdentity);
    return f;
}

std::vector<float> GlMatrix(GLenum which) {
    std::vector<float> m(16);
    glGetFloatv(which, m.data());
    return m;
}

}  // namespace

using FrustumTest = GameTest;

// GL draws with the matrices the rules see: the view and projection made on the CPU equal, to the bit, what GLU made
// in GL for the same camera and window, so frames stay as they were drawn before.
TEST_F(FrustumTest, ViewAndProjectionValuesAreWhatGluMakes) {
    std::mt19937 random(20261207);
    std::uniform_real_distribution<float> place(-2000.0f, 2000.0f), look(-3.0f, 3.0f);
    for (int i = 0; i < 2000; ++i) {
        Camera c;
        c.position = Vector3(place(random), place(random) / 10, place(random));
        c.target = c.position + Vector3(look(random), look(random), look(random));
        if (i % 5 == 0) c.target = c.position + Vector3(1e-5f * look(random), 1.0f, 0.0f);  // near the zenith
        c.up = Vector3(0, 1, 0);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        gluLookAt(c.position.x, c.position.y, c.position.z, c.target.x, c.target.y, c.target.z, 0, 1, 0);
        const Matrix4 view = ViewMatrix(c);
        ASSERT_EQ(GlMatrix(GL_MODELVIEW_MATRIX), std::vector<float>(view.m, view.m + 16)) << "camera " << i;
    }
    // The game's 45 degrees and the ends of the field of view setting, and a value between.
    for (const double fovy : {45.0, 30.0, 72.5, 100.0})
        for (const auto& [w, h] : {std::pair{800, 600}, {3840, 1080}, {600, 800}, {1, 1}, {1366, 768}}) {
            glMatrixMode(GL_PROJECTION);
            glLoadIdentity();
            gluPerspective(fovy, double(w) / double(h), 1.0, 2000.0);
            const Matrix4 projection = PerspectiveMatrix(fovy, double(w) / double(h), 1.0, 2000.0);
            EXPECT_EQ(GlMatrix(GL_PROJECTION_MATRIX), std::vector<float>(projection.m, projection.m + 16))
                << w << "x" << h << " at " << fovy << " degrees";
        }
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

TEST_F(FrustumTest, IdentityMatricesGiveTheUnitCube) {
    const float planes[6][4] = {{-1, 0, 0, 1}, {1, 0, 0, 1}, {0, 1, 0, 1}, {0, -1, 0, 1}, {0, 0, -1, 1}, {0, 0, 1, 1}};
    const int order[6] = {kFrustumRight, kFrustumLeft, kFrustumBottom, kFrustumTop, kFrustumFar, kFrustumNear};
    const Frustum f = Extracted(kIdentity);
    for (int i = 0; i < 6; ++i)
        for (int k = 0; k < 4; ++k) EXPECT_FLOAT_EQ(f.planes[order[i]][k] + 0.0f, planes[i][k]) << i << ", " << k;
    const float diag[16] = {2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 1};
    EXPECT_FLOAT_EQ(Extracted(diag).planes[kFrustumRight][3], 0.5f);
}

TEST_F(FrustumTest, CubesInsideOutsideStraddlingContainingAndOfAZeroMatrix) {
    EXPECT_FALSE(Frustum().CubeInside(0, 0, 0, 0.5f)) << "all-zero planes before the first Extract";
    const Frustum f = Extracted(kIdentity);
    EXPECT_TRUE(f.CubeInside(0, 0, 0, 0.5f));
    EXPECT_TRUE(f.CubeInside(1.4f, 0, 0, 0.5f)) << "one corner 0.1 inside";
    EXPECT_FALSE(f.CubeInside(1.5f, 0, 0, 0.5f)) << "touching corners are not inside";
    EXPECT_FALSE(f.CubeInside(0, 0, -5, 0.5f)) << "beyond the far plane";
    EXPECT_TRUE(f.CubeInside(0, 0, 0, 10)) << "a cube containing the frustum";
    EXPECT_FALSE(f.CubeInside(0, std::nanf(""), 0, 0.5f));

    const float zero[16] = {0};  // zero planes are left unscaled, not divided into NaN
    const Frustum none = Extracted(zero);
    for (const auto& plane : none.planes)
        for (float v : plane) EXPECT_FALSE(std::isnan(v));
    EXPECT_FALSE(none.CubeInside(0, 0, 0, 1)) << "a zero matrix sees nothing";
}
