// The burst shown where a bullet damages a monster: 1000 textured squares
// flying out from one point, fading at their own rates and blended
// additively over the scene. Motion is per frame like the rest of the game;
// the world pass removes a burst once it is more than 800 ms old.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "camera/vector3.h"
#include "scenery/texture.h"

constexpr int kParticleCount = 1000;
constexpr uint32_t kExplosionLifeMs = 800;
constexpr int kParticleColourRows = 12;
constexpr const char* kParticleTexture = "data/particle.bmp";

extern const float kParticleColours[kParticleColourRows][3];

struct Particle {
    bool active = false;
    float life = 0.0f;  // the particle's alpha
    float fade = 0.0f;  // taken from life every frame
    float red = 0.0f;
    float green = 0.0f;
    float blue = 0.0f;
    Vector3 position;
    Vector3 velocity;  // per frame, before division by slowdown * 1000
    Vector3 gravity;
};

class Explosion {
public:
    Texture texture;
    float slowdown = 2.0f;
    // Only move respawned particles, which are invisible (alpha 0).
    float respawnSpeedX = 0.0f;
    float respawnSpeedY = 0.0f;
    // Row of the colour table for respawned particles; any value is read
    // modulo the table's size.
    int32_t colourIndex = 0;
    uint32_t startTick = 0;
    std::unique_ptr<Particle[]> particles;

    // Builds the burst at (x, y, z), stamped with the current tick; loads
    // "data/particle.bmp" and leaves texturing on with it bound.
    Explosion(float x, float y, float z);
    // Frees the pixels and deletes this burst's GL texture name, so a long
    // game does not pile up one name per hit.
    ~Explosion();
    Explosion(const Explosion&) = delete;
    Explosion& operator=(const Explosion&) = delete;

    // Draws every active particle, each advanced right after it is drawn.
    void DrawAndAdvance();
    void Respawn(Particle& p);
};
