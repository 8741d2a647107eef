// The bullet's sphere laid out once as arrays, in the very vertices,
// normals and strips GLU's gluSphere sends for a smooth, outward-facing,
// untextured sphere: drawn from them, a bullet looks as it always has,
// without a display list or GLU at draw time.
#pragma once

#include <GL/gl.h>

#include <vector>

#include "gl/gl_compat.h"

struct SphereMesh {
    // Runs of vertices of one kind of primitive, drawn in one call each:
    // the two caps as fans, then the bands between as quad strips (triangle strips where GL has
    // none: the same vertices make the same bands).
    struct Strips {
        GLenum mode;
        std::vector<GLint> firsts;
        std::vector<GLsizei> counts;
    };
    std::vector<GLfloat> vertices;  // x, y, z per vertex, around the origin
    std::vector<GLfloat> normals;   // x, y, z per vertex, unit length
    Strips caps{GL_TRIANGLE_FAN, {}, {}};
    Strips bands{kQuadStrip, {}, {}};
};

// Centred on the origin with its poles on the z axis, as GLU lays it out;
// `slices` around, `stacks` from pole to pole (both at least 2).
SphereMesh LayOutSphere(double radius, int slices, int stacks);
