// The HUD over play on the generated assets: the count of monsters left and the hit mark, driven through the
// world's tick and read back from GL; its layout keeps its shape at any aspect and leaves GL as the overlay does.
#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <fstream>

#include "app/sky_view.h"
#include "common/png.h"
#include "core/settings.h"
#include "game_fixture.h"
#include "monsters/monster.h"
#include "scenery_fixture.h"
#include "text/glf_font.h"
#include "text/hud.h"
#include "world/world.h"

namespace {

using platform::Key;

class Hud : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        LinkGeneratedData(dir_);
        script::SetFrameCost(20);
        InitGame();
    }
    void TearDown() override {
        g_settings = Settings();
        ShutdownGame();
        GameTest::TearDown();
    }
    ScratchDir dir_;
};

std::vector<uint8_t> Region(const std::vector<uint8_t>& frame, int frameWidth, const HudBox& box) {
    std::vector<uint8_t> out;
    for (int y = box.y; y < box.y + box.height; ++y)
        for (int x = box.x; x < box.x + box.width; ++x)
            for (int c = 0; c < 4; ++c)
                out.push_back(frame[(size_t(y) * size_t(frameWidth) + size_t(x)) * 4 + size_t(c)]);
    return out;
}

// The picture of the last tick again, with the HUD as `shown` says: the same tick, drawn twice, differs by the
// HUD alone.
std::vector<uint8_t> Redrawn(bool shown) {
    const bool kept = g_settings.showHud;
    g_settings.showHud = shown;
    ClearAndDrawSky({1.0f, 1.0f, 1.0f, 1.0f});
    DrawWorld();
    g_settings.showHud = kept;
    return ReadFrame();
}

// Looks from the eye along the line from the muzzle (10 above it) through `p`, one unit long: a shot flies there.
void AimAt(const Vector3& p) {
    const Vector3 eye = g_camera.position;
    Vector3 along = p - Vector3(eye.x, eye.y + 10.0f, eye.z);
    Normalize(along);
    g_camera.Place(eye.x, eye.y, eye.z, eye.x + along.x, eye.y + along.y, eye.z + along.z, 0.0f, 1.0f, 0.0f);
}

// Rows top first, RGB, as PNG wants them.
void SaveScreenshot(const std::string& path, const std::vector<uint8_t>& rgba, int width, int height) {
    std::vector<uint8_t> rgb;
    for (int y = height - 1; y >= 0; --y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < 3; ++c) rgb.push_back(rgba[(size_t(y) * size_t(width) + size_t(x)) * 4 + size_t(c)]);
    const std::vector<uint8_t> png = EncodePng(width, height, 3, rgb);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(png.data()), std::streamsize(png.size()));
}

}  // namespace

// A shot fired with CONTROL at a monster on one hit point kills it: the count drops and the crosshair is marked
// for a few ticks. A shot past it changes neither. Both read back from GL as well as from the game's state.
TEST_F(Hud, AKillLowersTheCountAndAHitMarksTheCrosshairButAMissDoesNot) {
    const struct {
        const char* name;
        float aside;  // how far beside the monster the shot is aimed
        bool hits;
    } cases[] = {{"hit", 0.0f, true}, {"miss", 60.0f, false}};
    const HudBox mark = HitMarkBox(800, 600), count = MonsterCountBox(600);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ShutdownGame();
        InitGame();
        StartPlay();
        Monster& target = *g_monsters[0];
        target.Place(g_camera.position.x, g_camera.position.y, g_camera.position.z - 200.0f);
        target.hitPoints = 1;
        RunFrame();  // in view: it stands on the ground
        ASSERT_EQ(MonstersLeft(), 3);
        const std::vector<uint8_t> countBefore = Region(ReadFrame(), 800, count);
        EXPECT_NE(countBefore, Region(Redrawn(false), 800, count)) << "the count is shown";
        AimAt(Vector3(target.position.x + c.aside, target.position.y, target.position.z));
        script::HoldKey(Key::Control, true);
        // Until the shot has reached the monster's depth and gone past it.
        bool marked = false;
        for (int i = 0;
             i < 100 && !marked && (g_bullets.empty() || g_bullets[0]->position.z > target.position.z - 30.0f); ++i) {
            RunFrame();
            marked = HitMarkShowing();
        }
        script::HoldKey(Key::Control, false);
        ASSERT_FALSE(g_bullets.empty()) << "fired";
        if (!c.hits) {
            ASSERT_LT(g_bullets[0]->position.z, target.position.z - 30.0f) << "past the monster";
        }
        EXPECT_EQ(marked, c.hits);
        EXPECT_EQ(MonstersLeft(), c.hits ? 2 : 3);
        const std::vector<uint8_t> shown = ReadFrame();
        const std::vector<uint8_t> hidden = Redrawn(false);
        EXPECT_EQ(Region(shown, 800, mark) != Region(hidden, 800, mark), c.hits) << "the mark's square";
        EXPECT_EQ(Region(shown, 800, count) != countBefore, c.hits) << "the count's line";
        if (!c.hits) continue;
        if (const char* shots = std::getenv("ORVANTHE_SHOTS")) SaveScreenshot(shots, shown, 800, 600);
        // The mark goes after a few ticks, and its square is as it was without it.
        int ticks = 1;
        for (; HitMarkShowing() && ticks < 100; ++ticks) RunFrame();
        EXPECT_TRUE(ticks > 5 && ticks < 20) << ticks << " ticks marked";
        EXPECT_EQ(Region(ReadFrame(), 800, mark), Region(Redrawn(false), 800, mark));
    }
}

namespace {

// Drawable pixels (x from the left, y from the top) holding anything but the cleared colour, inside `within`.
struct Extent {
    float left = 1e9f, top = 1e9f, right = -1e9f, bottom = -1e9f;
    float Width() const { return right - left + 1; }
    float Height() const { return bottom - top + 1; }
};
Extent Inked(const std::vector<uint8_t>& frame, int width, int height, const Extent& within) {
    Extent e;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int top = height - 1 - y;
            if (x < within.left || x > within.right || top < within.top || top > within.bottom) continue;
            const uint8_t* p = &frame[(size_t(y) * size_t(width) + size_t(x)) * 4];
            if (p[0] == 0 && p[1] == 0 && p[2] == 255) continue;
            e.left = std::min(e.left, float(x)), e.right = std::max(e.right, float(x));
            e.top = std::min(e.top, float(top)), e.bottom = std::max(e.bottom, float(top));
        }
    return e;
}

}  // namespace

// The HUD is laid out in units of the window's height: the count keeps its corner and size, the mark stays square
// on the centre, at 4:3, wide, very wide and tall windows alike; and it leaves GL as the overlay does, with the
// font's glyphs or without.
TEST_F(Hud, KeepsItsShapeAtAnyAspectAndLeavesGlAsTheOverlayDoes) {
    const int sizes[][2] = {{800, 600}, {1280, 720}, {1600, 600}, {600, 800}};
    Extent count600, mark600;
    for (const auto& size : sizes) {
        const int w = size[0], h = size[1];
        SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
        Reshape(w, h);
        const SavedState saved = UpsetState();
        glClear(GL_COLOR_BUFFER_BIT);
        DrawHud(g_font, {3, true}, w, h);
        ExpectRestoredState(saved, {1, 1, 1, 1});
        const std::vector<uint8_t> frame = ReadFrame(w, h);
        const float k = float(h) / 600.0f;
        const Extent count = Inked(frame, w, h, {0, 0, float(w) / 2, float(h) / 4});
        const Extent mark =
            Inked(frame, w, h, {w / 2.0f - h / 8.0f, h / 2.0f - h / 8.0f, w / 2.0f + h / 8.0f, h / 2.0f + h / 8.0f});
        if (w == 800) count600 = count, mark600 = mark;
        constexpr float kPixels = 2.0f;  // rounding of edges scaled by the height
        EXPECT_NEAR(count.left, count600.left * k, kPixels);
        EXPECT_NEAR(count.top, count600.top * k, kPixels);
        EXPECT_NEAR(count.Height(), count600.Height() * k, kPixels);
        EXPECT_NEAR(count.Width(), count600.Width() * k, 2 * kPixels);
        EXPECT_NEAR(mark.Width(), mark.Height(), 1.0f) << "square";
        EXPECT_NEAR(mark.Width(), mark600.Width() * k, kPixels);
        EXPECT_NEAR((mark.left + mark.right) / 2, (w - 1) / 2.0f, 1.0f);
        EXPECT_NEAR((mark.top + mark.bottom) / 2, (h - 1) / 2.0f, 1.0f);
        const HudBox box = HitMarkBox(w, h);
        EXPECT_TRUE(box.x <= mark.left && box.x + box.width > mark.right && h - box.y - box.height <= mark.top &&
                    h - box.y > mark.bottom)
            << "the mark inside HitMarkBox";
    }
    Reshape(800, 600);
    const GlfFont without;
    const SavedState saved = UpsetState();
    glClear(GL_COLOR_BUFFER_BIT);
    DrawHud(without, {3, false}, 800, 600);
    ExpectRestoredState(saved, {1, 1, 1, 1});
    EXPECT_LT(Inked(ReadFrame(), 800, 600, {0, 0, 800, 600}).right, 0.0f) << "nothing drawn without glyphs or a hit";
}
