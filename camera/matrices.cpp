#include "camera/matrices.h"

#include <cmath>

namespace {

// In float with a double square root, as GLU does it; a zero vector stays.
void NormalizeLikeGlu(float v[3]) {
    const float r = float(std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]));
    if (r == 0.0f) return;
    v[0] /= r;
    v[1] /= r;
    v[2] /= r;
}

void CrossLikeGlu(const float a[3], const float b[3], float out[3]) {
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}

}  // namespace

Matrix4 ViewMatrix(const Camera& c) {
    // gluLookAt takes doubles: the differences are made in double and
    // stored as float.
    const double eye[3] = {c.position.x, c.position.y, c.position.z};
    float forward[3] = {float(double(c.target.x) - eye[0]), float(double(c.target.y) - eye[1]),
                        float(double(c.target.z) - eye[2])};
    float up[3] = {c.up.x, c.up.y, c.up.z};
    NormalizeLikeGlu(forward);
    float side[3];
    CrossLikeGlu(forward, up, side);
    NormalizeLikeGlu(side);
    CrossLikeGlu(side, forward, up);

    Matrix4 v;
    float* m = v.m;
    m[0] = side[0];
    m[4] = side[1];
    m[8] = side[2];
    m[1] = up[0];
    m[5] = up[1];
    m[9] = up[2];
    m[2] = -forward[0];
    m[6] = -forward[1];
    m[10] = -forward[2];
    // Then glTranslated(-eye): GL takes the offsets as floats and adds the
    // translation column term by term in this order.
    const float x = float(-eye[0]), y = float(-eye[1]), z = float(-eye[2]);
    m[12] = m[0] * x + m[4] * y + m[8] * z + m[12];
    m[13] = m[1] * x + m[5] * y + m[9] * z + m[13];
    m[14] = m[2] * x + m[6] * y + m[10] * z + m[14];
    m[15] = m[3] * x + m[7] * y + m[11] * z + m[15];
    return v;
}

Matrix4 PerspectiveMatrix(double fovy, double aspect, double zNear, double zFar) {
    Matrix4 p;
    const double radians = fovy / 2 * 3.14159265358979323846 / 180;
    const double deltaZ = zFar - zNear;
    const double sine = std::sin(radians);
    if (deltaZ == 0 || sine == 0 || aspect == 0) return p;
    const double cotangent = std::cos(radians) / sine;
    p.m[0] = float(cotangent / aspect);
    p.m[5] = float(cotangent);
    p.m[10] = float(-(zFar + zNear) / deltaZ);
    p.m[11] = -1.0f;
    p.m[14] = float(-2 * zNear * zFar / deltaZ);
    p.m[15] = 0.0f;
    return p;
}
