// Fullscreen on any screen; the field of view, seen by the picture and the rules alike; the sky from 5:4 to 32:9
// and from 30 to 90 degrees; F11 and Alt+Enter; pausing on focus loss.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "app/display.h"
#include "app/sky_view.h"
#include "camera/frustum.h"
#include "camera/matrices.h"
#include "core/settings.h"
#include "game_fixture.h"
#include "scenery/skybox.h"
#include "scenery_fixture.h"

namespace {

using platform::Key;

constexpr const char* kPauseLine = "dialog Orvanthe lev 0|&Resume|&Quit|Game Paused";

class Display : public GameTest {
protected:
    // One loop pass per queued message, so each is dispatched.
    void Passes(int count) {
        int exitCode = 0;
        for (int i = 0; i < count; ++i) ASSERT_TRUE(MainLoopPass(&exitCode));
    }
    void QueueFocus(bool focused) { script::QueueMessage({platform::MessageType::Focus, 0, 0, 0, focused}); }

    ScratchDir dir;
};

}  // namespace

// The options' field of view is a run's setting too: each test leaves the game's 45 degrees.
class FieldOfView : public Display {
protected:
    void TearDown() override {
        SetFieldOfView(45.0f);
        Display::TearDown();
    }
};

TEST_F(FieldOfView, TheProjectionFollowsEveryDrawableAndFieldOfViewAndTheSkyFillsTheView) {
    // The sky image is a gradient: red grows with s (x), green with t (y).
    constexpr int kSide = 256;
    WriteBytes("data/sky.bmp", MakeBmp(kSide, kSide, [](int x, int row) { return Rgb{uint8_t(x), uint8_t(row), 90}; }));
    ASSERT_TRUE(g_skyTexture.Load("data/sky.bmp"));
    const double halfTan = std::tan(22.5 * M_PI / 180.0);
    for (const float fov : {45.0f, 30.0f, 90.0f})
        for (const auto& shape :
             {std::pair(1000, 800), std::pair(1024, 768), std::pair(1600, 900), std::pair(3200, 900)}) {
            const int width = shape.first, height = shape.second;
            SCOPED_TRACE(testing::Message() << width << "x" << height << " at " << fov << " degrees");
            script::ResizeWindow(width, height);
            Passes(1);
            SetFieldOfView(fov);  // as an options screen changes it: seen at once
            const std::vector<float> p = Matrix(GL_PROJECTION_MATRIX);
            EXPECT_EQ(p, std::vector<float>(g_projection.m, g_projection.m + 16)) << "GL draws with the rules' one";
            EXPECT_NEAR(p[5] / p[0], double(width) / height, 1e-4) << "aspect of the perspective";
            EXPECT_NEAR(p[5], 1.0 / std::tan(fov / 2 * M_PI / 180.0), 1e-4) << "the field of view, vertically";

            // Each column shows the far face as 4:3 at 45 degrees does at that fraction of the width (of 4:3's
            // width, wider than 4:3), whatever the field of view.
            const double across = std::min(double(width) / height, 4.0 / 3.0);
            ClearAndDrawSky({1, 1, 1, 1});
            for (double u : {0.005, 0.5, 0.995})
                for (double v : {0.02, 0.98}) {
                    const int wx = int(u * width), wy = int(v * height);
                    SCOPED_TRACE(testing::Message() << "pixel " << wx << "," << wy);
                    const double ux = (wx + 0.5) / width, vy = (wy + 0.5) / height;
                    const double s = ((2 * ux - 1) * halfTan * across * 1319.0 + 766.0) / 2000.0;
                    const double t = ((2 * vy - 1) * halfTan * 1319.0 + 1155.0) / 2000.0;
                    const Pixel px = ReadPixel(wx, wy);
                    EXPECT_NEAR(px.r, s * kSide - 0.5, 2.5);
                    EXPECT_NEAR(px.g, t * kSide - 0.5, 2.5);
                }
            if (width * 3 == height * 4 && fov == 45.0f) {
                const std::vector<uint8_t> drawn = ReadFrame(width, height);
                glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
                glLoadIdentity();
                DrawSkyBox(234.0f, -155.0f, -319.0f, 2000.0f, 2000.0f, 2000.0f);
                EXPECT_TRUE(drawn == ReadFrame(width, height)) << "at 4:3 the unwidened box, to the byte";
            }
        }
    for (const auto& [asked, kept] : {std::pair{150.0f, 100.0f}, {10.0f, 30.0f}, {std::nanf(""), 30.0f}}) {
        SetFieldOfView(asked);
        EXPECT_EQ(g_settings.fieldOfView, kept) << asked;
    }
}

// The monsters' rules see what the picture shows: a spot 35 degrees right of the view (more than half the width of
// 4:3 at 45 degrees, less at 60) and one 27 degrees above it (more than half the height at 45, less at 60).
TEST_F(FieldOfView, TheRulesFrustumFollowsTheFieldOfView) {
    StartPlay();
    for (const float fov : {45.0f, 60.0f, 45.0f}) {
        SCOPED_TRACE(fov);
        SetFieldOfView(fov);
        RunFrame();
        const Vector3 eye = g_shownView.position;
        ASSERT_EQ(g_shownView.target.x, eye.x) << "looking along -z";
        EXPECT_EQ(g_frustum.CubeInside(eye.x + 70.0f, eye.y, eye.z - 100.0f, 1.0f), fov > 50.0f);
        EXPECT_EQ(g_frustum.CubeInside(eye.x, eye.y + 50.0f, eye.z - 100.0f, 1.0f), fov > 50.0f);
        EXPECT_TRUE(g_frustum.CubeInside(eye.x, eye.y, eye.z - 100.0f, 1.0f));
    }
}

TEST_F(Display, F11AndAltEnterToggleOncePerPressAndTheProjectionFollows) {
    script::SetScreenSize(2560, 1080);
    ReachTitle();
    const std::initializer_list<Key> f11{Key::F11}, altEnter{Key::Alt, Key::Enter};
    for (auto keys : {f11, f11, altEnter, altEnter}) {
        const bool on = !platform::IsFullscreen();
        SCOPED_TRACE(on);
        script::ClearLog();
        Press(keys, 2);  // one toggle for two frames held
        EXPECT_EQ(script::LogLines("fullscreen"), std::vector<std::string>{on ? "fullscreen on" : "fullscreen off"});
        Passes(2);
        const std::vector<float> vp = Matrix(GL_VIEWPORT);
        EXPECT_TRUE(vp[2] == (on ? 2560 : 800) && vp[3] == (on ? 1080 : 600)) << vp[2] << "x" << vp[3];
        EXPECT_TRUE(g_inTitle) << "the ENTER of Alt+Enter does not start play";
    }

    // Alt let go first: the ENTER still held belongs to the toggle; a fresh ENTER starts play.
    const std::vector<std::vector<Key>> frames = {{Key::Alt, Key::Enter}, {Key::Enter}, {}, {Key::Enter}};
    for (size_t i = 0; i < frames.size(); ++i) {
        for (Key k : {Key::Alt, Key::Enter})
            if (std::find(frames[i].begin(), frames[i].end(), k) == frames[i].end()) script::HoldKey(k, false);
        for (Key k : frames[i]) script::HoldKey(k, true);
        RunFrame();
        EXPECT_EQ(g_inTitle, i < 3) << "frame " << i;
    }
}

TEST_F(Display, LosingFocusDuringPlayPausesOnceButNotOnTheTitleNorAfterAToggle) {
    script::SetFrameCost(20);
    ReachTitle();
    QueueFocus(false);
    Passes(3);
    EXPECT_EQ(script::CountLog(kPauseLine), 0) << "title screen";

    QueueFocus(true);
    StartPlay();
    QueueFocus(false);
    Passes(3);
    EXPECT_EQ(script::CountLog(kPauseLine), 1);
    QueueFocus(true);
    Passes(3);
    EXPECT_EQ(script::CountLog(kPauseLine), 1) << "focus back pauses nothing more";
    QueueFocus(false);
    QueueFocus(true);  // and back before the loop looked: nobody left
    Passes(3);
    EXPECT_EQ(script::CountLog(kPauseLine), 1);

    // The game's own toggle, on a window manager that takes the focus away for it, and back.
    script::LoseFocusOnFullscreenSwitch(true);
    for (int i = 0; i < 2; ++i) {
        Press({Key::F11}, 2);
        Passes(3);
        QueueFocus(true);
    }
    Passes(2);
    EXPECT_EQ(script::CountLog("fullscreen"), 2);
    EXPECT_EQ(script::CountLog(kPauseLine), 1) << "a toggle is not the player leaving";

    // Once the toggle has settled, leaving pauses again; Quit there quits.
    script::AdvanceTime(kFullscreenSettleMs);
    script::AnswerDialog(2);
    QueueFocus(false);
    Passes(1);
    EXPECT_EQ(script::CountLog(kPauseLine), 2);
    EXPECT_EQ(script::CountLog("quit 0"), 1);
}
