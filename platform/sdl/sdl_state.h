// State shared by the SDL backend's files: the window, its GL context, focus,
// and the mouse-look bookkeeping that the window poll, the input functions
// and the dialogs all touch. Private to platform/sdl.
#pragma once

#include <SDL.h>

#include "platform/input.h"

namespace platform::sdl {

struct State {
    SDL_Window* window = nullptr;
    SDL_GLContext context = nullptr;
    bool focused = false;

    bool captureWanted = false;  // what the game asked for
    bool captureActive = false;  // relative mode really on
    bool dialogOpen = false;

    // Mouse look: the point the game last moved the cursor to, plus the
    // relative motion gathered since.
    int cursorX = platform::kMouseLookX;
    int cursorY = platform::kMouseLookY;
    int motionX = 0;
    int motionY = 0;
};

State& GetState();

// Turns relative mode on or off to match want/focus/dialog. Entering it
// throws away motion gathered before, so the view does not jump.
void UpdateCapture();

// Quits these subsystems, and SDL itself once nothing else uses it.
void ReleaseSubsystems(Uint32 flags);

// Mouse motion for the look; every other input event is sampled, not queued.
void HandleInputEvent(const SDL_Event& event);

}  // namespace platform::sdl
