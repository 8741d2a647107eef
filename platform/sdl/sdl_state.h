// State shared by the SDL backend's files: the window, its GL context, focus,
// and the mouse-look bookkeeping that the window poll, the input functions
// and the dialogs all touch. Private to platform/sdl.
#pragma once

#include <SDL.h>

#include <vector>

#include "platform/input.h"

namespace platform::sdl {

struct State {
    SDL_Window* window = nullptr;
    SDL_GLContext context = nullptr;
    bool focused = false;
    bool swapProbed = false;     // a varied frame at this size swapped and compared
    bool swapKeepsBack = false;  // and the back buffer came through it
    int swappedWidth = 0;        // the drawable at the last swap: a buffer
    int swappedHeight = 0;       // of another size holds no frame yet

    // The size asked for, until it has been fitted to the window manager's
    // decorations (once they are known) or the player has resized.
    int askedWidth = 0;
    int askedHeight = 0;
    bool outerSizeSettled = false;

    bool captureWanted = false;  // what the game asked for
    bool captureActive = false;  // relative mode really on
    bool dialogOpen = false;

    // Fullscreen the backend made itself, on an X server with no window
    // manager to grant SDL's request, and the window's own place and size
    // to go back to.
    bool coversScreen = false;
    SDL_Rect windowedPlace{};

    // The drawable size last reported in a Resize message.
    int reportedWidth = 0;
    int reportedHeight = 0;

    // Mouse look: the point the game last moved the cursor to, plus the
    // relative motion gathered since.
    int cursorX = platform::kMouseLookX;
    int cursorY = platform::kMouseLookY;
    int motionX = 0;
    int motionY = 0;

    // Every gamepad connected now, in the order they came.
    std::vector<SDL_GameController*> pads;
    bool padsInitialised = false;
    // The pad that last had a button pressed or an axis moved, -1 none yet.
    SDL_JoystickID lastUsedPad = -1;
};

State& GetState();

// Turns relative mode on or off to match want/focus/dialog. Entering it
// throws away motion gathered before, so the view does not jump.
void UpdateCapture();

// Quits these subsystems, and SDL itself once nothing else uses it.
void ReleaseSubsystems(Uint32 flags);

// Mouse motion for the look and gamepads coming and going; every other
// input event is sampled, not queued.
void HandleInputEvent(const SDL_Event& event);
// With the window: gamepads are opened as SDL announces them, and closed
// with it.
void OpenGamepads();
void CloseGamepads();

// A latched key that is up again reads as it is from now on.
void ForgetReleasedLatches();

// Empties SDL's queue: input is sampled, window messages wait for
// PollMessage. Keys and the cursor are current afterwards.
void DrainEvents();

// SIGTERM and SIGINT close the game, from inside a dialog too (see
// sdl_signals.cpp). Installed before SDL starts, instead of SDL's handlers.
void CatchQuitSignals();
// A quit signal has arrived at some time.
bool QuitSignalled();
// True when a quit signal has arrived since the last call.
bool TakeQuitSignal();
// Around every message box, so a signal can end the box's process.
void WatchDialogChild(bool open);

// False only on an X server with no window manager that would act on a
// borderless fullscreen request (sdl_x11.cpp).
bool DesktopGrantsFullscreen(SDL_Window* window);

}  // namespace platform::sdl
