// Sky box drawing: six faces, each with its own corner order and texture
// coordinates so the image reads the right way round from inside.
#include "scenery/skybox.h"

#include <GL/gl.h>

#include "core/state.h"
#include "gl/gl_compat.h"
#include "gl/gl_state.h"

namespace {

struct SkyCorner {
    float s, t;
    int x, y, z;  // 0 picks the low corner on that axis, 1 the high one
};

const SkyCorner kFaces[6][4] = {
    {{1, 0, 1, 0, 0}, {1, 1, 1, 1, 0}, {0, 1, 0, 1, 0}, {0, 0, 0, 0, 0}},  // far, z = z0
    {{1, 0, 0, 0, 1}, {1, 1, 0, 1, 1}, {0, 1, 1, 1, 1}, {0, 0, 1, 0, 1}},  // near, z = z1
    {{1, 0, 0, 0, 0}, {1, 1, 0, 0, 1}, {0, 1, 1, 0, 1}, {0, 0, 1, 0, 0}},  // bottom, y = y0
    {{0, 1, 1, 1, 0}, {0, 0, 1, 1, 1}, {1, 0, 0, 1, 1}, {1, 1, 0, 1, 0}},  // top, y = y1
    {{1, 1, 0, 1, 0}, {0, 1, 0, 1, 1}, {0, 0, 0, 0, 1}, {1, 0, 0, 0, 0}},  // left, x = x0
    {{0, 0, 1, 0, 0}, {1, 0, 1, 0, 1}, {1, 1, 1, 1, 1}, {0, 1, 1, 1, 0}},  // right, x = x1
};

}  // namespace

void DrawSkyBox(float x, float y, float z, float width, float height, float length) {
    // A missing sky binds the white default: the faces show the current colour.
    glEnable(GL_TEXTURE_2D);
    const float x0 = x - width * 0.5f, y0 = y - height * 0.5f, z0 = z - length * 0.5f;
    const float xs[2] = {x0, x0 + width};
    const float ys[2] = {y0, y0 + height};
    const float zs[2] = {z0, z0 + length};
    for (const auto& face : kFaces) {
        g_skyTexture.Bind();
        SetTextureWrap(kClampWrap);
        glBegin(GL_QUADS);
        for (const SkyCorner& c : face) {
            glTexCoord2f(c.s, c.t);
            glVertex3f(xs[c.x], ys[c.y], zs[c.z]);
        }
        glEnd();
    }
}
