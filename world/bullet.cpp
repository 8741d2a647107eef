#include "world/bullet.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include "scenery/terrain.h"
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
// of the frame together, so the sphere is compiled once into a display list
// that every bullet calls, made with the first bullet drawn in a context.
GLuint g_sphereList = 0;

GLuint SphereList() {
    if (g_sphereList != 0) return g_sphereList;
    GLUquadric* quadric = gluNewQuadric();
    if (!quadric) return 0;
    g_sphereList = glGenLists(1);
    glNewList(g_sphereList, GL_COMPILE);
    gluSphere(quadric, kRadius, kSlices, kStacks);
    glEndList();
    gluDeleteQuadric(quadric);
    return g_sphereList;
}

}  // namespace

void Bullet::Aim(Vector3 from, Vector3 to) {
    direction = from - to;
    position = Vector3(from.x, from.y + kLaunchHeight, from.z);
}

void Bullet::Move() { position -= direction * kSpeedFactor; }

void Bullet::Draw(float alpha) const {
    const GLuint sphere = SphereList();
    if (sphere == 0) return;
    const Vector3 at = alpha >= 1.0f ? position : position + direction * (kSpeedFactor * (1.0f - alpha));
    glPushMatrix();
    glTranslatef(at.x, at.y, at.z);
    glDisable(GL_TEXTURE_2D);
    // Light 0 at its defaults, and colour material turns the red into the
    // sphere's ambient and diffuse colour.
    glColor3ub(255, 0, 0);
    glEnable(GL_LIGHT0);
    glEnable(GL_LIGHTING);
    glCallList(sphere);
    glDisable(GL_LIGHT0);
    glDisable(GL_LIGHTING);
    glPopMatrix();
}

void ReleaseBulletSphere() {
    if (g_sphereList != 0) glDeleteLists(g_sphereList, 1);
    g_sphereList = 0;
}

bool OutsidePlayBox(const Vector3& p) {
    return p.z < -2000.0f || p.z > 200.0f || p.x < -200.0f || p.x > 2000.0f || p.y > kBulletCeiling ||
           p.y < kBulletFloor;
}
