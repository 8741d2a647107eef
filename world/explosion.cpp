// Explosion particles: construction with the C library's rand, drawing as
// additive, fading squares, and the respawn of faded particles.
#include "world/explosion.h"

#include <GL/gl.h>

#include <cstdlib>

#include "gl/gl_state.h"
#include "platform/clock.h"


const float kParticleColours[kParticleColourRows][3] = {
    {1.0f, 0.5f, 0.5f},  {1.0f, 0.75f, 0.5f}, {1.0f, 1.0f, 0.5f},  {0.75f, 1.0f, 0.5f},
    {0.5f, 1.0f, 0.5f},  {0.5f, 1.0f, 0.75f}, {0.5f, 1.0f, 1.0f},  {0.5f, 0.75f, 1.0f},
    {0.5f, 0.5f, 1.0f},  {0.75f, 0.5f, 1.0f}, {1.0f, 0.5f, 1.0f},  {1.0f, 0.5f, 0.75f},
};

namespace {

const Vector3 kGravity(0.0f, -0.8f, 0.0f);

float RandomFade() { return float(double(std::rand() % 100) / 1000.0 + 0.003); }

// Any index picks a row of the table: negative and large ones wrap.
int ParticleColourRow(int32_t index) {
    const int row = index % kParticleColourRows;
    return row < 0 ? row + kParticleColourRows : row;
}

}  // namespace

Explosion::Explosion(float x, float y, float z) : particles(new Particle[kParticleCount]) {
    startTick = platform::TickCount();
    texture.Load(kParticleTexture);  // missing: drawn untextured
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture.textureId);
    for (int i = 0; i < kParticleCount; ++i) {
        Particle& p = particles[i];
        p.position = Vector3(x, y, z);
        p.active = true;
        p.life = 1.0f;
        p.fade = RandomFade();
        p.red = kParticleColours[0][0];
        p.green = kParticleColours[0][1];
        p.blue = kParticleColours[0][2];
        // Calls in this order: x, y, z. x is offset by 26, not 25.
        const float vx = float(((std::rand() % 50) - 26) * 3000);
        const float vy = float(((std::rand() % 50) - 25) * 3000);
        const float vz = float(((std::rand() % 50) - 25) * 3000);
        p.velocity = Vector3(vx, vy, vz);
        p.gravity = kGravity;
    }
}

Explosion::~Explosion() {
    texture.Release();
    if (texture.textureId != 0) {
        const GLuint name = texture.textureId;
        glDeleteTextures(1, &name);
    }
}

void Explosion::Respawn(Particle& p) {
    p.life = 0.0f;
    p.fade = RandomFade();
    p.position = Vector3(-1.0f, 0.0f, 0.0f);
    const float vx = float((std::rand() % 60) - 32) + respawnSpeedX;
    const float vy = float((std::rand() % 60) - 30) + respawnSpeedY;
    const float vz = float((std::rand() % 60) - 30);
    p.velocity = Vector3(vx, vy, vz);
    const float* colour = kParticleColours[ParticleColourRow(colourIndex)];
    p.red = colour[0];
    p.green = colour[1];
    p.blue = colour[2];
}

void Explosion::DrawAndAdvance() {
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    // Without its sprite the burst is plain squares (the white default).
    glEnable(GL_TEXTURE_2D);
    texture.Bind();
    glColor3f(0.0f, 0.0f, 0.0f);
    const float divisor = slowdown * 1000.0f;
    for (int i = 0; i < kParticleCount; ++i) {
        Particle& p = particles[i];
        if (!p.active) continue;
        const float px = p.position.x, py = p.position.y, pz = p.position.z;
        glColor4f(p.red, p.green, p.blue, p.life);
        // A square in the x-y plane, not turned toward the viewer.
        glBegin(GL_TRIANGLE_STRIP);
        glTexCoord2d(1, 1);
        glVertex3f(px + 0.5f, py + 0.5f, pz);
        glTexCoord2d(0, 1);
        glVertex3f(px - 0.5f, py + 0.5f, pz);
        glTexCoord2d(1, 0);
        glVertex3f(px + 0.5f, py - 0.5f, pz);
        glTexCoord2d(0, 0);
        glVertex3f(px - 0.5f, py - 0.5f, pz);
        glEnd();

        p.position.x += p.velocity.x / divisor;
        p.position.y += p.velocity.y / divisor;
        p.position.z += p.velocity.z / divisor;
        p.velocity += p.gravity;
        p.life -= p.fade;
        // Respawned with life 0: a faded particle adds nothing more.
        if (p.life < 0.0f) Respawn(p);
    }
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
}
