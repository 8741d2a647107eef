// The player's shot: a lit red sphere flying straight along the line of
// sight it was fired on. A hit does not stop it; it lives until it leaves
// the play box.
#pragma once

#include "camera/vector3.h"

class Bullet {
public:
    Vector3 position;
    // Launch point minus aim point: it points back toward the shooter, and
    // the bullet moves against it.
    Vector3 direction;
    float halfHeight = 5.0f;
    float halfWidth = 5.0f;

    // Starts 10 units above `from`, flying toward `to`.
    void Aim(Vector3 from, Vector3 to);
    void Move();
    // A lit red sphere where it stands, or `alpha` of its last step past
    // where it stood before that step.
    void Draw(float alpha = 1.0f) const;
};

// Outside x -200..2000 or z -2000..200 (both ends inside), or so far above
// or below the platform that no eye can see it and no monster meet it.
bool OutsidePlayBox(const Vector3& p);

// Frees the sphere every bullet draws; the context must be current. The
// next bullet drawn makes it again.
void ReleaseBulletSphere();
