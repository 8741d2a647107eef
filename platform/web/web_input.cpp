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

#include "platform/web/web_state.h"

namespace platform {

namespace {

struct KeyCode {
    const char* code;
    Key key;
};

// Both Enters, both CONTROLs and both Alts act as one key each.
constexpr KeyCode kCodes[] = {
    {"Enter", Key::Enter},
    {"NumpadEnter", Key::Enter},
    {"Escape", Key::Escape},
    {"ControlLeft", Key::Control},
    {"ControlRight", Key::Control},
    {"ArrowLeft", Key::Left},
    {"ArrowRight", Key::Right},
    {"ArrowUp", Key::Up},
    {"ArrowDown", Key::Down},
    {"KeyW", Key::W},
    {"KeyA", Key::A},
    {"KeyS", Key::S},
    {"KeyD", Key::D},
    {"F11", Key::F11},
    {"AltLeft", Key::Alt},
    {"AltRight", Key::Alt},
    {"Tab", Key::Tab},
};
constexpr int kCodeCount = int(sizeof kCodes / sizeof kCodes[0]);

bool codeHeld[kCodeCount] = {};
// M is the key labelled M, wherever the layout puts it: the position it
// was last seen at, held while that position is.
char mCode[32] = {};
bool mHeld = false;
bool mouseLeftHeld = false;

// Standard-layout gamepad buttons the game reads, and the axes.
constexpr int kPadA = 0, kPadB = 1, kPadBack = 8, kPadStart = 9, kPadRightTrigger = 7;
struct PadButtons {
    bool a = false, b = false, back = false, start = false;
};
std::vector<PadButtons> padsBefore;
PadButtons padsHeld;
PadAxes padAxes;

constexpr int kLatchSlots = 64;
bool latched[kLatchSlots] = {};
Presses presses;

void CountPress(Key key, bool withAlt) {
    ++presses.count[int(key)];
    if (withAlt) ++presses.withAlt[int(key)];
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
// arrows scrolling, F11 the browser's own fullscreen).
EM_BOOL OnKey(int type, const EmscriptenKeyboardEvent* event, void*) {
    const bool down = type == EMSCRIPTEN_EVENT_KEYDOWN;
    const int index = CodeIndex(event->code);
    const bool isM = IsLabelledM(*event) || (mHeld && std::strcmp(event->code, mCode) == 0);
    if (index < 0 && !isM) return EM_FALSE;
    if (down && !event->repeat) {
        if (index >= 0) CountPress(kCodes[index].key, kCodes[index].key != Key::Alt && event->altKey);
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
    return EM_TRUE;
}

EM_BOOL OnMouseButton(int type, const EmscriptenMouseEvent* event, void*) {
    if (event->button != 0) return EM_FALSE;
    const bool down = type == EMSCRIPTEN_EVENT_MOUSEDOWN;
    if (down) CountPress(Key::MouseLeft, event->altKey);
    mouseLeftHeld = down;
    // A click in play takes the pointer back.
    if (down) web::UpdateCapture();
    return EM_FALSE;
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
    case Key::MouseLeft: return mouseLeftHeld;
    case Key::PadA: return padsHeld.a;
    case Key::PadB: return padsHeld.b;
    case Key::PadStart: return padsHeld.start;
    case Key::PadBack: return padsHeld.back;
    default: break;
    }
    for (int i = 0; i < kCodeCount; ++i)
        if (kCodes[i].key == key && codeHeld[i]) return true;
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
    if (emscripten_sample_gamepad_data() != EMSCRIPTEN_RESULT_SUCCESS) return;
    const int count = std::max(0, emscripten_get_num_gamepads());
    padsBefore.resize(size_t(count));
    for (int i = 0; i < count; ++i) {
        EmscriptenGamepadEvent pad;
        PadButtons now;
        if (emscripten_get_gamepad_status(i, &pad) == EMSCRIPTEN_RESULT_SUCCESS && pad.connected &&
            std::strcmp(pad.mapping, "standard") == 0) {
            const auto pressed = [&pad](int button) { return button < pad.numButtons && pad.digitalButton[button]; };
            now.a = pressed(kPadA);
            now.b = pressed(kPadB);
            now.back = pressed(kPadBack);
            now.start = pressed(kPadStart);
            // Each axis from the pad deflected furthest, as on the desktop.
            const auto furthest = [](float* axis, float value) {
                if (std::fabs(value) > std::fabs(*axis)) *axis = value;
            };
            if (pad.numAxes >= 4) {
                furthest(&padAxes.leftX, Deflection(pad.axis[0]));
                furthest(&padAxes.leftY, Deflection(pad.axis[1]));
                furthest(&padAxes.rightX, Deflection(pad.axis[2]));
                furthest(&padAxes.rightY, Deflection(pad.axis[3]));
            }
            if (pad.numButtons > kPadRightTrigger)
                furthest(&padAxes.rightTrigger, Deflection(pad.analogButton[kPadRightTrigger]));
        }
        PadButtons& before = padsBefore[size_t(i)];
        if (now.a && !before.a) CountPress(Key::PadA, false);
        if (now.b && !before.b) CountPress(Key::PadB, false);
        if (now.back && !before.back) CountPress(Key::PadBack, false);
        if (now.start && !before.start) CountPress(Key::PadStart, false);
        before = now;
        padsHeld.a = padsHeld.a || now.a;
        padsHeld.b = padsHeld.b || now.b;
        padsHeld.back = padsHeld.back || now.back;
        padsHeld.start = padsHeld.start || now.start;
    }
}

void ForgetReleasedLatches() {
    for (int slot = 0; slot < kKeyCount && slot < kLatchSlots; ++slot)
        if (latched[slot] && !RawKeyDown(Key(slot))) latched[slot] = false;
}

void ReleaseAllKeys() {
    std::fill(std::begin(codeHeld), std::end(codeHeld), false);
    mHeld = false;
    mouseLeftHeld = false;
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
