// The view and projection as values: computed here on the CPU, handed to GL
// to draw with and to the frustum for the rules, so nothing that decides
// the game is read back from GL. The arithmetic follows GLU's gluLookAt and
// gluPerspective step for step, so GL gets the very matrices it made before.
#pragma once

#include "camera/camera.h"

// Sixteen floats in GL's column-major order.
struct Matrix4 {
    float m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
};

// What gluLookAt makes of the camera on an identity modelview.
Matrix4 ViewMatrix(const Camera& camera);

// What gluPerspective makes on an identity projection: fovy in degrees.
// Degenerate arguments (no depth range, no field of view, no width) leave
// the identity, as gluPerspective leaves the matrix alone.
Matrix4 PerspectiveMatrix(double fovy, double aspect, double zNear, double zFar);
