// The world of play: its tick, the rules of one step of game time, which
// knows nothing of GL, and the drawing of what the last tick left.
#pragma once

#include <cstdint>

#include "camera/camera.h"

constexpr uint32_t kDamageIntervalMs = 500;
// Times the x of the bullet's direction, added to x only.
constexpr float kExplosionOffset = 0.6f;
constexpr float kEyeHeight = 50.0f;  // above the terrain under the camera
// A damaging hit marks the crosshair on its tick and the next 12.
constexpr uint32_t kHitMarkMs = 240;

// One step of play: controls, mouse look, explosions, bullets, monsters,
// hits, parking, aiming and the eye's height, in that order.
void TickWorld();
// A hash of everything the rules decide: the camera, each monster (where,
// heading, hunting, hit points, timers, keyframe), the bullets, the bursts,
// the game's timers and the random source. Two runs that played the same
// game end with the same hash.
uint64_t WorldStateHash();
// What the last tick left: the view it saw, its bursts, bullets and monsters
// in view, the terrain, the overlay and, unless the player hid it, the HUD.
// After the sky.
// Between ticks, `alpha` of the way from the one before (1: the last tick's
// own picture, to the bit): the view, bullets and monsters in view move
// evenly at any frame rate.
void DrawWorld(float alpha = 1.0f);
// Whether the last tick is within kHitMarkMs of a damaging hit.
bool HitMarkShowing();
// The eye the last DrawWorld drew from.
const Camera& LastDrawnView();
// Play starts: nothing is drawn as coming from where the last game was.
void ForgetPreviousTick();

// The eye stands 50 above the ground under it; the target moves by the same
// amount, so the view keeps its pitch. The last step of every tick, seen on
// screen from the next one.
void FollowTerrain();
