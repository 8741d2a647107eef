// The world of play: its tick, the rules of one step of game time, which
// knows nothing of GL, and the drawing of what the last tick left.
#pragma once

#include <cstdint>

constexpr uint32_t kDamageIntervalMs = 500;
// Times the x of the bullet's direction, added to x only.
constexpr float kExplosionOffset = 0.6f;
constexpr float kEyeHeight = 50.0f;  // above the terrain under the camera

// One step of play: controls, mouse look, explosions, bullets, monsters,
// hits, parking, aiming and the eye's height, in that order.
void TickWorld();
// What the last tick left: the view it saw, its bursts, bullets and monsters
// in view, the terrain and the overlay. After the sky.
void DrawWorld();

// The eye stands 50 above the ground under it; the target moves by the same
// amount, so the view keeps its pitch. The last step of every tick, seen on
// screen from the next one.
void FollowTerrain();
