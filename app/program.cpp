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
    // Nobody sees a hidden or minimised window: no frame runs, as behind a
    // dialog, while the tick clocks (and so the game's timers) go on. The
    // loop still polls, so a close or quit is taken as ever.
    if (platform::WindowShown()) RunFrameAt(platform::TickCount());
    while (platform::PacingTime() - start < kMinPassMs) platform::Sleep(kSleepStepMs);
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
