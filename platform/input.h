// Keys: held ones sampled once a frame, presses counted as they come; and
// the cursor used for mouse look.
#pragma once

#include <cstdint>

namespace platform {

// Every key, mouse button and gamepad button the game can read, as one
// list so each backend's tables and the scripted log's names follow it.
// The first twenty are what the game has always read; Enter, Control and
// Alt stand for either of a pair (Return or keypad Enter, left or right),
// and a key of a pair counts as the pair too. Letters and the rest are
// key positions (W, A, S, D are ZQSD on a French keyboard), except M,
// which is the key labelled M. Pad buttons follow SDL's game-controller
// layout (A is the bottom face button, whatever the pad prints on it).
// clang-format off
#define ORVANTHE_KEYS(KEY) \
    KEY(Enter) KEY(Escape) KEY(Control) KEY(Left) KEY(Right) KEY(Up) KEY(Down) KEY(W) KEY(A) KEY(S) KEY(D) KEY(M) KEY(MouseLeft) KEY(PadA) KEY(PadB) KEY(PadStart) KEY(PadBack) KEY(F11) KEY(Alt) KEY(Tab) \
    KEY(Return) KEY(KeypadEnter) KEY(LeftControl) KEY(RightControl) KEY(LeftAlt) KEY(RightAlt) KEY(LeftShift) KEY(RightShift) \
    KEY(B) KEY(C) KEY(E) KEY(F) KEY(G) KEY(H) KEY(I) KEY(J) KEY(K) KEY(L) KEY(N) KEY(O) KEY(P) KEY(Q) KEY(R) KEY(T) KEY(U) KEY(V) KEY(X) KEY(Y) KEY(Z) \
    KEY(Digit0) KEY(Digit1) KEY(Digit2) KEY(Digit3) KEY(Digit4) KEY(Digit5) KEY(Digit6) KEY(Digit7) KEY(Digit8) KEY(Digit9) \
    KEY(F1) KEY(F2) KEY(F3) KEY(F4) KEY(F5) KEY(F6) KEY(F7) KEY(F8) KEY(F9) KEY(F10) KEY(F12) \
    KEY(Space) KEY(Backspace) KEY(Insert) KEY(Delete) KEY(Home) KEY(End) KEY(PageUp) KEY(PageDown) \
    KEY(Minus) KEY(Equals) KEY(LeftBracket) KEY(RightBracket) KEY(Backslash) KEY(Semicolon) KEY(Apostrophe) KEY(Grave) KEY(Comma) KEY(Period) KEY(Slash) KEY(CapsLock) \
    KEY(Keypad0) KEY(Keypad1) KEY(Keypad2) KEY(Keypad3) KEY(Keypad4) KEY(Keypad5) KEY(Keypad6) KEY(Keypad7) KEY(Keypad8) KEY(Keypad9) \
    KEY(KeypadPeriod) KEY(KeypadPlus) KEY(KeypadMinus) KEY(KeypadMultiply) KEY(KeypadDivide) \
    KEY(MouseRight) KEY(MouseMiddle) KEY(MouseBack) KEY(MouseForward) \
    KEY(PadX) KEY(PadY) KEY(PadLeftStick) KEY(PadRightStick) KEY(PadLeftShoulder) KEY(PadRightShoulder) KEY(PadDpadUp) KEY(PadDpadDown) KEY(PadDpadLeft) KEY(PadDpadRight)
// clang-format on

enum class Key {
#define ORVANTHE_KEY_ENUMERATOR(name) name,
    ORVANTHE_KEYS(ORVANTHE_KEY_ENUMERATOR)
#undef ORVANTHE_KEY_ENUMERATOR
};
#define ORVANTHE_KEY_ONE(name) +1
constexpr int kKeyCount = 0 ORVANTHE_KEYS(ORVANTHE_KEY_ONE);
#undef ORVANTHE_KEY_ONE

// The pair a key belongs to (Return: Enter), or the key itself.
constexpr Key PairOf(Key key) {
    switch (key) {
    case Key::Return:
    case Key::KeypadEnter: return Key::Enter;
    case Key::LeftControl:
    case Key::RightControl: return Key::Control;
    case Key::LeftAlt:
    case Key::RightAlt: return Key::Alt;
    default: return key;
    }
}
// Whether a key is one key, not a pair that stands for two.
constexpr bool IsOneKey(Key key) { return key != Key::Enter && key != Key::Control && key != Key::Alt; }
// The enumerator's name ("PageUp"), for logs.
inline const char* KeyIdentifier(Key key) {
#define ORVANTHE_KEY_STRING(name) #name,
    static const char* const kIdentifiers[] = {ORVANTHE_KEYS(ORVANTHE_KEY_STRING)};
#undef ORVANTHE_KEY_STRING
    const int i = int(key);
    return i >= 0 && i < kKeyCount ? kIdentifiers[i] : "?";
}

// Gamepad sticks in -1..1 (right and down are positive) and the right
// triggers in 0..1, raw: the game applies its own dead zone. All 0 without a
// pad; with several, each axis is the one deflected furthest.
struct PadAxes {
    float leftX = 0.0f;
    float leftY = 0.0f;
    float rightX = 0.0f;
    float rightY = 0.0f;
    float rightTrigger = 0.0f;
    float leftTrigger = 0.0f;
};
PadAxes GetPadAxes();

// Which family of pad is in the player's hands, for naming its buttons as
// they are printed on it: the pad last used (a button pressed, a stick or
// trigger moved well off its rest), else the first connected; None without
// a pad. Unknown pads are taken for Xbox ones, whose layout the game's
// buttons follow.
enum class PadLayout { None, Xbox, PlayStation, Nintendo };
PadLayout GetPadLayout();

// Shakes every connected pad for `ms` milliseconds: `low` drives the
// heavy, slow motor and `high` the light, quick one, each 0..1. A pad that
// cannot rumble, or none at all, is no error.
void Rumble(float low, float high, uint32_t ms);

// True while the key is held right now.
bool IsKeyDown(Key key);

// Presses taken from the event queue, so a tap shorter than a frame still
// counts, and so does each of several: a key going down (its repeats while
// held are no presses), a mouse button, a gamepad button.
struct Presses {
    int count[kKeyCount] = {};
    int withAlt[kKeyCount] = {};  // of those, made while Alt was held
    int Of(Key key) const { return count[int(key)]; }
    int WithAlt(Key key) const { return withAlt[int(key)]; }
    int WithoutAlt(Key key) const { return count[int(key)] - withAlt[int(key)]; }
};
// The presses since the last call, and starts counting afresh.
Presses TakePresses();

// Every key held right now reads as up until it has been let go, and the
// presses not yet taken are dropped, so a key that answered a dialog does
// not also act on the frame after it.
void LatchHeldKeys();

// Brings held keys and mouse motion up to date without taking a window
// message (those wait for PollMessage): for frames run outside the main loop.
void PumpInput();

// Where the cursor starts, and the fixed point mouse look puts it back to
// every frame, in window pixels.
constexpr int kMouseLookX = 475;
constexpr int kMouseLookY = 300;

// Mouse look reads the cursor and puts it back at the fixed point every frame.
// While captured, the backend reports the last point the game moved the
// cursor to plus the motion gathered since; moving the cursor clears that
// motion. While not captured the pointer is the desktop's and the reported
// position does not change.
void GetCursorPos(int* x, int* y);
void SetCursorPos(int x, int y);

// Where the pointer is over the drawable, in drawable pixels from the
// top-left corner; false while it is outside the window or captured.
bool GetPointerPos(int* x, int* y);

// The game asks for capture during play and releases it on the title screen.
// The backend also releases it while a dialog is open or focus is lost.
// Motion from before the capture never reaches the game.
void SetMouseCaptured(bool captured);

}  // namespace platform
