// State shared by the browser backend's files: the canvas's WebGL context,
// focus and visibility, the pointer lock and the mouse-look bookkeeping.
// Private to platform/web.
#pragma once

#include <emscripten/html5.h>

#include "platform/input.h"

namespace platform::web {

// The page's canvas, as html5.h's functions name it.
constexpr const char* kCanvas = "#canvas";

struct State {
    EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context = 0;
    bool focused = true;  // the page has the keyboard
    bool hidden = false;  // the tab is in the background or minimised

    bool captureWanted = false;  // what the game asked for
    bool captureActive = false;  // wanted, and the page may have it now
    bool locked = false;         // the browser's pointer lock is ours
    bool dialogOpen = false;

    // Mouse look: the point the game last moved the cursor to, plus the
    // locked pointer's motion gathered since.
    int cursorX = platform::kMouseLookX;
    int cursorY = platform::kMouseLookY;
    int motionX = 0;
    int motionY = 0;
    // The pointer over the canvas while it is not locked, in canvas pixels.
    bool pointerInside = false;
    int pointerX = 0;
    int pointerY = 0;
};

State& GetState();

// Asks for the pointer lock or lets it go to match want, focus and dialog.
// The browser grants a lock only shortly after a key or a click.
void UpdateCapture();

// Registers the keyboard, mouse and gamepad callbacks, once.
void ListenForInput();
// Reads the gamepads (the browser has no events for their buttons) and
// counts their presses; once a poll.
void SampleGamepads();
// A latched key that is up again reads as it is from now on.
void ForgetReleasedLatches();
// The page lost the keyboard: nothing stays held.
void ReleaseAllKeys();

}  // namespace platform::web
