#include "world/world.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include "app/startup.h"

void UpdateWorld() {
    g_camera.MouseLook();
    const Camera& c = g_camera;
    gluLookAt(c.position.x, c.position.y, c.position.z, c.target.x, c.target.y, c.target.z, c.up.x, c.up.y, c.up.z);
}
