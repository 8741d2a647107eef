#include "world/bullet.h"

#define GL_GLEXT_PROTOTYPES
#include <GL/gl.h>
#include <GL/glext.h>

#include <vector>

#include "gl/gl_compat.h"
#include "scenery/terrain.h"
#include "world/sphere.h"
#include "world/world.h"

namespace {
constexpr float kLaunchHeight = 10.0f;
constexpr float kSpeedFactor = 10.0f;
constexpr double kRadius = 5.0;
constexpr int kSlices = 20;
constexpr int kStacks = 20;

// The far plane's reach from the lowest and the highest eye (50 above
// ground between -200 and -72.5), plus the radius. A bullet beyond flies on
// out of sight and out of every monster's reach; one fired straight up or
// down would otherwise never leave, as x and z hardly change.
constexpr float kFarPlane = 2000.0f;
constexpr float kHighestGround = kTerrainHeightOffset + 255.0f * kTerrainHeightScale;
constexpr float kBulletCeiling = kHighestGround + kEyeHeight + kFarPlane + float(kRadius);
constexpr float kBulletFloor = kTerrainHeightOffset + kEyeHeight - kFarPlane - float(kRadius);

// Twenty spheres sent vertex by vertex each frame cost more than the rest
// of the frame together, so the sphere is laid out once and kept in a
// vertex buffer that every bullet draws, made with the first bullet drawn
// in a context, each vertex's position and normal side by side.
const SphereMesh& Sphere() {
    static const SphereMesh mesh = LayOutSphere(kRadius, kSlices, kStacks);
    return mesh;
}
GLuint g_sphereBuffer = 0;

GLuint SphereBuffer() {
    if (g_sphereBuffer != 0) return g_sphereBuffer;
    const SphereMesh& mesh = Sphere();
    std::vector<GLfloat> interleaved;
    interleaved.reserve(2 * mesh.vertices.size());
    for (size_t i = 0; i < mesh.vertices.size(); i += 3) {
        interleaved.insert(interleaved.end(), &mesh.vertices[i], &mesh.vertices[i] + 3);
        interleaved.insert(interleaved.end(), &mesh.normals[i], &mesh.normals[i] + 3);
    }
    glGenBuffers(1, &g_sphereBuffer);
    glBindBuffer(GL_ARRAY_BUFFER, g_sphereBuffer);
    glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(interleaved.size() * sizeof(GLfloat)), interleaved.data(), GL_STATIC_DRAW);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    return g_sphereBuffer;
}

}  // namespace

void Bullet::Aim(Vector3 from, Vector3 to) {
    direction = from - to;
    position = Vector3(from.x, from.y + kLaunchHeight, from.z);
}

void Bullet::Move() { position -= direction * kSpeedFactor; }

void Bullet::Draw(float alpha) const {
    const GLuint sphere = SphereBuffer();
    if (sphere == 0) return;
    const Vector3 at = alpha >= 1.0f ? position : position + direction * (kSpeedFactor * (1.0f - alpha));
    glPushMatrix();
    glTranslatef(at.x, at.y, at.z);
    glDisable(GL_TEXTURE_2D);
    // Light 0 at its defaults, and colour material turns the red into the
    // sphere's ambient and diffuse colour.
    SetLitColour(1.0f, 0.0f, 0.0f);
    glEnable(GL_LIGHT0);
    glEnable(GL_LIGHTING);
    const SphereMesh& mesh = Sphere();
    glBindBuffer(GL_ARRAY_BUFFER, sphere);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    constexpr GLsizei kStride = 6 * sizeof(GLfloat);
    glVertexPointer(3, GL_FLOAT, kStride, nullptr);
    glNormalPointer(GL_FLOAT, kStride, reinterpret_cast<const void*>(3 * sizeof(GLfloat)));
    for (const SphereMesh::Strips* strips : {&mesh.caps, &mesh.bands})
        MultiDrawArrays(strips->mode, strips->firsts.data(), strips->counts.data(), GLsizei(strips->firsts.size()));
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glDisable(GL_LIGHT0);
    glDisable(GL_LIGHTING);
    glPopMatrix();
}

void ReleaseBulletSphere() {
    if (g_sphereBuffer != 0) glDeleteBuffers(1, &g_sphereBuffer);
    g_sphereBuffer = 0;
}

bool OutsidePlayBox(const Vector3& p) {
    return p.z < -2000.0f || p.z > 200.0f || p.x < -200.0f || p.x > 2000.0f || p.y > kBulletCeiling ||
           p.y < kBulletFloor;
}
