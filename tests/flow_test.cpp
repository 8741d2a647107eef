#include "game_fixture.h"
#include "platform/input.h"

using Flow = GameTest;
using platform::Key;

TEST_F(Flow, EnterWithEscapeStartsPlayInTheSameFrameCapturingTheMouseAndNeverQuits) {
    ReachTitle();
    EXPECT_EQ(script::CountLog("capture on"), 0);
    Press({Key::Enter, Key::Escape});
    EXPECT_FALSE(g_inTitle);
    EXPECT_EQ(script::CountLog("capture on"), 1);
    EXPECT_EQ(script::CountLog("quit"), 0);
}

TEST_F(Flow, FallRuleBordersAreStillOnThePlatform) {
    const float cases[][3] = {{0, -500, 0},      {1800, -500, 0},     {500, 0, 0},     {500, -1800, 0},
                              {-0.01f, -500, 1}, {1800.01f, -500, 1}, {500, 0.01f, 1}, {500, -1800.01f, 1}};
    for (const auto& c : cases) {
        g_camera.Place(c[0], -5000.0f, c[1], c[0], -5000.0f, c[1] - 1.0f, 0, 1, 0);  // y is never tested
        EXPECT_EQ(CameraLeftPlatform(), c[2] != 0) << c[0] << ", " << c[1];
    }
}

TEST_F(Flow, MouseLookTurnsTheViewOnlyDuringPlay) {
    ReachTitle();
    script::MoveMouse(100, 0);  // pointer not captured: ignored
    StartPlay();
    EXPECT_EQ(g_camera.target.x, 234.0f);
    script::MoveMouse(100, 0);
    RunFrame();
    EXPECT_GT(g_camera.target.x, 234.0f) << "moving right turns right";
}
