// The burst shown where a bullet damages a monster: 1000 textured squares
// flying out from one point, fading at their own rates and blended
// additively over the scene. Motion is per tick like the rest of the world;
// the tick removes a burst once it is more than 800 ms old. All bursts
// share one sprite, loaded with the game, so a hit costs no upload.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "camera/vector3.h"

constexpr int kParticleCount = 1000;
constexpr uint32_t kExplosionLifeMs = 800;
constexpr int kParticleColourRows = 12;
constexpr const char* kParticleTexture = "data/particle.bmp";

extern const float kParticleColours[kParticleColourRows][3];

struct Particle {
    bool active = false;
    float life = 0.0f;  // the particle's alpha
    float fade = 0.0f;  // taken from life every tick
    float red = 0.0f;
    float green = 0.0f;
    float blue = 0.0f;
    Vector3 position;
    Vector3 velocity;  // per frame, before division by slowdown * 1000
    Vector3 gravity;
    Vector3 lastStep;  // how far the last tick moved it; none across a respawn
};

// Loads "data/particle.bmp" into g_particleTexture (InitGame); a missing
// sprite leaves bursts as plain squares. Release gives back its GL name.
void LoadParticleSprite();
void ReleaseParticleSprite();

class Explosion {
public:
    float slowdown = 2.0f;
    // Only move respawned particles, which are invisible (alpha 0).
    float respawnSpeedX = 0.0f;
    float respawnSpeedY = 0.0f;
    // Row of the colour table for respawned particles; any value is read
    // modulo the table's size.
    int32_t colourIndex = 0;
    uint32_t startTick = 0;
    std::unique_ptr<Particle[]> particles;
    // What the last tick left to be drawn: a square for every active
    // particle as it stood before that tick's step, four corners' positions
    // and colours each, laid out once a tick however many frames draw it.
    // Nothing until the burst's first tick.
    std::unique_ptr<float[]> shownCorners;  // x, y, z per corner
    std::unique_ptr<float[]> shownColours;  // red, green, blue, life per corner
    std::unique_ptr<float[]> shownSteps;    // x, y, z per square: from the tick before's
    int shownCount = 0;

    // Builds the burst at (x, y, z), stamped with the current tick, drawing
    // its random values from g_random.
    Explosion(float x, float y, float z);
    Explosion(const Explosion&) = delete;
    Explosion& operator=(const Explosion&) = delete;

    // The tick's part: notes every active particle as it stands, then
    // advances each in index order.
    void Advance();
    // What the last Advance noted, `alpha` of the way from what the one
    // before noted (each square slid back along its last step), in one call.
    void Draw(float alpha = 1.0f) const;
    // The corners Draw(alpha) draws, into `out` (shownCount squares').
    void LayOutCorners(float alpha, float* out) const;
    void Respawn(Particle& p);
};
