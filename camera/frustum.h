// The view frustum: six planes in world coordinates taken from the
// projection and view matrices, so the monster pass can skip what the
// camera cannot see.
#pragma once

// Plane indices in `planes`.
enum FrustumPlane { kFrustumRight, kFrustumLeft, kFrustumBottom, kFrustumTop, kFrustumFar, kFrustumNear };

class Frustum {
public:
    // a, b, c, d: a point is inside a plane when a*x + b*y + c*z + d > 0.
    float planes[6][4] = {};

    // From the projection and the view (a world-to-eye modelview, so the
    // planes come out in world coordinates), in GL's column-major order.
    void ExtractFrom(const float projection[16], const float modelview[16]);
    // Scales the plane to a unit normal; a plane with a zero normal (only
    // degenerate matrices make one) is left as it is.
    void NormalizePlane(int index);
    // Conservative: true when, for every plane, some corner of the cube
    // (centre x, y, z, half-edge size) is strictly inside it.
    bool CubeInside(float x, float y, float z, float size) const;
};
