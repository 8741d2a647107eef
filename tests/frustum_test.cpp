// The view frustum: planes from real GL matrices, the cube test at plane boundaries, degenerate planes.
#include <GL/gl.h>

#include <cmath>

#include "camera/frustum.h"
#include "game_fixture.h"

namespace {

// The planes of `projection` on an identity modelview.
Frustum Extracted(const float* projection) {
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixf(projection);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    Frustum f;
    f.Extract();
    return f;
}

const float kIdentity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

}  // namespace

using FrustumTest = GameTest;

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
