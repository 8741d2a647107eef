// Explosion particles: construction from the world's random source, the
// tick's motion and respawn of faded particles, and drawing what the tick
// left as additive, fading squares.
#include "world/explosion.h"

#include <GL/gl.h>

#include <vector>

#include "core/random.h"
#include "core/state.h"
#include "gl/gl_state.h"
#include "scenery/texture.h"

const float kParticleColours[kParticleColourRows][3] = {
    {1.0f, 0.5f, 0.5f}, {1.0f, 0.75f, 0.5f}, {1.0f, 1.0f, 0.5f}, {0.75f, 1.0f, 0.5f},
    {0.5f, 1.0f, 0.5f}, {0.5f, 1.0f, 0.75f}, {0.5f, 1.0f, 1.0f}, {0.5f, 0.75f, 1.0f},
    {0.5f, 0.5f, 1.0f}, {0.75f, 0.5f, 1.0f}, {1.0f, 0.5f, 1.0f}, {1.0f, 0.5f, 0.75f},
};

namespace {

const Vector3 kGravity(0.0f, -0.8f, 0.0f);
// One burst's corners as a frame between two ticks sees them; reused.
std::vector<float> g_cornersBetween;

float RandomFade() { return float(double(g_random.Next() % 100) / 1000.0 + 0.003); }

// Any index picks a row of the table: negative and large ones wrap.
int ParticleColourRow(int32_t index) {
    const int row = index % kParticleColourRows;
    return row < 0 ? row + kParticleColourRows : row;
}

// Every square's corners in the order a strip of them takes; each square is
// the two triangles that strip makes, so one call draws what a strip per
// particle drew. These are the same for every burst.
constexpr int kCorners = 4;
constexpr int kSquareIndices = 6;
float cornerTexCoords[kParticleCount * kCorners][2];
GLushort squareIndices[kParticleCount * kSquareIndices];

void FillConstantArrays() {
    static bool filled = false;
    if (filled) return;
    const float texCoords[kCorners][2] = {{1, 1}, {0, 1}, {1, 0}, {0, 0}};
    const int stripTriangles[kSquareIndices] = {0, 1, 2, 2, 1, 3};
    for (int i = 0; i < kParticleCount; ++i) {
        for (int c = 0; c < kCorners; ++c) {
            cornerTexCoords[kCorners * i + c][0] = texCoords[c][0];
            cornerTexCoords[kCorners * i + c][1] = texCoords[c][1];
        }
        for (int k = 0; k < kSquareIndices; ++k)
            squareIndices[kSquareIndices * i + k] = GLushort(kCorners * i + stripTriangles[k]);
    }
    filled = true;
}

}  // namespace

void LoadParticleSprite() { g_particleTexture.Load(kParticleTexture); }

void ReleaseParticleSprite() {
    if (g_particleTexture.textureId != 0) {
        const GLuint name = g_particleTexture.textureId;
        glDeleteTextures(1, &name);
    }
    g_particleTexture = Texture();
}

Explosion::Explosion(float x, float y, float z)
    : particles(new Particle[kParticleCount]),
      shownCorners(new float[kParticleCount * kCorners * 3]),
      shownColours(new float[kParticleCount * kCorners * 4]),
      shownSteps(new float[kParticleCount * 3]) {
    startTick = g_gameTime;
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
        const float vx = float(((g_random.Next() % 50) - 26) * 3000);
        const float vy = float(((g_random.Next() % 50) - 25) * 3000);
        const float vz = float(((g_random.Next() % 50) - 25) * 3000);
        p.velocity = Vector3(vx, vy, vz);
        p.gravity = kGravity;
    }
}

void Explosion::Respawn(Particle& p) {
    p.life = 0.0f;
    p.fade = RandomFade();
    p.position = Vector3(-1.0f, 0.0f, 0.0f);
    // Where it went is no motion a frame between two ticks should show.
    p.lastStep = Vector3();
    const float vx = float((g_random.Next() % 60) - 32) + respawnSpeedX;
    const float vy = float((g_random.Next() % 60) - 30) + respawnSpeedY;
    const float vz = float((g_random.Next() % 60) - 30);
    p.velocity = Vector3(vx, vy, vz);
    const float* colour = kParticleColours[ParticleColourRow(colourIndex)];
    p.red = colour[0];
    p.green = colour[1];
    p.blue = colour[2];
}

void Explosion::Advance() {
    const float divisor = slowdown * 1000.0f;
    shownCount = 0;
    for (int i = 0; i < kParticleCount; ++i) {
        Particle& p = particles[i];
        if (!p.active) continue;
        // A square in the x-y plane, not turned toward the viewer.
        const float px = p.position.x, py = p.position.y, pz = p.position.z;
        const float corners[kCorners][3] = {{px + 0.5f, py + 0.5f, pz},
                                            {px - 0.5f, py + 0.5f, pz},
                                            {px + 0.5f, py - 0.5f, pz},
                                            {px - 0.5f, py - 0.5f, pz}};
        const float colour[4] = {p.red, p.green, p.blue, p.life};
        for (int c = 0; c < kCorners; ++c) {
            float* at = &shownCorners[size_t(3 * (kCorners * shownCount + c))];
            float* tint = &shownColours[size_t(4 * (kCorners * shownCount + c))];
            for (int k = 0; k < 3; ++k) at[k] = corners[c][k];
            for (int k = 0; k < 4; ++k) tint[k] = colour[k];
        }
        float* step = &shownSteps[size_t(3 * shownCount)];
        step[0] = p.lastStep.x, step[1] = p.lastStep.y, step[2] = p.lastStep.z;
        ++shownCount;

        p.lastStep = Vector3(p.velocity.x / divisor, p.velocity.y / divisor, p.velocity.z / divisor);
        p.position.x += p.lastStep.x;
        p.position.y += p.lastStep.y;
        p.position.z += p.lastStep.z;
        p.velocity += p.gravity;
        p.life -= p.fade;
        // Respawned with life 0: a faded particle adds nothing more.
        if (p.life < 0.0f) Respawn(p);
    }
}

void Explosion::LayOutCorners(float alpha, float* out) const {
    const float back = 1.0f - alpha;
    for (int square = 0; square < shownCount; ++square) {
        const float* step = &shownSteps[size_t(3 * square)];
        for (int c = 0; c < kCorners; ++c) {
            const size_t at = size_t(3 * (kCorners * square + c));
            for (int k = 0; k < 3; ++k) out[at + size_t(k)] = shownCorners[at + size_t(k)] - back * step[k];
        }
    }
}

void Explosion::Draw(float alpha) const {
    // A burst born this tick is first seen after its first step.
    if (shownCount == 0) return;
    // Between two ticks the squares stand where they were on the way;
    // at a tick, where the tick left them, to the bit.
    const float* corners = shownCorners.get();
    if (alpha < 1.0f) {
        g_cornersBetween.resize(size_t(kParticleCount * kCorners * 3));
        LayOutCorners(alpha, g_cornersBetween.data());
        corners = g_cornersBetween.data();
    }
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    // Without its sprite the burst is plain squares (the white default).
    glEnable(GL_TEXTURE_2D);
    g_particleTexture.Bind();
    FillConstantArrays();
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, corners);
    glColorPointer(4, GL_FLOAT, 0, shownColours.get());
    glTexCoordPointer(2, GL_FLOAT, 0, cornerTexCoords);
    glDrawElements(GL_TRIANGLES, kSquareIndices * shownCount, GL_UNSIGNED_SHORT, squareIndices);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    // The colour the last square was drawn in stays current, as it did when
    // each was drawn on its own.
    glColor4fv(&shownColours[size_t(4 * (kCorners * shownCount - 1))]);
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
}
