#include "app/program.h"

#include <GL/gl.h>

#include <cstdio>
#include <string>

#include "app/display.h"
#include "app/flow.h"
#include "app/startup.h"
#include "camera/matrices.h"
#include "core/settings.h"
#include "core/state.h"
#include "gl/gl_state.h"
#include "platform/clock.h"

namespace {
// The window's: whether a swap waits for the screen (vsync took).
bool g_swapWaits = false;
// The frame schedule of a capped rate: when this frame is due, and the
// thousandths of a millisecond carried so that 60 a second is 60, not 59.
bool g_scheduled = false;
uint32_t g_frameDue = 0;
int g_dueCarry = 0;

constexpr double kFieldOfView = 45.0;
constexpr double kNearPlane = 1.0;
constexpr double kFarPlane = 2000.0;
}  // namespace

void SetProjection(int width, int height) {
    if (height == 0) height = 1;  // minimised windows report 0
    glViewport(0, 0, width, height);
    g_viewportWidth = width;
    g_viewportHeight = height;
    g_projection = PerspectiveMatrix(kFieldOfView, double(width) / double(height), kNearPlane, kFarPlane);
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixf(g_projection.m);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void WindowProc(const platform::Message& message) {
    switch (message.type) {
    case platform::MessageType::Resize: SetProjection(message.width, message.height); break;
    case platform::MessageType::Close:
        // The context goes with the window: frames still run before the quit
        // request is taken, and shutdown, have no GL effect.
        platform::DestroyMainWindow();
        platform::PostQuit(0);
        break;
    case platform::MessageType::Focus:
        if (!message.focused) HandleFocusLost();
        break;
    case platform::MessageType::Quit: break;
    }
}

// Frames a second the loop holds itself to; 0 where the swap paces it.
// Where a swap does not wait (Xvfb, some software drivers), the screen's
// rate, 60 when unknown: never an uncapped spin.
int FrameRateCap() {
    if (g_settings.maxFps > 0) return g_settings.maxFps;
    if (g_swapWaits) return 0;
    const int refresh = platform::RefreshRate();
    return refresh > 0 ? refresh : 60;
}

// At 50 a second the loop keeps the game's first pacing: a pass at most
// every 20 ms, in 10 ms sleeps. Any other cap keeps a schedule of 1000/cap
// ms a frame, begun again after a frame that overran it by a whole frame.
void PaceFrame(uint32_t start) {
    if (DrawsAtTheTick()) {
        while (platform::PacingTime() - start < kMinPassMs) platform::Sleep(kSleepStepMs);
        return;
    }
    const int cap = FrameRateCap();
    if (cap <= 0) return;
    const uint32_t period = 1000u / uint32_t(cap);
    if (!g_scheduled || int32_t(platform::PacingTime() - g_frameDue) > int32_t(period)) {
        g_frameDue = start;
        g_dueCarry = 0;
        g_scheduled = true;
    }
    g_frameDue += period;
    g_dueCarry += 1000 % cap;
    if (g_dueCarry >= cap) {
        g_dueCarry -= cap;
        ++g_frameDue;
    }
    const uint32_t now = platform::PacingTime();
    if (int32_t(g_frameDue - now) > 0) platform::Sleep(g_frameDue - now);
}

bool DrawsAtTheTick() { return g_settings.maxFps == int(1000 / kTickMs); }

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
    if (platform::WindowShown()) RunFrameAt(platform::TickCount(), !DrawsAtTheTick());
    PaceFrame(start);
    if (taken) WindowProc(message);
    return true;
}

int RunMainLoop() {
    int exitCode = 0;
    while (MainLoopPass(&exitCode)) {
    }
    return exitCode;
}

bool OpenGameWindow(int width, int height, std::string* error) {
    if (!platform::CreateMainWindow(kCaption, width, height, error)) return false;
    platform::GetDrawableSize(&width, &height);
    SetProjection(width, height);
    SetFixedGlState();
    // At 50 a second the game draws at its tick, unsynchronised, as it
    // always has.
    g_swapWaits = platform::SetVsync(g_settings.vsync && !DrawsAtTheTick());
    g_scheduled = false;
    return true;
}

int ProgramMain() {
    std::string error;
    if (!OpenGameWindow(kWindowWidth, kWindowHeight, &error)) {
        std::fprintf(stderr, "orvanthe: %s\n", error.c_str());
        return 1;
    }
    // From the settings or the command line; the resize follows as a message.
    if (g_settings.fullscreen) platform::SetFullscreen(true);
    InitGame();
    const int exitCode = RunMainLoop();
    ShutdownGame();
    platform::DestroyMainWindow();
    return exitCode;
}
