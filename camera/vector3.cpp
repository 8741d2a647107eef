#include "camera/vector3.h"

#include <cmath>

Vector3 Cross(const Vector3& a, const Vector3& b) {
    return Vector3(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
}

float Magnitude(const Vector3& v) {
    const double x = v.x, y = v.y, z = v.z;
    return float(std::sqrt(x * x + y * y + z * z));
}

void Normalize(Vector3& v) {
    float m = Magnitude(v);
    if (m == 0.0f) m = 1.0f;
    v.x /= m;
    v.y /= m;
    v.z /= m;
}
