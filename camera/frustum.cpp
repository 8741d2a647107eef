// Plane extraction from the combined projection and modelview matrix, and
// the cube test against the six planes.
#include "camera/frustum.h"

#include <cmath>

void Frustum::ExtractFrom(const float proj[16], const float modl[16]) {
    // clip = Projection x Modelview, column-major; clip[3], [7], [11], [15]
    // are its w row.
    float clip[16];
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            clip[4 * r + c] = modl[4 * r] * proj[c] + modl[4 * r + 1] * proj[4 + c] + modl[4 * r + 2] * proj[8 + c] +
                              modl[4 * r + 3] * proj[12 + c];
    // Each plane is w plus or minus one of the x, y, z rows.
    struct Source {
        int row;
        float sign;
    };
    static const Source kSources[6] = {{0, -1.0f}, {0, 1.0f}, {1, 1.0f}, {1, -1.0f}, {2, -1.0f}, {2, 1.0f}};
    for (int p = 0; p < 6; ++p) {
        for (int k = 0; k < 4; ++k) planes[p][k] = clip[4 * k + 3] + kSources[p].sign * clip[4 * k + kSources[p].row];
        NormalizePlane(p);
    }
}

void Frustum::NormalizePlane(int index) {
    float* plane = planes[index];
    const float m = std::sqrt(plane[0] * plane[0] + plane[1] * plane[1] + plane[2] * plane[2]);
    // Unscaled, a zero-normal plane still means what it said: everything
    // inside when d > 0, nothing otherwise. NaN falls through here too.
    if (!(m > 0.0f)) return;
    for (int k = 0; k < 4; ++k) plane[k] /= m;
}

bool Frustum::CubeInside(float x, float y, float z, float size) const {
    const float xs[2] = {x - size, x + size};
    const float ys[2] = {y - size, y + size};
    const float zs[2] = {z - size, z + size};
    for (const float* plane : planes) {
        bool passed = false;
        // Corner order: x varies fastest, then y, then z.
        for (int corner = 0; corner < 8 && !passed; ++corner) {
            const float px = xs[corner & 1], py = ys[(corner >> 1) & 1], pz = zs[corner >> 2];
            passed = plane[0] * px + plane[1] * py + plane[2] * pz + plane[3] > 0.0f;
        }
        if (!passed) return false;
    }
    return true;
}
