#include <gtest/gtest.h>

#include "game_fixture.h"
#include "platform/input.h"

using Flow = GameTest;
using platform::Key;

TEST_F(Flow, FirstFrameShowsTheTitleAndSetsTheCaption) {
    RunFrame();
    EXPECT_TRUE(g_inTitle);
    EXPECT_STREQ(g_windowTitle, "Orvanthe");
    EXPECT_EQ(script::LogLines("caption"), std::vector<std::string>{"caption Orvanthe"});
    EXPECT_EQ(script::CountLog("swap"), 1);
    RunFrame();
    EXPECT_TRUE(g_inTitle) << "the title stays until ENTER";
}

TEST_F(Flow, EnterStartsPlayInTheSameFrameAndCapturesTheMouse) {
    ReachTitle();
    EXPECT_EQ(script::CountLog("capture on"), 0);
    script::HoldKey(Key::Enter, true);
    RunFrame();
    EXPECT_FALSE(g_inTitle);
    EXPECT_EQ(script::CountLog("capture on"), 1);
}

TEST_F(Flow, EnterAndEscapeTogetherStartPlayWithoutQuitting) {
    ReachTitle();
    script::HoldKey(Key::Enter, true);
    script::HoldKey(Key::Escape, true);
    RunFrame();
    EXPECT_FALSE(g_inTitle);
    EXPECT_EQ(script::CountLog("quit"), 0);
    // ESC during play never quits from here.
    RunFrame();
    EXPECT_EQ(script::CountLog("quit"), 0);
}

TEST_F(Flow, EscapeOnTheTitlePostsQuitAndStillPresents) {
    ReachTitle();
    script::ClearLog();
    script::HoldKey(Key::Escape, true);
    RunFrame();
    EXPECT_EQ(script::LogLines("quit"), std::vector<std::string>{"quit 0"});
    EXPECT_EQ(script::Log().back(), "swap");
}

TEST_F(Flow, FallRuleBordersAreStillOnThePlatform) {
    StartPlay();
    const struct {
        float x, z;
        bool falls;
    } cases[] = {
        {0.0f, -500.0f, false},     {1800.0f, -500.0f, false}, {500.0f, 0.0f, false},
        {500.0f, -1800.0f, false},  {-0.01f, -500.0f, true},   {1800.01f, -500.0f, true},
        {500.0f, 0.01f, true},      {500.0f, -1800.01f, true},
    };
    for (const auto& c : cases) {
        g_inTitle = false;
        g_camera.Place(c.x, -5000.0f, c.z, c.x, -5000.0f, c.z - 1.0f, 0, 1, 0);  // y is never tested
        EXPECT_EQ(CameraLeftPlatform(), c.falls) << c.x << ", " << c.z;
    }
}

TEST_F(Flow, WalkingOffThePlatformResetsToTheTitleWithTheUghSound) {
    StartPlay();
    g_camera.Place(-1.0f, -155.0f, -319.0f, -1.0f, -155.0f, -320.0f, 0, 1, 0);
    RunFrame();
    EXPECT_TRUE(g_inTitle);
    EXPECT_EQ(g_camera.position.x, 234.0f);
    EXPECT_EQ(g_camera.position.z, -319.0f);
    EXPECT_EQ(g_camera.target.z, -320.0f);
    // Back on the title the pointer is released on the next frame.
    RunFrame();
    EXPECT_EQ(script::CountLog("capture off"), 1);
}

TEST_F(Flow, NewGamePlacesTheCameraAtTheStartView) {
    g_camera.Place(1, 2, 3, 4, 5, 6, 7, 8, 9);
    NewGame();
    EXPECT_EQ(g_camera.position.x, 234.0f);
    EXPECT_EQ(g_camera.position.y, -155.0f);
    EXPECT_EQ(g_camera.position.z, -319.0f);
    EXPECT_EQ(g_camera.target.x, 234.0f);
    EXPECT_EQ(g_camera.target.y, -155.0f);
    EXPECT_EQ(g_camera.target.z, -320.0f);
    EXPECT_EQ(g_camera.up.x, 0.0f);
    EXPECT_EQ(g_camera.up.y, 1.0f);
    EXPECT_EQ(g_camera.up.z, 0.0f);
}

TEST_F(Flow, MouseLookTurnsTheViewOnlyDuringPlay) {
    ReachTitle();
    script::MoveMouse(100, 0);  // pointer not captured: ignored
    RunFrame();
    EXPECT_EQ(g_camera.target.x, 234.0f);

    StartPlay();
    script::MoveMouse(100, 0);
    RunFrame();
    EXPECT_GT(g_camera.target.x, 234.0f) << "moving right turns right";
}
