// Explosion particles: the burst's start values and per-frame motion, the
// respawn staying inside the colour table, the additive picture, and the
// one-call drawing with the shared sprite leaving exactly the pixels of
// squares drawn one by one with a sprite of the burst's own. (The soak test
// counts the texture names bursts leave behind.)
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "game_fixture.h"
#include "scenery/texture.h"
#include "scenery_fixture.h"
#include "world/explosion.h"

namespace {

class ExplosionTest : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        WriteBytes(scratch_.path() + "/data/particle.bmp", SolidBmp(16, 16, {255, 255, 255}));
        LoadParticleSprite();
    }
    ScratchDir scratch_;
};

// The centre pixel's red, and pixels darker or brighter in red, after one
// burst at (0, 0, -40) is drawn once.
struct BurstChange {
    uint8_t centreBefore, centreAfter;
    size_t darker = 0, brighter = 0;
};
BurstChange DrawOneBurst() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    const std::vector<uint8_t> before = ReadFrame();
    Explosion e(0, 0, -40);
    e.DrawAndAdvance();
    const std::vector<uint8_t> after = ReadFrame();
    const size_t centre = (size_t(300) * kWindowWidth + 400) * 4;
    BurstChange d{before[centre], after[centre]};
    for (size_t i = 0; i < before.size(); i += 4) {
        for (size_t c = 0; c < 3; ++c) d.darker += after[i + c] < before[i + c];
        d.brighter += after[i] > before[i];
    }
    return d;
}

// How every burst was drawn before the sprite was shared: each square on its
// own, with a sprite loaded for the burst.
void DrawOneByOne(const std::vector<Particle>& particles, const Texture& sprite) {
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glEnable(GL_TEXTURE_2D);
    sprite.Bind();
    glColor3f(0.0f, 0.0f, 0.0f);
    for (const Particle& p : particles) {
        if (!p.active) continue;
        const float px = p.position.x, py = p.position.y, pz = p.position.z;
        glColor4f(p.red, p.green, p.blue, p.life);
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
    }
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
}

// The frame (RGBA) and the current colour after `draw` on a cleared view.
struct Drawn {
    std::vector<uint8_t> rgba;
    std::vector<float> colour = std::vector<float>(4);
    bool operator==(const Drawn& o) const { return rgba == o.rgba && colour == o.colour; }
};
template <class F>
Drawn DrawnBy(int w, int h, F draw) {
    glClearColor(0.1f, 0.2f, 0.3f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    draw();
    Drawn out;
    out.rgba.resize(size_t(w) * size_t(h) * 4);
    glReadPixels(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, out.rgba.data());
    glGetFloatv(GL_CURRENT_COLOR, out.colour.data());
    return out;
}

bool IsMultipleOf3000In(float v, float low, float high) {
    return v >= low && v <= high && std::fmod(v, 3000.0f) == 0.0f;
}

}  // namespace

TEST_F(ExplosionTest, ParticlesStartTogetherAndMovePerFrame) {
    script::SetTime(777);
    Explosion e(10, 20, 30);
    EXPECT_EQ(e.startTick, 777u);
    std::vector<Particle> start(e.particles.get(), e.particles.get() + kParticleCount);
    bool allSame = true;
    for (const Particle& p : start) {
        EXPECT_TRUE(p.active && p.life == 1.0f && p.position.x == 10.0f);
        EXPECT_TRUE(p.fade >= 0.003f && p.fade <= 0.1021f) << p.fade;
        EXPECT_TRUE(IsMultipleOf3000In(p.velocity.x, -78000, 69000)) << p.velocity.x;
        EXPECT_TRUE(IsMultipleOf3000In(p.velocity.y, -75000, 72000)) << p.velocity.y;
        EXPECT_TRUE(IsMultipleOf3000In(p.velocity.z, -75000, 72000)) << p.velocity.z;
        EXPECT_EQ(p.red + p.green + p.blue, 2.0f) << "row 0: 1, 0.5, 0.5";
        allSame = allSame && p.velocity.x == start[0].velocity.x && p.fade == start[0].fade;
    }
    EXPECT_FALSE(allSame) << "each particle draws its own random values";

    e.DrawAndAdvance();
    for (int i = 0; i < kParticleCount; ++i) {
        const Particle &p = e.particles[i], &s = start[size_t(i)];
        EXPECT_FLOAT_EQ(p.position.x, 10.0f + s.velocity.x / 2000.0f);
        EXPECT_FLOAT_EQ(p.position.y, 20.0f + s.velocity.y / 2000.0f);
        EXPECT_FLOAT_EQ(p.position.z, 30.0f + s.velocity.z / 2000.0f);
        EXPECT_FLOAT_EQ(p.velocity.y, s.velocity.y - 0.8f) << "gravity after the move";
        EXPECT_FLOAT_EQ(p.life, 1.0f - s.fade);
    }
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));

    // A faded particle respawns invisibly; a colour index far outside the
    // 12-row table must still pick a row of it.
    e.colourIndex = 100;
    Particle& p = e.particles[0];
    p.life = 0.001f;
    e.DrawAndAdvance();
    EXPECT_EQ(p.life, 0.0f);
    EXPECT_EQ(p.position.x, -1.0f);
    bool inTable = false;
    for (const auto& row : kParticleColours)
        inTable = inTable || (p.red == row[0] && p.green == row[1] && p.blue == row[2]);
    EXPECT_TRUE(inTable);
}

TEST_F(ExplosionTest, ABurstBrightensTheFrameAdditivelyWithOrWithoutItsSprite) {
    glClearColor(0.2f, 0.1f, 0.0f, 0.0f);
    BurstChange d = DrawOneBurst();
    EXPECT_EQ(d.darker, 0u);
    // All start at one point: a square of side 1 at 40 units is ~18 pixels.
    EXPECT_GT(d.brighter, 200u);
    EXPECT_GT(d.centreAfter, d.centreBefore);
    SetFixedGlState();

    // Texture name 0 holds the font in the game; here a black image stands
    // in for it, which would hide the burst if it were sampled.
    const uint8_t black[4 * 4 * 3] = {};
    glBindTexture(GL_TEXTURE_2D, 0);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 4, 4, 0, GL_RGB, GL_UNSIGNED_BYTE, black);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    ReleaseParticleSprite();
    d = DrawOneBurst();
    EXPECT_GT(d.centreAfter, d.centreBefore) << "without its sprite the burst shows in its own colour";
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 0, 0, 0, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
}

TEST_F(ExplosionTest, OneCallWithTheSharedSpriteDrawsThePixelsOfSquaresDrawnOneByOne) {
    const std::string sprite = std::string(ORVANTHE_DATA_DIR) + "/particle.bmp";
    Texture own;
    ASSERT_TRUE(own.Load(sprite));
    ASSERT_TRUE(g_particleTexture.Load(sprite));
    for (const auto& [w, h] : {std::pair{800, 600}, {1280, 720}}) {
        SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
        std::string error;
        ASSERT_TRUE(platform::CreateMainWindow(kCaption, w, h, &error)) << error;
        SetProjection(w, h);
        std::srand(99);
        Explosion e(2, -1, -30);
        e.colourIndex = 5;  // respawns show in their own row
        // Through the spread, the fading and the first respawns.
        for (int frame = 0; frame < 30; ++frame) {
            const std::vector<Particle> before(e.particles.get(), e.particles.get() + kParticleCount);
            const Drawn want = DrawnBy(w, h, [&] { DrawOneByOne(before, own); });
            const Drawn got = DrawnBy(w, h, [&] { e.DrawAndAdvance(); });
            ASSERT_TRUE(got == want) << "frame " << frame;
        }
    }
}
