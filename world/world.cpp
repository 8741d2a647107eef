#include "world/world.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include "app/startup.h"
#include "world/bullet.h"
#include "world/controls.h"

namespace {

// The view is set on the identity the frame driver loaded, after the sky.
void SetView() {
    const Camera& c = g_camera;
    gluLookAt(c.position.x, c.position.y, c.position.z, c.target.x, c.target.y, c.target.z, c.up.x, c.up.y, c.up.z);
}

// Tested on the position before this frame's step, so a bullet is drawn
// once outside the box before it goes.
void UpdateBullets() {
    for (size_t i = 0; i < g_bullets.size();) {
        if (OutsidePlayBox(g_bullets[i]->position)) {
            g_bullets.erase(g_bullets.begin() + long(i));
        } else {
            g_bullets[i]->UpdateAndDraw();
            ++i;
        }
    }
}

}  // namespace

void UpdateWorld() {
    HandlePlayerInput();
    g_camera.MouseLook();
    SetView();
    UpdateBullets();
}
