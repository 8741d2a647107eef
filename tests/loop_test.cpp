#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "core/settings.h"
#include "game_fixture.h"
#include "scenery_fixture.h"
#include "text/dialogs.h"
#include "text/glf_font.h"
#include "world/world.h"

using MainLoop = GameTest;
using platform::MessageType;

// At max_fps 50 the loop paces as the game always did.
TEST_F(MainLoop, PacesShortFramesInTenMillisecondSleepsAcrossTheClockWrap) {
    g_settings.maxFps = 50;
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
    g_settings.maxFps = 50;
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

namespace {
std::vector<double> g_yaws;
// The yaw of the view each presented frame was drawn with.
void NoteYaw(int) {
    const Camera& eye = LastDrawnView();
    const Vector3 view = eye.target - eye.position;
    g_yaws.push_back(std::atan2(double(view.x), -double(view.z)));
}
}  // namespace

// Turning steadily at the screen's rate (60 or 144 Hz, swaps that do not wait), every presented frame turns the view
// by the same angle, within 10 %: each is drawn for its own time on the screen's beat, between its ticks. Drawn at the
// tick instead, at 60 Hz one frame in six would repeat the last.
TEST_F(MainLoop, FramesAtTheScreensRateTurnEvenly) {
    g_settings.maxFps = 0;
    StartPlay();
    script::SetFrameCost(3);
    script::HoldKey(platform::Key::Right, true);
    for (int hz : {60, 144}) {
        SCOPED_TRACE(hz);
        script::SetRefreshRate(hz);
        int code = 0;
        for (int pass = 0; pass < 5; ++pass) ASSERT_TRUE(MainLoopPass(&code));
        g_yaws.clear();
        script::OnSwap(NoteYaw);
        const uint32_t start = script::Now();
        for (int pass = 0; pass < 120; ++pass) ASSERT_TRUE(MainLoopPass(&code));
        script::OnSwap(nullptr);
        std::vector<double> steps;
        for (size_t i = 1; i < g_yaws.size(); ++i) steps.push_back(std::remainder(g_yaws[i] - g_yaws[i - 1], 2 * M_PI));
        const auto [least, most] = std::minmax_element(steps.begin(), steps.end());
        EXPECT_GT(*least, 0.0) << "no frame repeats the one before";
        EXPECT_LE(*most / *least, 1.1);
        EXPECT_NEAR(120.0 * 1000.0 / double(script::Now() - start), hz, 0.5) << "frames a second";
    }
}

// The view answers the mouse in the next frame drawn, not a tick later, and never turns back: the same motion before
// every frame at 144 Hz turns every presented frame by that motion's angle, though the ticks take it two or three
// frames' worth at a time. (Within 2 %: the camera's float vectors round.)
TEST_F(MainLoop, TheViewAnswersTheMouseInTheNextFrameDrawn) {
    g_settings.maxFps = 0;
    StartPlay();
    script::SetFrameCost(3);
    script::SetRefreshRate(144);
    int code = 0;
    for (int pass = 0; pass < 5; ++pass) ASSERT_TRUE(MainLoopPass(&code));
    g_yaws.clear();
    script::OnSwap(NoteYaw);
    for (int pass = 0; pass < 60; ++pass) {
        script::MoveMouse(-10, 0);  // 10 pixels left: 0.002 rad at sensitivity 1
        ASSERT_TRUE(MainLoopPass(&code));
    }
    script::OnSwap(nullptr);
    ASSERT_EQ(g_yaws.size(), 60u);
    for (size_t i = 1; i < g_yaws.size(); ++i)
        ASSERT_NEAR(std::abs(std::remainder(g_yaws[i] - g_yaws[i - 1], 2 * M_PI)), 0.002, 0.00004) << "frame " << i;
}

namespace {
void TapEscapeInTheBox() { script::TapKey(platform::Key::Escape); }
}  // namespace

// The pause opens in a frame that owes more ticks: that tick is the frame's last. The box then stands as a state of
// the loop: each pass returns, waits for input instead of sleeping to the frame's time, and runs no tick, so the
// world and the game's clock stand still (a browser's animation frame must return). Answered with Quit, the box's
// closing gives the focus back with ESC still down; no second pause stands between the player and the quit.
TEST_F(MainLoop, APauseIsAStateOfTheLoopThatRunsNoTickAndAFrameEndsWithTheTickThatOpenedIt) {
    ASSERT_TRUE(g_font.Load(std::string(ORVANTHE_DATA_DIR) + "/f.glf", 0)) << "the game draws its own box";
    StartPlay();
    int code = 0;
    ASSERT_TRUE(MainLoopPass(&code));
    script::HoldKey(platform::Key::Up, true);
    script::AnswerDialog(2);
    script::OnDialog(TapEscapeInTheBox);
    script::TapKey(platform::Key::Escape);
    script::ClearLog();
    RunFrameAt(script::Now() + 3 * kTickMs, true);  // three ticks late
    ASSERT_TRUE(GameDialogOpen());
    const uint32_t gameTime = g_gameTime;
    const Vector3 eye = g_camera.position;
    int passes = 0;
    while (GameDialogOpen() && passes < 10) {
        ASSERT_TRUE(MainLoopPass(&code));
        ++passes;
        EXPECT_EQ(g_gameTime, gameTime) << "no tick behind the box";
    }
    script::OnDialog(nullptr);
    EXPECT_GE(passes, 2) << "the box is answered over passes of the loop, not inside one";
    EXPECT_FALSE(GameDialogOpen());
    EXPECT_EQ(g_camera.position.z, eye.z) << "UP held behind the box walked";
    EXPECT_EQ(script::CountLog("dialog"), 1);
    EXPECT_EQ(script::CountLog("wait 100"), passes - 1) << "a pass that leaves the box standing waits for input";
    EXPECT_FALSE(MainLoopPass(&code)) << "the quit is taken next";
    EXPECT_EQ(code, 0);
}

// In the browser each animation frame calls one pass, whenever the page gets to it: a pass must return at once (no
// sleep, and no wait for input while a box stands) and draw for the moment it is called, so frames that come unevenly
// still turn the view by their own share of time, and a box is answered by a key between two of them.
TEST_F(MainLoop, ALoopTheDisplayPacesNeverWaitsAndDrawsEachFrameForItsOwnTime) {
    ASSERT_TRUE(g_font.Load(std::string(ORVANTHE_DATA_DIR) + "/f.glf", 0)) << "the game draws its own box";
    g_settings.maxFps = 0;
    script::SetDisplayPacesLoop(true);
    script::SetRefreshRate(0);
    StartPlay();
    script::HoldKey(platform::Key::Right, true);
    int code = 0;
    for (int pass = 0; pass < 5; ++pass) {
        script::AdvanceTime(16);
        ASSERT_TRUE(MainLoopPass(&code));
    }
    g_yaws.clear();
    script::OnSwap(NoteYaw);
    script::ClearLog();
    const uint32_t gaps[] = {16, 17, 7, 33, 16, 8, 25, 16, 17, 41, 16};
    for (uint32_t gap : gaps) {
        script::AdvanceTime(gap);
        ASSERT_TRUE(MainLoopPass(&code));
    }
    script::OnSwap(nullptr);
    ASSERT_EQ(g_yaws.size(), std::size(gaps));
    std::vector<double> rates;
    for (size_t i = 1; i < g_yaws.size(); ++i)
        rates.push_back(std::remainder(g_yaws[i] - g_yaws[i - 1], 2 * M_PI) / double(gaps[i]));
    const auto [slowest, fastest] = std::minmax_element(rates.begin(), rates.end());
    EXPECT_GT(*slowest, 0.0);
    EXPECT_LE(*fastest / *slowest, 1.02) << "a frame turned by more or less than its own time";
    EXPECT_EQ(script::CountLog("sleep"), 0);

    script::TapKey(platform::Key::Escape);
    script::AdvanceTime(16);
    ASSERT_TRUE(MainLoopPass(&code));
    ASSERT_TRUE(GameDialogOpen());
    for (int pass = 0; pass < 3; ++pass) {
        script::AdvanceTime(16);
        ASSERT_TRUE(MainLoopPass(&code));
    }
    EXPECT_TRUE(GameDialogOpen()) << "nobody answered";
    script::TapKey(platform::Key::Enter);
    script::AdvanceTime(16);
    ASSERT_TRUE(MainLoopPass(&code));
    EXPECT_FALSE(GameDialogOpen()) << "ENTER resumes";
    EXPECT_EQ(script::CountLog("wait"), 0) << "a pass waited for input";
    EXPECT_EQ(script::CountLog("sleep"), 0);
}

namespace {
std::vector<uint32_t> g_drawnGameTimes;
void NoteGameTime(int) { g_drawnGameTimes.push_back(g_gameTime); }
}  // namespace

// A cap where the display paces the loop passes over the frames the display offers before the cap's next is due: at
// 50 on a 60 Hz screen a second has 50 frames, each with a tick of its own, as the game first drew; without the cap
// every frame the display offers is drawn.
TEST_F(MainLoop, ACapPassesOverTheFramesTheDisplayOffersTooSoon) {
    script::SetDisplayPacesLoop(true);
    StartPlay();
    for (int cap : {50, 0}) {
        SCOPED_TRACE(cap);
        g_settings.maxFps = cap;
        int code = 0;
        const uint32_t beat[] = {17, 17, 16};  // 60 Hz in whole ms
        for (int pass = 0; pass < 6; ++pass) {
            script::AdvanceTime(beat[pass % 3]);
            ASSERT_TRUE(MainLoopPass(&code));
        }
        g_drawnGameTimes.clear();
        script::OnSwap(NoteGameTime);
        for (int pass = 0; pass < 60; ++pass) {
            script::AdvanceTime(beat[pass % 3]);
            ASSERT_TRUE(MainLoopPass(&code));
        }
        script::OnSwap(nullptr);
        if (cap == 0) {
            EXPECT_EQ(g_drawnGameTimes.size(), 60u);
            continue;
        }
        EXPECT_NEAR(double(g_drawnGameTimes.size()), 50.0, 1.0) << "frames in a second";
        for (size_t i = 1; i < g_drawnGameTimes.size(); ++i)
            EXPECT_EQ(g_drawnGameTimes[i] - g_drawnGameTimes[i - 1], kTickMs) << "frame " << i;
    }
}
