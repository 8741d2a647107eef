// The browser backend for platform/input.h: keys by their physical
// position (KeyboardEvent.code), M by its label; mouse look through the
// page's pointer lock, taken on a click in play or shortly after a key; and
// gamepads in the browser's standard layout, read once a poll.
#include <emscripten.h>
#include <emscripten/html5.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "platform/web/gamepad_id.h"
#include "platform/web/web_state.h"

namespace platform {

namespace {

struct KeyCode {
    const char* code;
    Key key;
};

// Keys by position; M goes by its label.
constexpr KeyCode kCodes[] = {
    {"Enter", Key::Return},
    {"NumpadEnter", Key::KeypadEnter},
    {"Escape", Key::Escape},
    {"ControlLeft", Key::LeftControl},
    {"ControlRight", Key::RightControl},
    {"ArrowLeft", Key::Left},
    {"ArrowRight", Key::Right},
    {"ArrowUp", Key::Up},
    {"ArrowDown", Key::Down},
    {"KeyW", Key::W},
    {"KeyA", Key::A},
    {"KeyS", Key::S},
    {"KeyD", Key::D},
    {"F11", Key::F11},
    {"AltLeft", Key::LeftAlt},
    {"AltRight", Key::RightAlt},
    {"Tab", Key::Tab},
    {"ShiftLeft", Key::LeftShift},
    {"ShiftRight", Key::RightShift},
    {"KeyB", Key::B},
    {"KeyC", Key::C},
    {"KeyE", Key::E},
    {"KeyF", Key::F},
    {"KeyG", Key::G},
    {"KeyH", Key::H},
    {"KeyI", Key::I},
    {"KeyJ", Key::J},
    {"KeyK", Key::K},
    {"KeyL", Key::L},
    {"KeyN", Key::N},
    {"KeyO", Key::O},
    {"KeyP", Key::P},
    {"KeyQ", Key::Q},
    {"KeyR", Key::R},
    {"KeyT", Key::T},
    {"KeyU", Key::U},
    {"KeyV", Key::V},
    {"KeyX", Key::X},
    {"KeyY", Key::Y},
    {"KeyZ", Key::Z},
    {"Digit0", Key::Digit0},
    {"Digit1", Key::Digit1},
    {"Digit2", Key::Digit2},
    {"Digit3", Key::Digit3},
    {"Digit4", Key::Digit4},
    {"Digit5", Key::Digit5},
    {"Digit6", Key::Digit6},
    {"Digit7", Key::Digit7},
    {"Digit8", Key::Digit8},
    {"Digit9", Key::Digit9},
    {"F1", Key::F1},
    {"F2", Key::F2},
    {"F3", Key::F3},
    {"F4", Key::F4},
    {"F5", Key::F5},
    {"F6", Key::F6},
    {"F7", Key::F7},
    {"F8", Key::F8},
    {"F9", Key::F9},
    {"F10", Key::F10},
    {"F12", Key::F12},
    {"Space", Key::Space},
    {"Backspace", Key::Backspace},
    {"Insert", Key::Insert},
    {"Delete", Key::Delete},
    {"Home", Key::Home},
    {"End", Key::End},
    {"PageUp", Key::PageUp},
    {"PageDown", Key::PageDown},
    {"Minus", Key::Minus},
    {"Equal", Key::Equals},
    {"BracketLeft", Key::LeftBracket},
    {"BracketRight", Key::RightBracket},
    {"Backslash", Key::Backslash},
    {"Semicolon", Key::Semicolon},
    {"Quote", Key::Apostrophe},
    {"Backquote", Key::Grave},
    {"Comma", Key::Comma},
    {"Period", Key::Period},
    {"Slash", Key::Slash},
    {"CapsLock", Key::CapsLock},
    {"Numpad0", Key::Keypad0},
    {"Numpad1", Key::Keypad1},
    {"Numpad2", Key::Keypad2},
    {"Numpad3", Key::Keypad3},
    {"Numpad4", Key::Keypad4},
    {"Numpad5", Key::Keypad5},
    {"Numpad6", Key::Keypad6},
    {"Numpad7", Key::Keypad7},
    {"Numpad8", Key::Keypad8},
    {"Numpad9", Key::Keypad9},
    {"NumpadDecimal", Key::KeypadPeriod},
    {"NumpadAdd", Key::KeypadPlus},
    {"NumpadSubtract", Key::KeypadMinus},
    {"NumpadMultiply", Key::KeypadMultiply},
    {"NumpadDivide", Key::KeypadDivide},
};
constexpr int kCodeCount = int(sizeof kCodes / sizeof kCodes[0]);

bool codeHeld[kCodeCount] = {};
// M is the key labelled M, wherever the layout puts it: the position it
// was last seen at, held while that position is.
char mCode[32] = {};
bool mHeld = false;
// The page's mouse buttons by MouseEvent.button: left, middle, right, back,
// forward.
constexpr Key kMouseButtons[] = {Key::MouseLeft, Key::MouseMiddle, Key::MouseRight, Key::MouseBack, Key::MouseForward};
constexpr int kMouseButtonCount = int(sizeof kMouseButtons / sizeof kMouseButtons[0]);
bool mouseHeld[kMouseButtonCount] = {};

// The standard gamepad layout's buttons by number; 6 and 7 are the
// triggers, read as axes.
constexpr int kPadLeftTrigger = 6, kPadRightTrigger = 7;
struct PadButtonKey {
    int button;
    Key key;
};
constexpr PadButtonKey kPadButtons[] = {
    {0, Key::PadA},
    {1, Key::PadB},
    {2, Key::PadX},
    {3, Key::PadY},
    {4, Key::PadLeftShoulder},
    {5, Key::PadRightShoulder},
    {8, Key::PadBack},
    {9, Key::PadStart},
    {10, Key::PadLeftStick},
    {11, Key::PadRightStick},
    {12, Key::PadDpadUp},
    {13, Key::PadDpadDown},
    {14, Key::PadDpadLeft},
    {15, Key::PadDpadRight},
};
constexpr int kPadButtonCount = int(sizeof kPadButtons / sizeof kPadButtons[0]);
struct PadButtons {
    bool held[kPadButtonCount] = {};
};
std::vector<PadButtons> padsBefore;
PadButtons padsHeld;
PadAxes padAxes;
// Each pad's family by its number (None: no standard pad there), and the
// pad last used, -1 none yet.
std::vector<PadLayout> padLayouts;
int lastUsedPad = -1;
// A stick or trigger this far off its rest is the player's hand on that
// pad; less may be a worn stick resting off centre.
constexpr float kAxisInUse = 0.5f;

bool latched[kKeyCount] = {};
Presses presses;

// A key of a pair counts as the pair too.
void CountPress(Key key, bool withAlt) {
    ++presses.count[int(key)];
    if (withAlt) ++presses.withAlt[int(key)];
    if (PairOf(key) != key) CountPress(PairOf(key), withAlt);
}

int CodeIndex(const char* code) {
    for (int i = 0; i < kCodeCount; ++i)
        if (std::strcmp(kCodes[i].code, code) == 0) return i;
    return -1;
}

bool IsLabelledM(const EmscriptenKeyboardEvent& event) {
    return std::strcmp(event.key, "m") == 0 || std::strcmp(event.key, "M") == 0;
}

// True: the page must not act on the key too (Tab moving the focus,
// arrows and Space scrolling, F11 the browser's own fullscreen); the other
// function keys stay the browser's (reload, its tools).
EM_BOOL OnKey(int type, const EmscriptenKeyboardEvent* event, void*) {
    const bool down = type == EMSCRIPTEN_EVENT_KEYDOWN;
    const int index = CodeIndex(event->code);
    const bool isM = IsLabelledM(*event) || (mHeld && std::strcmp(event->code, mCode) == 0);
    if (index < 0 && !isM) return EM_FALSE;
    if (down && !event->repeat) {
        if (index >= 0) CountPress(kCodes[index].key, PairOf(kCodes[index].key) != Key::Alt && event->altKey);
        if (isM) CountPress(Key::M, event->altKey);
    }
    if (index >= 0) codeHeld[index] = down;
    if (isM) {
        std::strncpy(mCode, event->code, sizeof mCode - 1);
        mHeld = down;
    }
    // A key the player holds makes a moment the browser lets the page take
    // the pointer.
    if (down) web::UpdateCapture();
    const bool browsers = index >= 0 && kCodes[index].code[0] == 'F' && kCodes[index].key != Key::F11;
    return browsers ? EM_FALSE : EM_TRUE;
}

EM_BOOL OnMouseButton(int type, const EmscriptenMouseEvent* event, void*) {
    if (event->button >= kMouseButtonCount) return EM_FALSE;
    const bool down = type == EMSCRIPTEN_EVENT_MOUSEDOWN;
    if (down) CountPress(kMouseButtons[event->button], event->altKey);
    mouseHeld[event->button] = down;
    // A click in play takes the pointer back.
    if (down) web::UpdateCapture();
    // The back and forward buttons would leave the page: in the game they
    // are buttons like the others, bindable.
    return event->button >= 3 ? EM_TRUE : EM_FALSE;
}

EM_BOOL OnMouseMove(int, const EmscriptenMouseEvent* event, void*) {
    web::State& s = web::GetState();
    if (s.locked) {
        s.motionX += int(event->movementX);
        s.motionY += int(event->movementY);
        return EM_FALSE;
    }
    double cssWidth = 0, cssHeight = 0;
    emscripten_get_element_css_size(web::kCanvas, &cssWidth, &cssHeight);
    int width = 0, height = 0;
    emscripten_get_canvas_element_size(web::kCanvas, &width, &height);
    const double x = double(event->targetX), y = double(event->targetY);
    s.pointerInside = cssWidth > 0 && cssHeight > 0 && x >= 0 && y >= 0 && x < cssWidth && y < cssHeight;
    if (s.pointerInside) {
        s.pointerX = int(x * width / cssWidth);
        s.pointerY = int(y * height / cssHeight);
    }
    return EM_FALSE;
}

EM_BOOL OnMouseLeave(int, const EmscriptenMouseEvent*, void*) {
    web::GetState().pointerInside = false;
    return EM_FALSE;
}

// Escape ends the lock, and the browser keeps that key from the page: a
// lock lost in play is the ESC that pauses it.
EM_BOOL OnPointerLock(int, const EmscriptenPointerlockChangeEvent* event, void*) {
    web::State& s = web::GetState();
    const bool wasLocked = s.locked;
    s.locked = event->isActive != 0;
    s.motionX = s.motionY = 0;
    if (wasLocked && !s.locked && s.captureActive) {
        s.captureActive = false;
        CountPress(Key::Escape, false);
    }
    return EM_FALSE;
}

bool RawKeyDown(Key key) {
    switch (key) {
    case Key::M: return mHeld;
    default: break;
    }
    for (int i = 0; i < kMouseButtonCount; ++i)
        if (kMouseButtons[i] == key) return mouseHeld[i];
    for (int i = 0; i < kPadButtonCount; ++i)
        if (kPadButtons[i].key == key) return padsHeld.held[i];
    for (int i = 0; i < kCodeCount; ++i)
        if ((kCodes[i].key == key || PairOf(kCodes[i].key) == key) && codeHeld[i]) return true;
    return false;
}

// The browser refuses a lock without a recent key or click, and says so
// through a promise: a refusal is no error, the next click asks again.
// clang-format off
EM_JS(void, RequestPointerLock, (), {
    const canvas = Module['canvas'];
    if (!canvas || !canvas.requestPointerLock) return;
    try {
        const asked = canvas.requestPointerLock();
        if (asked && asked.catch) asked.catch(function(){});
    } catch (e) {
    }
});

// Every pad that has a vibration actuator shakes; one without, or a
// browser that refuses, is no error.
EM_JS(void, PlayRumble, (double low, double high, double ms), {
    if (!navigator.getGamepads) return;
    let pads = [];
    try {
        pads = navigator.getGamepads() || [];
    } catch (e) {
        return;
    }
    for (let i = 0; i < pads.length; ++i) {
        const actuator = pads[i] && pads[i].connected ? pads[i].vibrationActuator : null;
        if (!actuator || !actuator.playEffect) continue;
        try {
            const played = actuator.playEffect('dual-rumble',
                {startDelay: 0, duration: ms, strongMagnitude: low, weakMagnitude: high});
            if (played && played.catch) played.catch(function(){});
        } catch (e) {
        }
    }
});
// clang-format on

float Deflection(double value) { return std::max(-1.0f, std::min(1.0f, float(value))); }

}  // namespace

namespace web {

void ListenForInput() {
    static bool listening = false;
    if (listening) return;
    listening = true;
    const char* window = EMSCRIPTEN_EVENT_TARGET_WINDOW;
    emscripten_set_keydown_callback(window, nullptr, EM_FALSE, OnKey);
    emscripten_set_keyup_callback(window, nullptr, EM_FALSE, OnKey);
    emscripten_set_mousedown_callback(kCanvas, nullptr, EM_FALSE, OnMouseButton);
    emscripten_set_mouseup_callback(window, nullptr, EM_FALSE, OnMouseButton);
    // On the canvas: its coordinates, and where a locked pointer sends motion.
    emscripten_set_mousemove_callback(kCanvas, nullptr, EM_FALSE, OnMouseMove);
    emscripten_set_mouseleave_callback(kCanvas, nullptr, EM_FALSE, OnMouseLeave);
    emscripten_set_pointerlockchange_callback(EMSCRIPTEN_EVENT_TARGET_DOCUMENT, nullptr, EM_FALSE, OnPointerLock);
}

void SampleGamepads() {
    padsHeld = PadButtons();
    padAxes = PadAxes();
    padLayouts.clear();
    if (emscripten_sample_gamepad_data() != EMSCRIPTEN_RESULT_SUCCESS) return;
    const int count = std::max(0, emscripten_get_num_gamepads());
    padsBefore.resize(size_t(count));
    padLayouts.assign(size_t(count), PadLayout::None);
    for (int i = 0; i < count; ++i) {
        EmscriptenGamepadEvent pad;
        PadButtons now;
        bool used = false;
        if (emscripten_get_gamepad_status(i, &pad) == EMSCRIPTEN_RESULT_SUCCESS && pad.connected &&
            std::strcmp(pad.mapping, "standard") == 0) {
            padLayouts[size_t(i)] = LayoutFromGamepadId(pad.id);
            const auto pressed = [&pad](int button) { return button < pad.numButtons && pad.digitalButton[button]; };
            for (int b = 0; b < kPadButtonCount; ++b) now.held[b] = pressed(kPadButtons[b].button);
            // Each axis from the pad deflected furthest, as on the desktop.
            const auto furthest = [&used](float* axis, float value) {
                if (std::fabs(value) > std::fabs(*axis)) *axis = value;
                if (std::fabs(value) >= kAxisInUse) used = true;
            };
            if (pad.numAxes >= 4) {
                furthest(&padAxes.leftX, Deflection(pad.axis[0]));
                furthest(&padAxes.leftY, Deflection(pad.axis[1]));
                furthest(&padAxes.rightX, Deflection(pad.axis[2]));
                furthest(&padAxes.rightY, Deflection(pad.axis[3]));
            }
            if (pad.numButtons > kPadRightTrigger) {
                furthest(&padAxes.leftTrigger, Deflection(pad.analogButton[kPadLeftTrigger]));
                furthest(&padAxes.rightTrigger, Deflection(pad.analogButton[kPadRightTrigger]));
            }
        }
        PadButtons& before = padsBefore[size_t(i)];
        for (int b = 0; b < kPadButtonCount; ++b) {
            if (now.held[b] && !before.held[b]) {
                CountPress(kPadButtons[b].key, false);
                used = true;
            }
            padsHeld.held[b] = padsHeld.held[b] || now.held[b];
        }
        before = now;
        if (used) lastUsedPad = i;
    }
}

void ForgetReleasedLatches() {
    for (int slot = 0; slot < kKeyCount; ++slot)
        if (latched[slot] && !RawKeyDown(Key(slot))) latched[slot] = false;
}

void ReleaseAllKeys() {
    std::fill(std::begin(codeHeld), std::end(codeHeld), false);
    mHeld = false;
    std::fill(std::begin(mouseHeld), std::end(mouseHeld), false);
}

void UpdateCapture() {
    State& s = GetState();
    const bool active = s.captureWanted && s.focused && !s.dialogOpen && s.context != 0;
    s.captureActive = active;
    if (active && !s.locked) {
        RequestPointerLock();
    } else if (!active && s.locked) {
        emscripten_exit_pointerlock();
    }
    if (!active) s.motionX = s.motionY = 0;
}

}  // namespace web

PadAxes GetPadAxes() { return padAxes; }

PadLayout GetPadLayout() {
    const auto at = [](int i) {
        return i >= 0 && size_t(i) < padLayouts.size() ? padLayouts[size_t(i)] : PadLayout::None;
    };
    if (at(lastUsedPad) != PadLayout::None) return at(lastUsedPad);
    for (PadLayout layout : padLayouts)
        if (layout != PadLayout::None) return layout;
    return PadLayout::None;
}

void Rumble(float low, float high, uint32_t ms) {
    const auto strength = [](float v) { return v > 0.0f ? std::min(1.0, double(v)) : 0.0; };
    PlayRumble(strength(low), strength(high), double(ms));
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

namespace {
// The game takes its presses once a tick: the count is the ticks run, for
// the page's benchmark (orvanthe_ticks).
unsigned ticksTaken = 0;
}  // namespace

Presses TakePresses() {
    ++ticksTaken;
    const Presses taken = presses;
    presses = Presses();
    return taken;
}

// Events arrive between animation frames, never during one.
void PumpInput() { web::SampleGamepads(); }

bool GetPointerPos(int* x, int* y) {
    const web::State& s = web::GetState();
    if (!s.context || s.locked || !s.pointerInside) return false;
    *x = s.pointerX;
    *y = s.pointerY;
    return true;
}

void GetCursorPos(int* x, int* y) {
    const web::State& s = web::GetState();
    *x = s.cursorX + s.motionX;
    *y = s.cursorY + s.motionY;
}

// No real warp: while locked the cursor is virtual, so moving it only
// re-bases the motion.
void SetCursorPos(int x, int y) {
    web::State& s = web::GetState();
    s.cursorX = x;
    s.cursorY = y;
    s.motionX = 0;
    s.motionY = 0;
}

void SetMouseCaptured(bool captured) {
    web::State& s = web::GetState();
    if (captured == s.captureWanted) return;
    s.captureWanted = captured;
    web::UpdateCapture();
}

}  // namespace platform

extern "C" EMSCRIPTEN_KEEPALIVE unsigned orvanthe_ticks() { return platform::ticksTaken; }
