// Fullscreen on any screen and pausing on focus loss: the projection
// follows every drawable size, the sky fills views from 5:4 to 32:9 and is
// untouched at 4:3, F11 and Alt+Enter toggle once per press, and a lost
// focus during play pauses, but not on the title screen nor after the
// game's own toggle.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "app/display.h"
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
    void QueueFocus(bool focused) {
        platform::Message m;
        m.type = platform::MessageType::Focus;
        m.focused = focused;
        script::QueueMessage(m);
    }
    // Two frames with the keys held (one toggle), one with them let go.
    void Press(std::initializer_list<Key> keys) {
        for (Key k : keys) script::HoldKey(k, true);
        RunFrame();
        RunFrame();
        for (Key k : keys) script::HoldKey(k, false);
        RunFrame();
    }

    ScratchDir dir;
};

}  // namespace

TEST_F(Display, TheProjectionFollowsEveryDrawableAndTheSkyFillsTheView) {
    // The sky image is a gradient: red grows with s (x), green with t (y).
    constexpr int kSide = 256;
    WriteBytes("data/sky.bmp", MakeBmp(kSide, kSide, [](int x, int row) { return Rgb{uint8_t(x), uint8_t(row), 90}; }));
    ASSERT_TRUE(g_skyTexture.Load("data/sky.bmp"));
    const double halfTan = std::tan(22.5 * M_PI / 180.0);
    const struct {
        const char* name;
        int width, height;
    } shapes[] = {{"5:4", 1000, 800},  {"4:3", 1024, 768},  {"4:3 small", 640, 480},
                  {"16:9", 1600, 900}, {"21:9", 2100, 900}, {"32:9", 3200, 900}};
    for (const auto& shape : shapes) {
        SCOPED_TRACE(shape.name);
        script::ResizeWindow(shape.width, shape.height);
        Passes(1);
        const std::vector<float> p = Matrix(GL_PROJECTION_MATRIX);
        EXPECT_NEAR(p[5] / p[0], double(shape.width) / shape.height, 1e-4) << "aspect of the perspective";
        EXPECT_NEAR(p[5], 1.0 / halfTan, 1e-4) << "45 degrees vertically at every aspect";

        // Wider than 4:3, every column shows the far face where a 4:3 view
        // does at the same fraction of the width: no side face in sight.
        const double across = std::min(double(shape.width) / shape.height, 4.0 / 3.0);
        glColor3f(1, 1, 1);
        ClearAndDrawSky();
        for (double u : {0.005, 0.5, 0.995})
            for (double v : {0.02, 0.98}) {
                const int wx = int(u * shape.width), wy = int(v * shape.height);
                SCOPED_TRACE(testing::Message() << "pixel " << wx << "," << wy);
                const double ux = (wx + 0.5) / shape.width, vy = (wy + 0.5) / shape.height;
                const double s = ((2 * ux - 1) * halfTan * across * 1319.0 + 766.0) / 2000.0;
                const double t = ((2 * vy - 1) * halfTan * 1319.0 + 1155.0) / 2000.0;
                const Pixel px = ReadPixel(wx, wy);
                EXPECT_NEAR(px.r, s * kSide - 0.5, 2.5);
                EXPECT_NEAR(px.g, t * kSide - 0.5, 2.5);
            }
        if (shape.width * 3 == shape.height * 4) {
            const std::vector<uint8_t> drawn = ReadFrame(shape.width, shape.height);
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            glLoadIdentity();
            DrawSkyBox(234.0f, -155.0f, -319.0f, 2000.0f, 2000.0f, 2000.0f);
            EXPECT_TRUE(drawn == ReadFrame(shape.width, shape.height)) << "at 4:3 the unwidened box, to the byte";
        }
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
        Press(keys);
        EXPECT_EQ(script::LogLines("fullscreen"), std::vector<std::string>{on ? "fullscreen on" : "fullscreen off"});
        EXPECT_EQ(platform::IsFullscreen(), on);
        Passes(2);
        GLint viewport[4];
        glGetIntegerv(GL_VIEWPORT, viewport);
        EXPECT_EQ(std::vector<GLint>(viewport, viewport + 4),
                  (std::vector<GLint>{0, 0, on ? 2560 : 800, on ? 1080 : 600}));
        EXPECT_TRUE(g_inTitle) << "the ENTER of Alt+Enter does not start play";
    }

    // Alt let go first: the ENTER still held belongs to the toggle; a fresh
    // ENTER starts play.
    const std::vector<std::vector<Key>> frames = {{Key::Alt, Key::Enter}, {Key::Enter}, {}, {Key::Enter}};
    for (size_t i = 0; i < frames.size(); ++i) {
        script::ReleaseAllKeys();
        for (Key k : frames[i]) script::HoldKey(k, true);
        RunFrame();
        EXPECT_EQ(g_inTitle, i < 3) << "frame " << i;
    }
}

TEST_F(Display, LosingFocusDuringPlayPausesOnceButNotOnTheTitleNorAfterAToggle) {
    script::SetFrameCost(20);
    ReachTitle();
    auto lose = [&](bool andBack) {
        QueueFocus(false);
        if (andBack) QueueFocus(true);
        Passes(3);
    };
    lose(false);
    EXPECT_EQ(script::CountLog(kPauseLine), 0) << "title screen";

    QueueFocus(true);
    StartPlay();
    lose(false);
    EXPECT_EQ(script::CountLog(kPauseLine), 1);
    QueueFocus(true);
    Passes(3);
    EXPECT_EQ(script::CountLog(kPauseLine), 1) << "focus back pauses nothing more";
    lose(true);  // lost and back before the loop looked: nobody left
    EXPECT_EQ(script::CountLog(kPauseLine), 1);

    // The game's own toggle, on a window manager that takes the focus away
    // for it, and back.
    script::LoseFocusOnFullscreenSwitch(true);
    for (int i = 0; i < 2; ++i) {
        Press({Key::F11});
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
