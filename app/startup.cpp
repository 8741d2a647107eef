#include "app/startup.h"

#include "app/flow.h"
#include "app/sound.h"

Camera g_camera;

void InitGame() {
    PlaceCameraAtStart();
    StartSound();
}

void ShutdownGame() {
    StopSound();
}
