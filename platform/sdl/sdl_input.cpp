// SDL backend for platform/input.h: held keys from SDL's keyboard state,
// mouse look through relative mouse mode so it works where the pointer
// cannot be warped (Wayland) and never keeps the pointer grabbed when the
// game is not in play, and gamepads through SDL's game-controller layer,
// opened and closed as they come and go.
#include "platform/input.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/sdl/sdl_state.h"

namespace platform {

namespace {

// Keys by position. M is left out: it goes by its label.
struct ScancodeKey {
    SDL_Scancode code;
    Key key;
};
constexpr ScancodeKey kScancodes[] = {
    {SDL_SCANCODE_RETURN, Key::Return},
    {SDL_SCANCODE_KP_ENTER, Key::KeypadEnter},
    {SDL_SCANCODE_ESCAPE, Key::Escape},
    {SDL_SCANCODE_LCTRL, Key::LeftControl},
    {SDL_SCANCODE_RCTRL, Key::RightControl},
    {SDL_SCANCODE_LEFT, Key::Left},
    {SDL_SCANCODE_RIGHT, Key::Right},
    {SDL_SCANCODE_UP, Key::Up},
    {SDL_SCANCODE_DOWN, Key::Down},
    {SDL_SCANCODE_W, Key::W},
    {SDL_SCANCODE_A, Key::A},
    {SDL_SCANCODE_S, Key::S},
    {SDL_SCANCODE_D, Key::D},
    {SDL_SCANCODE_F11, Key::F11},
    {SDL_SCANCODE_LALT, Key::LeftAlt},
    {SDL_SCANCODE_RALT, Key::RightAlt},
    {SDL_SCANCODE_TAB, Key::Tab},
    {SDL_SCANCODE_LSHIFT, Key::LeftShift},
    {SDL_SCANCODE_RSHIFT, Key::RightShift},
    {SDL_SCANCODE_B, Key::B},
    {SDL_SCANCODE_C, Key::C},
    {SDL_SCANCODE_E, Key::E},
    {SDL_SCANCODE_F, Key::F},
    {SDL_SCANCODE_G, Key::G},
    {SDL_SCANCODE_H, Key::H},
    {SDL_SCANCODE_I, Key::I},
    {SDL_SCANCODE_J, Key::J},
    {SDL_SCANCODE_K, Key::K},
    {SDL_SCANCODE_L, Key::L},
    {SDL_SCANCODE_N, Key::N},
    {SDL_SCANCODE_O, Key::O},
    {SDL_SCANCODE_P, Key::P},
    {SDL_SCANCODE_Q, Key::Q},
    {SDL_SCANCODE_R, Key::R},
    {SDL_SCANCODE_T, Key::T},
    {SDL_SCANCODE_U, Key::U},
    {SDL_SCANCODE_V, Key::V},
    {SDL_SCANCODE_X, Key::X},
    {SDL_SCANCODE_Y, Key::Y},
    {SDL_SCANCODE_Z, Key::Z},
    {SDL_SCANCODE_0, Key::Digit0},
    {SDL_SCANCODE_1, Key::Digit1},
    {SDL_SCANCODE_2, Key::Digit2},
    {SDL_SCANCODE_3, Key::Digit3},
    {SDL_SCANCODE_4, Key::Digit4},
    {SDL_SCANCODE_5, Key::Digit5},
    {SDL_SCANCODE_6, Key::Digit6},
    {SDL_SCANCODE_7, Key::Digit7},
    {SDL_SCANCODE_8, Key::Digit8},
    {SDL_SCANCODE_9, Key::Digit9},
    {SDL_SCANCODE_F1, Key::F1},
    {SDL_SCANCODE_F2, Key::F2},
    {SDL_SCANCODE_F3, Key::F3},
    {SDL_SCANCODE_F4, Key::F4},
    {SDL_SCANCODE_F5, Key::F5},
    {SDL_SCANCODE_F6, Key::F6},
    {SDL_SCANCODE_F7, Key::F7},
    {SDL_SCANCODE_F8, Key::F8},
    {SDL_SCANCODE_F9, Key::F9},
    {SDL_SCANCODE_F10, Key::F10},
    {SDL_SCANCODE_F12, Key::F12},
    {SDL_SCANCODE_SPACE, Key::Space},
    {SDL_SCANCODE_BACKSPACE, Key::Backspace},
    {SDL_SCANCODE_INSERT, Key::Insert},
    {SDL_SCANCODE_DELETE, Key::Delete},
    {SDL_SCANCODE_HOME, Key::Home},
    {SDL_SCANCODE_END, Key::End},
    {SDL_SCANCODE_PAGEUP, Key::PageUp},
    {SDL_SCANCODE_PAGEDOWN, Key::PageDown},
    {SDL_SCANCODE_MINUS, Key::Minus},
    {SDL_SCANCODE_EQUALS, Key::Equals},
    {SDL_SCANCODE_LEFTBRACKET, Key::LeftBracket},
    {SDL_SCANCODE_RIGHTBRACKET, Key::RightBracket},
    {SDL_SCANCODE_BACKSLASH, Key::Backslash},
    {SDL_SCANCODE_SEMICOLON, Key::Semicolon},
    {SDL_SCANCODE_APOSTROPHE, Key::Apostrophe},
    {SDL_SCANCODE_GRAVE, Key::Grave},
    {SDL_SCANCODE_COMMA, Key::Comma},
    {SDL_SCANCODE_PERIOD, Key::Period},
    {SDL_SCANCODE_SLASH, Key::Slash},
    {SDL_SCANCODE_CAPSLOCK, Key::CapsLock},
    {SDL_SCANCODE_KP_0, Key::Keypad0},
    {SDL_SCANCODE_KP_1, Key::Keypad1},
    {SDL_SCANCODE_KP_2, Key::Keypad2},
    {SDL_SCANCODE_KP_3, Key::Keypad3},
    {SDL_SCANCODE_KP_4, Key::Keypad4},
    {SDL_SCANCODE_KP_5, Key::Keypad5},
    {SDL_SCANCODE_KP_6, Key::Keypad6},
    {SDL_SCANCODE_KP_7, Key::Keypad7},
    {SDL_SCANCODE_KP_8, Key::Keypad8},
    {SDL_SCANCODE_KP_9, Key::Keypad9},
    {SDL_SCANCODE_KP_PERIOD, Key::KeypadPeriod},
    {SDL_SCANCODE_KP_PLUS, Key::KeypadPlus},
    {SDL_SCANCODE_KP_MINUS, Key::KeypadMinus},
    {SDL_SCANCODE_KP_MULTIPLY, Key::KeypadMultiply},
    {SDL_SCANCODE_KP_DIVIDE, Key::KeypadDivide},
};

struct PadButtonKey {
    SDL_GameControllerButton button;
    Key key;
};
constexpr PadButtonKey kPadButtons[] = {
    {SDL_CONTROLLER_BUTTON_A, Key::PadA},
    {SDL_CONTROLLER_BUTTON_B, Key::PadB},
    {SDL_CONTROLLER_BUTTON_X, Key::PadX},
    {SDL_CONTROLLER_BUTTON_Y, Key::PadY},
    {SDL_CONTROLLER_BUTTON_BACK, Key::PadBack},
    {SDL_CONTROLLER_BUTTON_START, Key::PadStart},
    {SDL_CONTROLLER_BUTTON_LEFTSTICK, Key::PadLeftStick},
    {SDL_CONTROLLER_BUTTON_RIGHTSTICK, Key::PadRightStick},
    {SDL_CONTROLLER_BUTTON_LEFTSHOULDER, Key::PadLeftShoulder},
    {SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, Key::PadRightShoulder},
    {SDL_CONTROLLER_BUTTON_DPAD_UP, Key::PadDpadUp},
    {SDL_CONTROLLER_BUTTON_DPAD_DOWN, Key::PadDpadDown},
    {SDL_CONTROLLER_BUTTON_DPAD_LEFT, Key::PadDpadLeft},
    {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, Key::PadDpadRight},
};

struct MouseButtonKey {
    Uint8 button;
    Key key;
};
constexpr MouseButtonKey kMouseButtons[] = {
    {SDL_BUTTON_LEFT, Key::MouseLeft}, {SDL_BUTTON_MIDDLE, Key::MouseMiddle}, {SDL_BUTTON_RIGHT, Key::MouseRight},
    {SDL_BUTTON_X1, Key::MouseBack},   {SDL_BUTTON_X2, Key::MouseForward},
};

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

// A stick or trigger this far off its rest is the player's hand on that
// pad; less may be a worn stick resting off centre.
constexpr int kAxisInUse = 16384;

// Sony's pads print shapes and Nintendo's swap the face letters; every
// other pad SDL knows (and a virtual or unknown one) is laid out and
// lettered as an Xbox pad.
PadLayout LayoutOf(SDL_GameController* pad) {
    switch (SDL_GameControllerGetType(pad)) {
    case SDL_CONTROLLER_TYPE_PS3:
    case SDL_CONTROLLER_TYPE_PS4:
    case SDL_CONTROLLER_TYPE_PS5: return PadLayout::PlayStation;
    case SDL_CONTROLLER_TYPE_NINTENDO_SWITCH_PRO:
    case SDL_CONTROLLER_TYPE_NINTENDO_SWITCH_JOYCON_LEFT:
    case SDL_CONTROLLER_TYPE_NINTENDO_SWITCH_JOYCON_RIGHT:
    case SDL_CONTROLLER_TYPE_NINTENDO_SWITCH_JOYCON_PAIR: return PadLayout::Nintendo;
    default: return PadLayout::Xbox;
    }
}

// 0..1 as a motor's strength; anything else (NaN too) is held to the range.
Uint16 MotorStrength(float v) {
    if (!(v > 0.0f)) return 0;
    if (v >= 1.0f) return 0xFFFF;
    return Uint16(std::lround(v * 65535.0f));
}

// Keys latched by LatchHeldKeys, by their number in Key.
bool latched[kKeyCount] = {};

// Presses counted as the events come, until TakePresses.
Presses presses;

// A key of a pair counts as the pair too.
void CountPress(Key key, bool withAlt) {
    ++presses.count[int(key)];
    if (withAlt) ++presses.withAlt[int(key)];
    if (PairOf(key) != key) CountPress(PairOf(key), withAlt);
}

void CountKeyPress(const SDL_KeyboardEvent& key) {
    if (key.repeat) return;
    const SDL_Scancode code = key.keysym.scancode;
    const bool alt = (key.keysym.mod & KMOD_ALT) != 0 && code != SDL_SCANCODE_LALT && code != SDL_SCANCODE_RALT;
    for (const ScancodeKey& k : kScancodes)
        if (k.code == code) CountPress(k.key, alt);
    // M by its label: on some layouts it shares a position with another key.
    if (code == SDL_GetScancodeFromKey(SDLK_m)) CountPress(Key::M, alt);
}

void CountPadPress(Uint8 button) {
    const bool alt = (SDL_GetModState() & KMOD_ALT) != 0;
    for (const PadButtonKey& k : kPadButtons)
        if (k.button == button) CountPress(k.key, alt);
}

void CountMousePress(Uint8 button) {
    const bool alt = (SDL_GetModState() & KMOD_ALT) != 0;
    for (const MouseButtonKey& k : kMouseButtons)
        if (k.button == button) CountPress(k.key, alt);
}

bool RawKeyDown(Key key) {
    const Uint8* keys = SDL_GetKeyboardState(nullptr);
    if (key == Key::M) return keys[SDL_GetScancodeFromKey(SDLK_m)] != 0;
    for (const ScancodeKey& k : kScancodes)
        if ((k.key == key || PairOf(k.key) == key) && keys[k.code]) return true;
    for (const PadButtonKey& k : kPadButtons)
        if (k.key == key) return PadHeld(k.button);
    const Uint32 mouse = SDL_GetMouseState(nullptr, nullptr);
    for (const MouseButtonKey& k : kMouseButtons)
        if (k.key == key) return (mouse & SDL_BUTTON(k.button)) != 0;
    return false;
}

}  // namespace

PadLayout GetPadLayout() {
    const sdl::State& s = sdl::GetState();
    for (SDL_GameController* pad : s.pads)
        if (InstanceOf(pad) == s.lastUsedPad) return LayoutOf(pad);
    return s.pads.empty() ? PadLayout::None : LayoutOf(s.pads.front());
}

// A pad that cannot rumble says so; the game plays on without it.
void Rumble(float low, float high, uint32_t ms) {
    for (SDL_GameController* pad : sdl::GetState().pads)
        SDL_GameControllerRumble(pad, MotorStrength(low), MotorStrength(high), ms);
}

PadAxes GetPadAxes() {
    PadAxes axes;
    axes.leftX = PadAxis(SDL_CONTROLLER_AXIS_LEFTX);
    axes.leftY = PadAxis(SDL_CONTROLLER_AXIS_LEFTY);
    axes.rightX = PadAxis(SDL_CONTROLLER_AXIS_RIGHTX);
    axes.rightY = PadAxis(SDL_CONTROLLER_AXIS_RIGHTY);
    axes.rightTrigger = PadAxis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT);
    axes.leftTrigger = PadAxis(SDL_CONTROLLER_AXIS_TRIGGERLEFT);
    return axes;
}

bool IsKeyDown(Key key) {
    const bool down = RawKeyDown(key);
    const int slot = int(key);
    if (slot >= 0 && slot < kKeyCount && latched[slot]) {
        if (down) return false;
        latched[slot] = false;
    }
    return down;
}

void LatchHeldKeys() {
    for (int slot = 0; slot < kKeyCount; ++slot)
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
    for (int slot = 0; slot < kKeyCount; ++slot)
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
        CountMousePress(event.button.button);
    } else if (event.type == SDL_CONTROLLERBUTTONDOWN) {
        s.lastUsedPad = event.cbutton.which;
        CountPadPress(event.cbutton.button);
    } else if (event.type == SDL_CONTROLLERAXISMOTION) {
        if (std::abs(int(event.caxis.value)) >= kAxisInUse) s.lastUsedPad = event.caxis.which;
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
    // SDL 2 reports a Nintendo pad's face buttons by the letters printed on
    // them unless told not to; the game reads them by position, as on every
    // other pad, and names them itself (GetPadLayout).
    SDL_SetHint(SDL_HINT_GAMECONTROLLER_USE_BUTTON_LABELS, "0");
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
