#include "world/sphere.h"

#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;

// GLU computes every angle in double, keeps it as a float and takes the
// sine of that float in double; the same steps give the same bits.
float Angle(double full, int i, int n) { return float(full * i / n); }

}  // namespace

SphereMesh LayOutSphere(double radius, int slices, int stacks) {
    // Around (a) and from the +z pole (b): the vertices' and the normals'.
    std::vector<GLfloat> sinA(size_t(slices) + 1), cosA(size_t(slices) + 1);
    std::vector<GLfloat> sinB(size_t(stacks) + 1), cosB(size_t(stacks) + 1);
    std::vector<GLfloat> normalSinB(size_t(stacks) + 1), normalCosB(size_t(stacks) + 1);
    for (int i = 0; i < slices; ++i) {
        const float angle = Angle(2 * kPi, i, slices);
        sinA[i] = GLfloat(std::sin(double(angle)));
        cosA[i] = GLfloat(std::cos(double(angle)));
    }
    sinA[slices] = sinA[0];
    cosA[slices] = cosA[0];
    for (int j = 0; j <= stacks; ++j) {
        const float angle = Angle(kPi, j, stacks);
        normalSinB[j] = GLfloat(std::sin(double(angle)));
        normalCosB[j] = GLfloat(std::cos(double(angle)));
        sinB[j] = GLfloat(radius * std::sin(double(angle)));
        cosB[j] = GLfloat(radius * std::cos(double(angle)));
    }
    // The poles come to a point.
    sinB[0] = 0;
    sinB[stacks] = 0;

    SphereMesh mesh;
    const auto add = [&mesh](GLfloat nx, GLfloat ny, GLfloat nz, GLfloat x, GLfloat y, GLfloat z) {
        mesh.normals.insert(mesh.normals.end(), {nx, ny, nz});
        mesh.vertices.insert(mesh.vertices.end(), {x, y, z});
    };
    const auto begin = [&mesh](SphereMesh::Strips& strips) {
        strips.firsts.push_back(GLint(mesh.vertices.size() / 3));
        strips.counts.push_back(0);
    };
    const auto end = [&mesh](SphereMesh::Strips& strips) {
        strips.counts.back() = GLsizei(mesh.vertices.size() / 3) - strips.firsts.back();
    };

    // The +z cap: its apex, then the first ring, turning back.
    begin(mesh.caps);
    add(sinA[0] * normalSinB[0], cosA[0] * normalSinB[0], normalCosB[0], 0.0f, 0.0f, GLfloat(radius));
    for (int i = slices; i >= 0; --i)
        add(sinA[i] * normalSinB[1], cosA[i] * normalSinB[1], normalCosB[1], sinB[1] * sinA[i], sinB[1] * cosA[i],
            cosB[1]);
    end(mesh.caps);

    // The -z cap: its apex, then the last ring, turning forward. The apex's
    // normal leans by the float pole's sine, about 1e-7, as GLU's does.
    begin(mesh.caps);
    add(sinA[slices] * normalSinB[stacks], cosA[slices] * normalSinB[stacks], normalCosB[stacks], 0.0f, 0.0f,
        GLfloat(-radius));
    const int last = stacks - 1;
    for (int i = 0; i <= slices; ++i)
        add(sinA[i] * normalSinB[last], cosA[i] * normalSinB[last], normalCosB[last], sinB[last] * sinA[i],
            sinB[last] * cosA[i], cosB[last]);
    end(mesh.caps);

    // The bands between, each from its lower ring's edge to its upper's.
    for (int j = 1; j < stacks - 1; ++j) {
        begin(mesh.bands);
        for (int i = 0; i <= slices; ++i) {
            add(sinA[i] * normalSinB[j + 1], cosA[i] * normalSinB[j + 1], normalCosB[j + 1], sinB[j + 1] * sinA[i],
                sinB[j + 1] * cosA[i], cosB[j + 1]);
            add(sinA[i] * normalSinB[j], cosA[i] * normalSinB[j], normalCosB[j], sinB[j] * sinA[i], sinB[j] * cosA[i],
                cosB[j]);
        }
        end(mesh.bands);
    }
    return mesh;
}
