// The program-wide objects, and the start-up and shutdown around the main
// loop. Assets are loaded here once; a missing one leaves its object empty
// and the game runs on without it.
#pragma once

#include <memory>
#include <vector>

#include "camera/camera.h"
#include "scenery/terrain.h"
#include "world/bullet.h"

// Live shots in firing order; removing an entry destroys the bullet.
extern std::vector<std::unique_ptr<Bullet>> g_bullets;
extern Camera g_camera;
// The heightmap platform; lives for the whole run.
extern Terrain* g_terrain;

// Called once, after the window, GL context and fixed GL state exist.
void InitGame();
// Called once, after the main loop has ended.
void ShutdownGame();
