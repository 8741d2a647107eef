#include "app/startup.h"

#include "app/flow.h"
#include "app/sound.h"

std::vector<std::unique_ptr<Bullet>> g_bullets;
Camera g_camera;

void InitGame() {
    PlaceCameraAtStart();
    StartSound();
}

void ShutdownGame() {
    StopSound();
    g_bullets.clear();
}
