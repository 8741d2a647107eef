#include "app/program.h"

#include <GL/gl.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/demos.h"
#include "app/display.h"
#include "app/flow.h"
#include "app/startup.h"
#include "camera/matrices.h"
#include "core/settings.h"
#include "core/sound.h"
#include "core/state.h"
#include "gl/gl_state.h"
#include "platform/clock.h"
#include "platform/dialog.h"
#include "platform/files.h"
#include "text/dialogs.h"

namespace {
// The window's: whether a swap waits for the screen (vsync took).
bool g_swapWaits = false;
// The frame schedule (ScheduleFrame): the next frame's due time and the
// remainder carried so that 144 a second is 144, not 142.
bool g_scheduled = false;
int g_scheduledRate = 0;
uint32_t g_frameDue = 0;
int g_dueCarry = 0;
// Under a cap where the display paces the loop: when the next frame is due.
bool g_capRunning = false;
uint32_t g_capDue = 0;

constexpr double kNearPlane = 1.0;
constexpr double kFarPlane = 2000.0;
}  // namespace

Matrix4 GameProjection(float fieldOfView, int width, int height) {
    // The field of view is upright: a wider drawable sees more at the sides.
    return PerspectiveMatrix(double(fieldOfView), double(width) / double(height), kNearPlane, kFarPlane);
}

void SetProjection(int width, int height) {
    if (height == 0) height = 1;  // minimised windows report 0
    glViewport(0, 0, width, height);
    g_viewportWidth = width;
    g_viewportHeight = height;
    g_projection = GameProjection(g_settings.fieldOfView, width, height);
    // A replay's rules see the recording's view, whatever this window's.
    if (!Replaying()) g_ruleProjection = g_projection;
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixf(g_projection.m);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void SetFieldOfView(float degrees) {
    if (std::isnan(degrees)) return;
    g_settings.fieldOfView = std::clamp(degrees, kMinFieldOfView, kMaxFieldOfView);
    if (g_viewportWidth > 0 && g_viewportHeight > 0) SetProjection(g_viewportWidth, g_viewportHeight);
}

void WindowProc(const platform::Message& message) {
    switch (message.type) {
    case platform::MessageType::Resize:
        SetProjection(message.width, message.height);
        RedrawGameDialog();
        break;
    case platform::MessageType::Close:
        // A dialog's close box is its "&Quit", and the window stays.
        if (GameDialogOpen()) {
            QuitGameDialog();
            break;
        }
        // The context goes with the window: frames still run before the quit
        // request is taken, and shutdown, have no GL effect.
        platform::DestroyMainWindow();
        platform::PostQuit(0);
        break;
    case platform::MessageType::Focus:
        RedrawGameDialog();
        if (!message.focused) HandleFocusLost();
        break;
    case platform::MessageType::Quit: break;
    }
}

// Frames a second: the cap, else the screen's rate (60 when unknown).
int FrameRate() {
    if (g_settings.maxFps > 0) return g_settings.maxFps;
    const int refresh = platform::RefreshRate();
    return refresh > 0 ? refresh : 60;
}

// Frame k of a run at `rate` a second is due k * 1000 / rate ms after the
// run began, kept as whole milliseconds and a remainder in rate-ths of one:
// each frame is drawn for its own due time, so the picture moves by the
// same step every frame even where the clock and sleeps count whole ms.
// A frame off its time by more than a frame (a stall, a dialog, a change
// of rate) begins the run again.
void ScheduleFrame(uint32_t now, int rate, uint32_t* dueMs, float* fraction) {
    if (!g_scheduled || g_scheduledRate != rate || std::abs(int32_t(now - g_frameDue)) > 1000 / rate) {
        g_scheduled = true;
        g_scheduledRate = rate;
        g_frameDue = now;
        g_dueCarry = 0;
    }
    *dueMs = g_frameDue;
    *fraction = float(g_dueCarry) / float(rate);
    g_frameDue += 1000u / uint32_t(rate);
    g_dueCarry += 1000 % rate;
    if (g_dueCarry >= rate) {
        g_dueCarry -= rate;
        ++g_frameDue;
    }
}

// At 50 a second the loop keeps the game's first pacing: a pass at most
// every 20 ms, in 10 ms sleeps. Otherwise a swap that waits for the screen
// paces the loop, unless a cap is set; where it does not wait (Xvfb, some
// software drivers) the schedule holds it to the screen's rate: never an
// uncapped spin.
void PaceFrame(uint32_t start) {
    if (DrawsAtTheTick()) {
        while (platform::PacingTime() - start < kMinPassMs) platform::Sleep(kSleepStepMs);
        return;
    }
    if (g_swapWaits && g_settings.maxFps == 0) return;
    const uint32_t due = g_frameDue + (g_dueCarry > 0 ? 1 : 0);
    const uint32_t now = platform::PacingTime();
    if (int32_t(due - now) > 0) platform::Sleep(due - now);
}

bool DrawsAtTheTick() { return g_settings.maxFps == int(1000 / kTickMs); }

void ApplyPacingSettings() {
    // At 50 a second the game draws at its tick, unsynchronised, as it
    // always has.
    g_swapWaits = platform::SetVsync(g_settings.vsync && !DrawsAtTheTick());
    g_scheduled = false;
    g_capRunning = false;
}

void ApplyChangedSettings(const Settings& before) {
    const Settings& now = g_settings;
    if (now.fullscreen != before.fullscreen && now.fullscreen != platform::IsFullscreen()) {
        // Where the desktop refuses, the row shows what the window is.
        if (!ToggleFullscreen()) g_settings.fullscreen = platform::IsFullscreen();
    }
    if (now.vsync != before.vsync || now.maxFps != before.maxFps) ApplyPacingSettings();
    if (now.fieldOfView != before.fieldOfView) SetProjection(g_viewportWidth, g_viewportHeight);
    if (now.musicVolume != before.musicVolume || now.effectsVolume != before.effectsVolume) ApplySoundVolume();
    // The player hears how loud the effects now are.
    if (now.effectsVolume != before.effectsVolume) PlaySound(g_bulletFireSample);
}

namespace {

// Where the display paces the loop, a cap passes over the frames it offers
// before the cap's next one is due (a couple of ms early still counts: the
// display's beat jitters), so 50 a second on a 60 Hz screen is one frame a
// tick. A frame late by more than the cap's interval starts the count again.
bool CapPassesOver(uint32_t now) {
    if (g_settings.maxFps == 0) return false;
    constexpr int32_t kSlackMs = 2;
    const uint32_t interval = 1000u / uint32_t(g_settings.maxFps);
    if (g_capRunning && int32_t(g_capDue - now) > kSlackMs) return true;
    const bool onTime = g_capRunning && int32_t(now - g_capDue) < int32_t(interval);
    g_capDue = (onTime ? g_capDue : now) + interval;
    g_capRunning = true;
    return false;
}

}  // namespace

bool MainLoopPass(int* exitCode) {
    platform::Message message;
    const bool taken = platform::PollMessage(&message);
    if (taken && message.type == platform::MessageType::Quit) {
        *exitCode = message.exitCode;
        return false;
    }
    // Integer milliseconds and an unsigned difference: right across the
    // 32-bit wrap and after any uptime.
    const uint32_t start = platform::PacingTime();
    // Nobody sees a hidden or minimised window: no frame runs, and its world
    // and timers stand still as behind a dialog. The loop still polls, so a
    // close or quit is taken as ever.
    const bool paced = platform::DisplayPacesLoop();
    const bool shown = platform::WindowShown();
    if (paced) {
        // The display offers this frame, drawn for now; a cap may pass over it.
        if (shown && !CapPassesOver(start)) RunFrameAt(start, !DrawsAtTheTick(), 0.0f);
    } else if (DrawsAtTheTick()) {
        if (shown) RunFrameAt(platform::TickCount());
    } else {
        uint32_t due = 0;
        float fraction = 0.0f;
        ScheduleFrame(start, FrameRate(), &due, &fraction);
        if (shown) RunFrameAt(due, true, fraction);
    }
    // A dialog changes only when the player or the window does something.
    if (!paced) {
        if (GameDialogOpen()) {
            platform::WaitForInput(kDialogWaitMs);
        } else {
            PaceFrame(start);
        }
    }
    if (taken) WindowProc(message);
    return true;
}

bool OpenGameWindow(int width, int height, std::string* error) {
    if (!platform::CreateMainWindow(kCaption, width, height, error)) return false;
    platform::GetDrawableSize(&width, &height);
    SetProjection(width, height);
    SetFixedGlState();
    ApplyPacingSettings();
    SetOptionsApply(&ApplyChangedSettings);
    return true;
}

namespace {

int EndProgram(int exitCode) {
    FinishRecording();
    FinishReplay();
    ShutdownGame();
    platform::DestroyMainWindow();
    return exitCode;
}

}  // namespace

namespace {

// A timed replay's clock: each pass is one tick later, so every frame
// draws exactly one tick, however long it took.
uint32_t g_timedClock = 0;

// One frame of a timed replay: a tick and its picture, at once, timed.
bool TimedReplayPass(int* exitCode) {
    platform::Message message;
    const bool taken = platform::PollMessage(&message);
    if (taken && message.type == platform::MessageType::Quit) {
        *exitCode = message.exitCode;
        return false;
    }
    const auto start = std::chrono::steady_clock::now();
    const uint32_t ticks = ReplayedTicks();
    RunFrameAt(g_timedClock);
    g_timedClock += kTickMs;
    // A box's frames draw no tick: they are the recording's pauses.
    if (ReplayedTicks() != ticks)
        NoteTimedFrame(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    if (taken) WindowProc(message);
    return true;
}

}  // namespace

int ProgramMain(const DemoRequest& demo) {
    std::string error;
    DemoReader replay;
    if (demo.best && demo.playPath.empty()) {
        std::fprintf(stderr, "orvanthe: no best run to play (neither XDG_DATA_HOME nor HOME names a folder)\n");
        return 1;
    }
    if (demo.best && platform::NothingAt(demo.playPath)) {
        std::fprintf(stderr, "orvanthe: no best run to play yet: win a game, and it is kept as %s\n",
                     demo.playPath.c_str());
        return 1;
    }
    if (!demo.playPath.empty() && !OpenDemo(demo.playPath, &replay, &error)) {
        std::fprintf(stderr, "orvanthe: %s\n", error.c_str());
        return 1;
    }
    // A timed replay draws as fast as it can, and nobody listens.
    if (demo.timed) {
        g_settings.vsync = false;
        g_settings.maxFps = kHighestMaxFps;
        g_muted = true;
    }
    if (!OpenGameWindow(kWindowWidth, kWindowHeight, &error)) {
        std::fprintf(stderr, "orvanthe: %s\n", error.c_str());
        return 1;
    }
    // From the settings or the command line; the resize follows as a message.
    if (g_settings.fullscreen && !demo.timed) platform::SetFullscreen(true);
    InitGame();
    if (demo.playPath.empty()) {
        StartRecording(demo.recordPath);
    } else {
        StartReplay(demo.playPath, std::move(replay), demo.timed);
    }
    if (demo.timed) g_timedClock = platform::TickCount();
    return platform::RunLoop(demo.timed ? &TimedReplayPass : &MainLoopPass, &EndProgram);
}
