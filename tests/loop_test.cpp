#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "game_fixture.h"
#include "world/controls.h"

namespace {

int Sleeps() { return script::CountLog("sleep"); }

platform::Message Msg(platform::MessageType type, int w = 0, int h = 0) {
    platform::Message m;
    m.type = type;
    m.width = w;
    m.height = h;
    return m;
}

}  // namespace

using MainLoop = GameTest;

TEST_F(MainLoop, PacesShortFramesInTenMillisecondSleeps) {
    int code = -1;
    script::SetFrameCost(35);
    const uint32_t t0 = script::Now();
    ASSERT_TRUE(MainLoopPass(&code));
    EXPECT_EQ(Sleeps(), 0) << "a 35 ms frame is not delayed";
    EXPECT_EQ(script::Now() - t0, 35u);

    script::ClearLog();
    script::SetFrameCost(5);
    const uint32_t t1 = script::Now();
    ASSERT_TRUE(MainLoopPass(&code));
    EXPECT_EQ(Sleeps(), 2) << "5 ms of work, then 10 + 10";
    EXPECT_EQ(script::Now() - t1, 25u);

    script::ClearLog();
    script::SetFrameCost(20);
    ASSERT_TRUE(MainLoopPass(&code));
    EXPECT_EQ(Sleeps(), 0) << "exactly 20 ms needs no wait";
}

TEST_F(MainLoop, PacingIsRightAcrossTheClockWrap) {
    int code = -1;
    script::SetTime(0xFFFFFFF0u);
    script::SetFrameCost(5);
    ASSERT_TRUE(MainLoopPass(&code));
    EXPECT_EQ(Sleeps(), 2);
    EXPECT_EQ(script::Now(), 9u);  // 0xFFFFFFF0 + 25, wrapped
}

TEST_F(MainLoop, TakesOneMessagePerPassAndAlwaysRunsTheFrame) {
    int code = -1;
    ASSERT_TRUE(MainLoopPass(&code));
    EXPECT_EQ(script::CountLog("swap"), 1) << "an empty queue still runs a frame";

    script::QueueMessage(Msg(platform::MessageType::Resize, 400, 300));
    script::QueueMessage(Msg(platform::MessageType::Resize, 640, 480));
    script::QueueMessage(Msg(platform::MessageType::Resize, 200, 100));
    GLint vp[4];
    ASSERT_TRUE(MainLoopPass(&code));
    glGetIntegerv(GL_VIEWPORT, vp);
    EXPECT_EQ(vp[2], 400);
    ASSERT_TRUE(MainLoopPass(&code));
    glGetIntegerv(GL_VIEWPORT, vp);
    EXPECT_EQ(vp[2], 640);
    ASSERT_TRUE(MainLoopPass(&code));
    glGetIntegerv(GL_VIEWPORT, vp);
    EXPECT_EQ(vp[2], 200);
    EXPECT_EQ(vp[3], 100);
    EXPECT_EQ(script::CountLog("swap"), 4);
    SetProjection(kWindowWidth, kWindowHeight);
}

TEST_F(MainLoop, AHiddenWindowDrawsNothingYetClosesAndKeepsTheTimers) {
    int code = -1;
    StartPlay();
    g_bullets.clear();
    g_fireTimer.Disarm();
    script::HoldKey(platform::Key::Control, true);
    ASSERT_TRUE(MainLoopPass(&code));
    ASSERT_TRUE(g_fireTimer.armed);
    ASSERT_TRUE(g_bullets.empty());

    script::SetWindowShown(false);
    script::ClearLog();
    for (int pass = 0; pass < 50; ++pass) ASSERT_TRUE(MainLoopPass(&code));
    EXPECT_EQ(script::CountLog("swap"), 0) << "frames drawn for nobody";
    EXPECT_EQ(script::CountLog("sleep"), 100) << "still paced, 20 ms a pass";
    EXPECT_TRUE(g_bullets.empty());

    // The tick count ran on: the fire timer armed a second ago is due.
    script::SetWindowShown(true);
    ASSERT_TRUE(MainLoopPass(&code));
    EXPECT_EQ(script::CountLog("swap"), 1);
    EXPECT_EQ(g_bullets.size(), 1u);
    script::HoldKey(platform::Key::Control, false);

    script::SetWindowShown(false);
    script::QueueMessage(Msg(platform::MessageType::Close));
    ASSERT_TRUE(MainLoopPass(&code));
    EXPECT_FALSE(script::WindowExists());
    EXPECT_FALSE(MainLoopPass(&code));
    EXPECT_EQ(code, 0);
}

TEST_F(MainLoop, ZeroHeightResizeKeepsAFiniteProjection) {
    SetProjection(0, 0);
    GLint vp[4];
    glGetIntegerv(GL_VIEWPORT, vp);
    EXPECT_EQ(vp[3], 1);
    GLfloat proj[16];
    glGetFloatv(GL_PROJECTION_MATRIX, proj);
    for (float f : proj) EXPECT_TRUE(std::isfinite(f));
    SetProjection(kWindowWidth, kWindowHeight);
    glGetIntegerv(GL_VIEWPORT, vp);
    EXPECT_EQ(vp[2], 800);
    EXPECT_EQ(vp[3], 600);
}

TEST_F(MainLoop, QuitMessageEndsTheLoopWithoutAnotherFrame) {
    int code = -1;
    platform::PostQuit(7);
    script::ClearLog();
    EXPECT_FALSE(MainLoopPass(&code));
    EXPECT_EQ(code, 7);
    EXPECT_EQ(script::CountLog("swap"), 0);
}

TEST_F(MainLoop, CloseDestroysTheWindowAndQuitsWithZero) {
    script::QueueMessage(Msg(platform::MessageType::Close));
    int code = -1;
    ASSERT_TRUE(MainLoopPass(&code));
    EXPECT_FALSE(script::WindowExists());
    EXPECT_EQ(script::CountLog("quit 0"), 1);
    EXPECT_FALSE(MainLoopPass(&code));
    EXPECT_EQ(code, 0);
}

TEST_F(MainLoop, EscapeOnTheTitleRunsTheWholeProgramToExitZero) {
    // The whole entry: window, fixed state, start-up, loop, shutdown.
    script::Reset();
    script::HoldKey(platform::Key::Escape, true);
    ResetProgramState();
    EXPECT_EQ(ProgramMain(), 0);
    const auto& log = script::Log();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.front(), "window create 800x600");
    EXPECT_EQ(script::CountLog("swap"), 1) << "the frame that posts the quit still presents";
    EXPECT_EQ(std::count(log.begin(), log.end(), "sound close"), 1);
    EXPECT_EQ(log.back(), "window destroy");
    GLfloat clear[4];
    std::string error;
    ASSERT_TRUE(platform::CreateMainWindow(kCaption, kWindowWidth, kWindowHeight, &error));
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_EQ(clear[2], 1.0f) << "cleared frames are pure blue";
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_COLOR_MATERIAL));
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
}

TEST_F(MainLoop, NoWindowMeansAClearErrorAndNonZeroExit) {
    script::Reset();
    script::FailWindowCreation("cannot open a window: no display");
    ::testing::internal::CaptureStderr();
    const int code = ProgramMain();
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(code, 0);
    EXPECT_NE(err.find("cannot open a window: no display"), std::string::npos) << err;
    EXPECT_EQ(script::CountLog("swap"), 0);
    EXPECT_EQ(script::CountLog("sound"), 0);
}
