// Explosion particles: start values, per-frame motion, the respawn's colour row, and one-call drawing with the
// shared sprite (or none) leaving exactly the pixels of squares drawn one by one.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "scenery/texture.h"
#include "scenery_fixture.h"
#include "world/explosion.h"

namespace {

using ExplosionTest = DrawingTest;

// How every burst was drawn before the sprite was shared: each square on its own, with a sprite for the burst.
void DrawOneByOne(const std::vector<Particle>& particles, const Texture& sprite) {
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glEnable(GL_TEXTURE_2D);
    sprite.Bind();
    for (const Particle& p : particles) {
        if (!p.active) continue;
        glColor4f(p.red, p.green, p.blue, p.life);
        glBegin(GL_TRIANGLE_STRIP);
        for (const auto& [dx, dy] : {std::pair{0.5f, 0.5f}, {-0.5f, 0.5f}, {0.5f, -0.5f}, {-0.5f, -0.5f}}) {
            glTexCoord2f(dx > 0, dy > 0);
            glVertex3f(p.position.x + dx, p.position.y + dy, p.position.z);
        }
        glEnd();
    }
}

}  // namespace

TEST_F(ExplosionTest, ParticlesStartTogetherAndMovePerFrame) {
    Explosion e(10, 20, 30);
    // 50 steps of 3000 from `low`.
    const auto step = [](float v, float low) { return v >= low && v <= low + 147000 && std::fmod(v, 3000.0f) == 0; };
    std::vector<Particle> start(e.particles.get(), e.particles.get() + kParticleCount);
    bool allSame = true;
    for (const Particle& p : start) {
        EXPECT_TRUE(p.active && p.life == 1.0f && p.position.x == 10.0f);
        EXPECT_TRUE(p.fade >= 0.003f && p.fade <= 0.1021f) << p.fade;
        EXPECT_TRUE(step(p.velocity.x, -78000) && step(p.velocity.y, -75000) && step(p.velocity.z, -75000));
        EXPECT_EQ(p.red + p.green + p.blue, 2.0f) << "row 0: 1, 0.5, 0.5";
        allSame = allSame && p.velocity.x == start[0].velocity.x && p.fade == start[0].fade;
    }
    EXPECT_FALSE(allSame) << "each particle draws its own random values";

    e.Advance();
    for (int i = 0; i < kParticleCount; ++i) {
        const Particle &p = e.particles[i], &s = start[size_t(i)];
        // The same float steps as the game's, so equal to the bit.
        EXPECT_TRUE(p.position.x == 10.0f + s.velocity.x / 2000.0f && p.position.y == 20.0f + s.velocity.y / 2000.0f &&
                    p.position.z == 30.0f + s.velocity.z / 2000.0f && p.life == 1.0f - s.fade)
            << i;
        EXPECT_EQ(p.velocity.y, s.velocity.y - 0.8f) << "gravity after the move";
    }

    // A faded particle respawns invisibly, in the colour table's row for any index: large and negative ones wrap.
    for (const auto& [index, row] : {std::pair{100, 4}, {-1, 11}}) {
        e.colourIndex = index;
        Particle& p = e.particles[0];
        p.life = 0.001f;
        e.Advance();
        EXPECT_TRUE(p.life == 0.0f && p.position.x == -1.0f);
        const float* want = kParticleColours[row];
        EXPECT_TRUE(p.red == want[0] && p.green == want[1] && p.blue == want[2]) << index;
    }
}

// A frame between two ticks draws each square on its way from where the tick before left it to where the last did:
// from there at alpha 0, to the bit where the tick left it at alpha 1. A particle respawned meanwhile jumps: it does
// not slide across the sky.
TEST_F(ExplosionTest, AFrameBetweenTwoTicksDrawsEachSquareOnItsWay) {
    Explosion e(10, 20, 30);
    const size_t floats = size_t(kParticleCount) * 4 * 3;
    e.Advance();
    e.Advance();
    const std::vector<float> before(e.shownCorners.get(), e.shownCorners.get() + floats);
    e.particles[7].life = 0.001f;  // respawns in the next tick's step, after it is noted
    e.Advance();
    e.Advance();
    const std::vector<float> last(e.shownCorners.get(), e.shownCorners.get() + floats);
    e.Advance();
    ASSERT_EQ(e.shownCount, kParticleCount);
    std::vector<float> got(floats);
    e.LayOutCorners(1.0f, got.data());
    EXPECT_TRUE(got == std::vector<float>(e.shownCorners.get(), e.shownCorners.get() + floats)) << "at the tick";
    e.LayOutCorners(0.0f, got.data());
    for (size_t i = 0; i < floats; ++i) {
        if (i / 12 == 7) {
            EXPECT_EQ(got[i], e.shownCorners[i]) << "the respawned one stands at its new place";
            continue;
        }
        ASSERT_NEAR(got[i], last[i], 1e-3f) << i;
    }
    e.LayOutCorners(0.5f, got.data());
    const size_t x = 3 * 4 * 100;  // a corner's x of square 100
    EXPECT_NEAR(got[x], (last[x] + e.shownCorners[x]) / 2, 1e-3f);
    EXPECT_NE(last[x], before[x]) << "it moves";
}

TEST_F(ExplosionTest, OneCallWithTheSharedSpriteOrNoneDrawsThePixelsOfSquaresDrawnOneByOne) {
    const std::string file = std::string(ORVANTHE_DATA_DIR) + "/particle.bmp";
    Texture own, none;
    ASSERT_TRUE(own.Load(file) && g_particleTexture.Load(file));
    FontInTextureZero({0, 0, 0});  // black: it would hide a burst that sampled it
    glClearColor(0.1f, 0.2f, 0.3f, 1.0f);
    for (const Texture* sprite : {&own, &none}) {
        SCOPED_TRACE(sprite == &own ? "shared sprite" : "no sprite: plain squares");
        if (sprite == &none) {
            const GLuint name = g_particleTexture.textureId;
            ReleaseParticleSprite();
            EXPECT_FALSE(glIsTexture(name)) << "the sprite's name is given back";
        }
        g_random.Seed(99);
        Explosion e(2, -1, -30);
        e.colourIndex = 5;  // respawns show in their own row
        // Through the spread, the fading and the first respawns.
        for (int frame = 0; frame < 30; ++frame) {
            const std::vector<Particle> before(e.particles.get(), e.particles.get() + kParticleCount);
            const auto want = DrawnBy([&] { DrawOneByOne(before, *sprite); });
            e.Advance();
            ASSERT_TRUE(DrawnBy([&] { e.Draw(); }) == want) << "frame " << frame;
        }
        EXPECT_FALSE(glIsEnabled(GL_BLEND) || glIsEnabled(GL_TEXTURE_2D));
    }
}
