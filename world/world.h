// One frame of play: input, view, drawing and moving the world by one step.
#pragma once

#include <cstdint>

constexpr uint32_t kDamageIntervalMs = 500;
// Times the x of the bullet's direction, added to x only.
constexpr float kExplosionOffset = 0.6f;
constexpr float kEyeHeight = 50.0f;  // above the terrain under the camera

// Called by the frame driver once per frame of play, after the clear.
void UpdateWorld();

// The eye stands 50 above the ground under it; the target moves by the same
// amount, so the view keeps its pitch. The last step of every pass, seen on
// screen from the next one.
void FollowTerrain();
