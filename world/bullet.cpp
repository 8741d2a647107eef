#include "world/bullet.h"

#include <GL/gl.h>

namespace {
constexpr float kLaunchHeight = 10.0f;
constexpr float kSpeedFactor = 10.0f;
constexpr double kRadius = 5.0;
constexpr int kSlices = 20;
constexpr int kStacks = 20;
}  // namespace

Bullet::Bullet() : quadric(gluNewQuadric()) {}

Bullet::~Bullet() {
    if (quadric) gluDeleteQuadric(quadric);
}

void Bullet::Aim(Vector3 from, Vector3 to) {
    direction = from - to;
    position = Vector3(from.x, from.y + kLaunchHeight, from.z);
}

void Bullet::Move() { position -= direction * kSpeedFactor; }

void Bullet::UpdateAndDraw() {
    Move();
    if (!quadric) return;
    glPushMatrix();
    glTranslatef(position.x, position.y, position.z);
    glDisable(GL_TEXTURE_2D);
    // Light 0 at its defaults, and colour material turns the red into the
    // sphere's ambient and diffuse colour.
    glColor3ub(255, 0, 0);
    glEnable(GL_LIGHT0);
    glEnable(GL_LIGHTING);
    gluSphere(quadric, kRadius, kSlices, kStacks);
    glDisable(GL_LIGHT0);
    glDisable(GL_LIGHTING);
    glPopMatrix();
}

bool OutsidePlayBox(const Vector3& p) { return p.z < -2000.0f || p.z > 200.0f || p.x < -200.0f || p.x > 2000.0f; }
