// SDL backend for platform/input.h: held keys from SDL's keyboard state, and
// mouse look through relative mouse mode so it works where the pointer
// cannot be warped (Wayland) and never keeps the pointer grabbed when the
// game is not in play.
#include "platform/input.h"

#include "platform/sdl/sdl_state.h"

namespace platform {

namespace {

bool Held(const Uint8* keys, SDL_Scancode code) { return keys[code] != 0; }

}  // namespace

bool IsKeyDown(Key key) {
    const Uint8* keys = SDL_GetKeyboardState(nullptr);
    switch (key) {
        case Key::Enter: return Held(keys, SDL_SCANCODE_RETURN) || Held(keys, SDL_SCANCODE_KP_ENTER);
        case Key::Escape: return Held(keys, SDL_SCANCODE_ESCAPE);
        case Key::Control: return Held(keys, SDL_SCANCODE_LCTRL) || Held(keys, SDL_SCANCODE_RCTRL);
        case Key::Left: return Held(keys, SDL_SCANCODE_LEFT);
        case Key::Right: return Held(keys, SDL_SCANCODE_RIGHT);
        case Key::Up: return Held(keys, SDL_SCANCODE_UP);
        case Key::Down: return Held(keys, SDL_SCANCODE_DOWN);
        case Key::F11: return Held(keys, SDL_SCANCODE_F11);
        case Key::Alt: return Held(keys, SDL_SCANCODE_LALT) || Held(keys, SDL_SCANCODE_RALT);
    }
    return false;
}

// SDL's key state changes only while events are pumped.
void PumpInput() { sdl::DrainEvents(); }

void GetCursorPos(int* x, int* y) {
    const sdl::State& s = sdl::GetState();
    *x = s.cursorX + s.motionX;
    *y = s.cursorY + s.motionY;
}

// No real warp: the "cursor" is virtual while captured, so moving it only
// re-bases the motion.
void SetCursorPos(int x, int y) {
    sdl::State& s = sdl::GetState();
    s.cursorX = x;
    s.cursorY = y;
    s.motionX = 0;
    s.motionY = 0;
}

void SetMouseCaptured(bool captured) {
    sdl::GetState().captureWanted = captured;
    sdl::UpdateCapture();
}

namespace sdl {

void UpdateCapture() {
    State& s = GetState();
    const bool active = s.captureWanted && s.focused && !s.dialogOpen && s.window != nullptr;
    if (active == s.captureActive) return;
    s.captureActive = active;
    // Refusal is tolerated: plain motion events still carry xrel/yrel.
    SDL_SetRelativeMouseMode(active ? SDL_TRUE : SDL_FALSE);
    if (active) {
        // Motion queued before the capture (and the warp SDL may do when
        // entering relative mode) must not turn the view.
        SDL_FlushEvent(SDL_MOUSEMOTION);
        SDL_GetRelativeMouseState(nullptr, nullptr);
    }
    s.motionX = 0;
    s.motionY = 0;
}

void HandleInputEvent(const SDL_Event& event) {
    State& s = GetState();
    if (event.type == SDL_MOUSEMOTION && s.captureActive) {
        s.motionX += event.motion.xrel;
        s.motionY += event.motion.yrel;
    }
}

}  // namespace sdl
}  // namespace platform
