// SDL backend for platform/input.h: held keys from SDL's keyboard state, and
// mouse look through relative mouse mode so it works where the pointer
// cannot be warped (Wayland) and never keeps the pointer grabbed when the
// game is not in play.
#include "platform/input.h"

#include "platform/sdl/sdl_state.h"

namespace platform {

namespace {

bool Held(const Uint8* keys, SDL_Scancode code) { return keys[code] != 0; }

// Keys latched by LatchHeldKeys, by their number in Key.
constexpr int kLatchSlots = 64;
bool latched[kLatchSlots] = {};

bool RawKeyDown(Key key) {
    const Uint8* keys = SDL_GetKeyboardState(nullptr);
    switch (key) {
        case Key::Enter: return Held(keys, SDL_SCANCODE_RETURN) || Held(keys, SDL_SCANCODE_KP_ENTER);
        case Key::Escape: return Held(keys, SDL_SCANCODE_ESCAPE);
        case Key::Control: return Held(keys, SDL_SCANCODE_LCTRL) || Held(keys, SDL_SCANCODE_RCTRL);
        case Key::Left: return Held(keys, SDL_SCANCODE_LEFT);
        case Key::Right: return Held(keys, SDL_SCANCODE_RIGHT);
        case Key::Up: return Held(keys, SDL_SCANCODE_UP);
        case Key::Down: return Held(keys, SDL_SCANCODE_DOWN);
        case Key::Tab: return Held(keys, SDL_SCANCODE_TAB);
        case Key::MouseLeft: return (SDL_GetMouseState(nullptr, nullptr) & SDL_BUTTON_LMASK) != 0;
    }
    return false;
}

}  // namespace

bool IsKeyDown(Key key) {
    const bool down = RawKeyDown(key);
    const int slot = int(key);
    if (slot < kLatchSlots && latched[slot]) {
        if (down) return false;
        latched[slot] = false;
    }
    return down;
}

void LatchHeldKeys() {
    for (int slot = 0; slot <= int(Key::MouseLeft) && slot < kLatchSlots; ++slot)
        if (RawKeyDown(Key(slot))) latched[slot] = true;
}

bool GetPointerPos(int* x, int* y) {
    const sdl::State& s = sdl::GetState();
    if (!s.window || s.captureActive || SDL_GetMouseFocus() != s.window) return false;
    int wx = 0, wy = 0, ww = 0, wh = 0, dw = 0, dh = 0;
    SDL_GetMouseState(&wx, &wy);
    SDL_GetWindowSize(s.window, &ww, &wh);
    SDL_GL_GetDrawableSize(s.window, &dw, &dh);
    if (ww <= 0 || wh <= 0) return false;
    // High-DPI: window points, drawable pixels.
    *x = wx * dw / ww;
    *y = wy * dh / wh;
    return true;
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

void ForgetReleasedLatches() {
    for (int slot = 0; slot <= int(Key::MouseLeft) && slot < kLatchSlots; ++slot)
        if (latched[slot] && !RawKeyDown(Key(slot))) latched[slot] = false;
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
