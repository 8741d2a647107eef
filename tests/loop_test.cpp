#include <GL/gl.h>

#include <cmath>

#include "game_fixture.h"
#include "scenery_fixture.h"

using MainLoop = GameTest;
using platform::MessageType;

TEST_F(MainLoop, PacesShortFramesInTenMillisecondSleepsAcrossTheClockWrap) {
    const uint32_t cases[][3] = {{1000, 5, 2}, {1000, 20, 0}, {0xFFFFFFF0u, 5, 2}};  // start, frame cost, sleeps
    for (const auto& c : cases) {
        SCOPED_TRACE(c[1]);
        int code = -1;
        script::SetTime(c[0]);
        script::SetFrameCost(c[1]);
        script::ClearLog();
        ASSERT_TRUE(MainLoopPass(&code));
        EXPECT_EQ(uint32_t(script::CountLog("sleep")), c[2]);
        EXPECT_EQ(script::Now(), c[0] + c[1] + 10 * c[2]);  // wraps to 9 on the last
    }
}

TEST_F(MainLoop, TakesOneMessagePerPassAndAlwaysRunsTheFrameUntilTheQuit) {
    int code = -1;
    ASSERT_TRUE(MainLoopPass(&code));
    EXPECT_EQ(script::CountLog("swap"), 1) << "an empty queue still runs a frame";
    const int sizes[][2] = {{400, 300}, {640, 480}, {200, 100}, {0, 0}};
    for (const auto& s : sizes) script::QueueMessage({MessageType::Resize, 0, s[0], s[1]});
    for (const auto& s : sizes) {
        ASSERT_TRUE(MainLoopPass(&code));
        EXPECT_EQ(Matrix(GL_VIEWPORT)[2], float(s[0]));
        EXPECT_EQ(Matrix(GL_VIEWPORT)[3], float(std::max(s[1], 1))) << "a minimised window keeps a finite projection";
    }
    for (float f : Matrix(GL_PROJECTION_MATRIX)) EXPECT_TRUE(std::isfinite(f));
    platform::PostQuit(7);
    EXPECT_FALSE(MainLoopPass(&code));
    EXPECT_EQ(code, 7);
    EXPECT_EQ(script::CountLog("swap"), 5) << "none after the quit";
}

TEST_F(MainLoop, AHiddenWindowDrawsNothingAndItsWorldStandsStillYetItCloses) {
    int code = -1;
    StartPlay();
    script::HoldKey(platform::Key::Control, true);  // arms the fire timer
    ASSERT_TRUE(MainLoopPass(&code));

    script::SetWindowShown(false);
    script::ClearLog();
    for (int pass = 0; pass < 50; ++pass) ASSERT_TRUE(MainLoopPass(&code));
    EXPECT_EQ(script::CountLog("swap"), 0) << "frames drawn for nobody";
    EXPECT_EQ(script::CountLog("sleep"), 100) << "still paced, 20 ms a pass";
    EXPECT_TRUE(g_bullets.empty());

    // Nobody played that second: the shot the fire timer armed a tick before the window went is still most of
    // 700 ms of play away, as after a pause.
    script::SetWindowShown(true);
    ASSERT_TRUE(MainLoopPass(&code));
    EXPECT_EQ(script::CountLog("swap"), 1);
    EXPECT_TRUE(g_bullets.empty());
    int passes = 1;
    for (; g_bullets.empty() && passes < 100; ++passes) ASSERT_TRUE(MainLoopPass(&code));
    EXPECT_EQ(passes, 36) << "more than 700 ms of ticks after the one that armed it";

    // Close destroys the window and quits with zero, shown or not.
    script::SetWindowShown(false);
    script::QueueMessage({MessageType::Close});
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
    EXPECT_EQ(script::Log().at(0), "window create 800x600");
    EXPECT_EQ(script::CountLog("swap"), 1) << "the frame that posts the quit still presents";
    EXPECT_EQ(script::LogLines("caption"), std::vector<std::string>(2, "caption Orvanthe")) << "window, then frame";
    std::string error;
    ASSERT_TRUE(platform::CreateMainWindow(kCaption, kWindowWidth, kWindowHeight, &error));
    EXPECT_EQ(Matrix(GL_COLOR_CLEAR_VALUE)[2], 1.0f) << "cleared frames are pure blue";
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST) && glIsEnabled(GL_COLOR_MATERIAL) && !glIsEnabled(GL_LIGHTING));
}

TEST_F(MainLoop, NoWindowMeansAClearErrorAndNonZeroExit) {
    script::Reset();
    script::FailWindowCreation("no display");
    EXPECT_EQ(Stderr([] { EXPECT_NE(ProgramMain(), 0); }), "orvanthe: no display\n");
    EXPECT_EQ(script::CountLog("swap"), 0);
    EXPECT_EQ(script::CountLog("sound"), 0);
}
