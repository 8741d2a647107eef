// The view frustum: planes read back from real GL matrices, the cube test
// at and across plane boundaries, and degenerate planes.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>

#include "camera/frustum.h"
#include "game_fixture.h"

namespace {

class FrustumTest : public GameTest {
protected:
    void LoadMatrices(const float* projection) {
        glMatrixMode(GL_PROJECTION);
        glLoadMatrixf(projection);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
    }
    void ExpectPlane(const Frustum& f, int i, float a, float b, float c, float d) {
        EXPECT_FLOAT_EQ(f.planes[i][0] + 0.0f, a) << "plane " << i;
        EXPECT_FLOAT_EQ(f.planes[i][1] + 0.0f, b) << "plane " << i;
        EXPECT_FLOAT_EQ(f.planes[i][2] + 0.0f, c) << "plane " << i;
        EXPECT_FLOAT_EQ(f.planes[i][3] + 0.0f, d) << "plane " << i;
    }
};

const float kIdentity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

}  // namespace

TEST_F(FrustumTest, IdentityMatricesGiveTheUnitCube) {
    LoadMatrices(kIdentity);
    Frustum f;
    f.Extract();
    ExpectPlane(f, kFrustumRight, -1, 0, 0, 1);
    ExpectPlane(f, kFrustumLeft, 1, 0, 0, 1);
    ExpectPlane(f, kFrustumBottom, 0, 1, 0, 1);
    ExpectPlane(f, kFrustumTop, 0, -1, 0, 1);
    ExpectPlane(f, kFrustumFar, 0, 0, -1, 1);
    ExpectPlane(f, kFrustumNear, 0, 0, 1, 1);

    const float diag[16] = {2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 1};
    LoadMatrices(diag);
    f.Extract();
    ExpectPlane(f, kFrustumRight, -1, 0, 0, 0.5f);
}

TEST_F(FrustumTest, CubesInsideOutsideStraddlingAndContaining) {
    LoadMatrices(kIdentity);
    Frustum f;
    EXPECT_FALSE(f.CubeInside(0, 0, 0, 0.5f)) << "all-zero planes before the first Extract";
    f.Extract();
    EXPECT_TRUE(f.CubeInside(0, 0, 0, 0.5f));
    EXPECT_TRUE(f.CubeInside(1.4f, 0, 0, 0.5f)) << "one corner 0.1 inside";
    EXPECT_FALSE(f.CubeInside(1.5f, 0, 0, 0.5f)) << "touching corners are not inside";
    EXPECT_FALSE(f.CubeInside(5, 0, 0, 0.5f));
    EXPECT_FALSE(f.CubeInside(0, 0, -5, 0.5f)) << "beyond the far plane";
    EXPECT_TRUE(f.CubeInside(0, 0, 0, 10)) << "a cube containing the frustum";
    EXPECT_FALSE(f.CubeInside(0, std::nanf(""), 0, 0.5f));
}

TEST_F(FrustumTest, AZeroPlaneIsNotDividedByZero) {
    Frustum f;
    f.planes[2][3] = 0.75f;
    f.NormalizePlane(2);
    for (float v : f.planes[2]) EXPECT_FALSE(std::isnan(v));
    EXPECT_EQ(f.planes[2][3], 0.75f);

    const float degenerate[16] = {0};
    LoadMatrices(degenerate);
    f.Extract();
    for (const auto& plane : f.planes)
        for (float v : plane) EXPECT_FALSE(std::isnan(v));
    EXPECT_FALSE(f.CubeInside(0, 0, 0, 1)) << "a zero matrix sees nothing";
}
