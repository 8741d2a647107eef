#include <gtest/gtest.h>

#include "game_fixture.h"
#include "platform/input.h"

using Flow = GameTest;
using platform::Key;

TEST_F(Flow, TheTitleStaysUntilEnterAndEscapeThereQuitsAfterPresenting) {
    RunFrame();
    EXPECT_TRUE(g_inTitle);
    EXPECT_STREQ(g_windowTitle, "Orvanthe");
    EXPECT_EQ(script::LogLines("caption"), std::vector<std::string>{"caption Orvanthe"});
    RunFrame();
    EXPECT_TRUE(g_inTitle);
    script::ClearLog();
    script::HoldKey(Key::Escape, true);
    RunFrame();
    EXPECT_EQ(script::LogLines("quit"), std::vector<std::string>{"quit 0"});
    EXPECT_EQ(script::Log().back(), "swap");
}

TEST_F(Flow, EnterWithEscapeStartsPlayInTheSameFrameCapturingTheMouseAndNeverQuits) {
    ReachTitle();
    EXPECT_EQ(script::CountLog("capture on"), 0);
    script::HoldKey(Key::Enter, true);
    script::HoldKey(Key::Escape, true);
    RunFrame();
    EXPECT_FALSE(g_inTitle);
    EXPECT_EQ(script::CountLog("capture on"), 1);
    RunFrame();  // ESC during play never quits from here
    EXPECT_EQ(script::CountLog("quit"), 0);
}

TEST_F(Flow, FallRuleBordersAreStillOnThePlatform) {
    const struct {
        float x, z;
        bool falls;
    } cases[] = {
        {0.0f, -500.0f, false},  {1800.0f, -500.0f, false}, {500.0f, 0.0f, false}, {500.0f, -1800.0f, false},
        {-0.01f, -500.0f, true}, {1800.01f, -500.0f, true}, {500.0f, 0.01f, true}, {500.0f, -1800.01f, true},
    };
    for (const auto& c : cases) {
        g_camera.Place(c.x, -5000.0f, c.z, c.x, -5000.0f, c.z - 1.0f, 0, 1, 0);  // y is never tested
        EXPECT_EQ(CameraLeftPlatform(), c.falls) << c.x << ", " << c.z;
    }
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
