// SDL backend for platform/input.h: held keys from SDL's keyboard state,
// mouse look through relative mouse mode so it works where the pointer
// cannot be warped (Wayland) and never keeps the pointer grabbed when the
// game is not in play, and gamepads through SDL's game-controller layer,
// opened and closed as they come and go.
#include "platform/input.h"

#include <algorithm>
#include <cmath>

#include "platform/sdl/sdl_state.h"

namespace platform {

namespace {

bool Held(const Uint8* keys, SDL_Scancode code) { return keys[code] != 0; }

bool PadHeld(SDL_GameControllerButton button) {
    for (SDL_GameController* pad : sdl::GetState().pads)
        if (SDL_GameControllerGetButton(pad, button)) return true;
    return false;
}

// -1..1 (0..1 for a trigger) from any pad, the one deflected furthest.
float PadAxis(SDL_GameControllerAxis axis) {
    float best = 0.0f;
    for (SDL_GameController* pad : sdl::GetState().pads) {
        const float v = std::max(-1.0f, float(SDL_GameControllerGetAxis(pad, axis)) / 32767.0f);
        if (std::fabs(v) > std::fabs(best)) best = v;
    }
    return best;
}

SDL_JoystickID InstanceOf(SDL_GameController* pad) {
    return SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(pad));
}

// Keys latched by LatchHeldKeys, by their number in Key.
constexpr int kLatchSlots = 64;
bool latched[kLatchSlots] = {};

// Presses counted as the events come, until TakePresses.
Presses presses;

void CountPress(Key key, bool withAlt) {
    ++presses.count[int(key)];
    if (withAlt) ++presses.withAlt[int(key)];
}

// The game's keys a key event stands for, as RawKeyDown reads them.
void CountKeyPress(const SDL_KeyboardEvent& key) {
    if (key.repeat) return;
    const bool alt = (key.keysym.mod & KMOD_ALT) != 0;
    const SDL_Scancode code = key.keysym.scancode;
    switch (code) {
    case SDL_SCANCODE_RETURN:
    case SDL_SCANCODE_KP_ENTER: CountPress(Key::Enter, alt); return;
    case SDL_SCANCODE_ESCAPE: CountPress(Key::Escape, alt); return;
    case SDL_SCANCODE_LCTRL:
    case SDL_SCANCODE_RCTRL: CountPress(Key::Control, alt); return;
    case SDL_SCANCODE_LEFT: CountPress(Key::Left, alt); return;
    case SDL_SCANCODE_RIGHT: CountPress(Key::Right, alt); return;
    case SDL_SCANCODE_UP: CountPress(Key::Up, alt); return;
    case SDL_SCANCODE_DOWN: CountPress(Key::Down, alt); return;
    case SDL_SCANCODE_W: CountPress(Key::W, alt); break;
    case SDL_SCANCODE_A: CountPress(Key::A, alt); break;
    case SDL_SCANCODE_S: CountPress(Key::S, alt); break;
    case SDL_SCANCODE_D: CountPress(Key::D, alt); break;
    case SDL_SCANCODE_F11: CountPress(Key::F11, alt); return;
    case SDL_SCANCODE_LALT:
    case SDL_SCANCODE_RALT: CountPress(Key::Alt, false); return;
    case SDL_SCANCODE_TAB: CountPress(Key::Tab, alt); return;
    default: break;
    }
    // M by its label: on some layouts it shares a position with W, A, S or D.
    if (code == SDL_GetScancodeFromKey(SDLK_m)) CountPress(Key::M, alt);
}

void CountPadPress(Uint8 button) {
    const bool alt = (SDL_GetModState() & KMOD_ALT) != 0;
    switch (button) {
    case SDL_CONTROLLER_BUTTON_A: CountPress(Key::PadA, alt); break;
    case SDL_CONTROLLER_BUTTON_B: CountPress(Key::PadB, alt); break;
    case SDL_CONTROLLER_BUTTON_START: CountPress(Key::PadStart, alt); break;
    case SDL_CONTROLLER_BUTTON_BACK: CountPress(Key::PadBack, alt); break;
    default: break;
    }
}

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
    // Walking keys by position; M by its label, wherever the layout has it.
    case Key::W: return Held(keys, SDL_SCANCODE_W);
    case Key::A: return Held(keys, SDL_SCANCODE_A);
    case Key::S: return Held(keys, SDL_SCANCODE_S);
    case Key::D: return Held(keys, SDL_SCANCODE_D);
    case Key::M: return Held(keys, SDL_GetScancodeFromKey(SDLK_m));
    case Key::MouseLeft: return (SDL_GetMouseState(nullptr, nullptr) & SDL_BUTTON_LMASK) != 0;
    case Key::PadA: return PadHeld(SDL_CONTROLLER_BUTTON_A);
    case Key::PadB: return PadHeld(SDL_CONTROLLER_BUTTON_B);
    case Key::PadStart: return PadHeld(SDL_CONTROLLER_BUTTON_START);
    case Key::PadBack: return PadHeld(SDL_CONTROLLER_BUTTON_BACK);
    case Key::F11: return Held(keys, SDL_SCANCODE_F11);
    case Key::Alt: return Held(keys, SDL_SCANCODE_LALT) || Held(keys, SDL_SCANCODE_RALT);
    case Key::Tab: return Held(keys, SDL_SCANCODE_TAB);
    }
    return false;
}

}  // namespace

PadAxes GetPadAxes() {
    PadAxes axes;
    axes.leftX = PadAxis(SDL_CONTROLLER_AXIS_LEFTX);
    axes.leftY = PadAxis(SDL_CONTROLLER_AXIS_LEFTY);
    axes.rightX = PadAxis(SDL_CONTROLLER_AXIS_RIGHTX);
    axes.rightY = PadAxis(SDL_CONTROLLER_AXIS_RIGHTY);
    axes.rightTrigger = PadAxis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT);
    return axes;
}

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
    for (int slot = 0; slot < kKeyCount && slot < kLatchSlots; ++slot)
        if (RawKeyDown(Key(slot))) latched[slot] = true;
    presses = Presses();
}

Presses TakePresses() {
    const Presses taken = presses;
    presses = Presses();
    return taken;
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
    for (int slot = 0; slot < kKeyCount && slot < kLatchSlots; ++slot)
        if (latched[slot] && !RawKeyDown(Key(slot))) latched[slot] = false;
}

void HandleInputEvent(const SDL_Event& event) {
    State& s = GetState();
    if (event.type == SDL_MOUSEMOTION && s.captureActive) {
        s.motionX += event.motion.xrel;
        s.motionY += event.motion.yrel;
    } else if (event.type == SDL_KEYDOWN) {
        CountKeyPress(event.key);
    } else if (event.type == SDL_MOUSEBUTTONDOWN) {
        if (event.button.button == SDL_BUTTON_LEFT) CountPress(Key::MouseLeft, (SDL_GetModState() & KMOD_ALT) != 0);
    } else if (event.type == SDL_CONTROLLERBUTTONDOWN) {
        CountPadPress(event.cbutton.button);
    } else if (event.type == SDL_CONTROLLERDEVICEADDED) {
        // Pads present at start are announced this way too. which: a device index.
        const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(event.cdevice.which);
        for (SDL_GameController* pad : s.pads)
            if (InstanceOf(pad) == id) return;
        if (SDL_GameController* pad = SDL_GameControllerOpen(event.cdevice.which)) s.pads.push_back(pad);
    } else if (event.type == SDL_CONTROLLERDEVICEREMOVED) {
        // which: the instance id of the pad that went.
        for (auto it = s.pads.begin(); it != s.pads.end(); ++it) {
            if (InstanceOf(*it) != event.cdevice.which) continue;
            SDL_GameControllerClose(*it);
            s.pads.erase(it);
            return;
        }
    }
}

void OpenGamepads() {
    // Without the subsystem (no joystick support here) the game runs on
    // keyboard and mouse alone.
    GetState().padsInitialised = SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0;
}

void CloseGamepads() {
    State& s = GetState();
    for (SDL_GameController* pad : s.pads) SDL_GameControllerClose(pad);
    s.pads.clear();
    if (s.padsInitialised) ReleaseSubsystems(SDL_INIT_GAMECONTROLLER);
    s.padsInitialised = false;
}

}  // namespace sdl
}  // namespace platform
