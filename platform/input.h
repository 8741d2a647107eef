// Keys: held ones sampled once a frame, presses counted as they come; and
// the cursor used for mouse look.
#pragma once

namespace platform {

enum class Key {
    Enter,  // either Return or keypad Enter
    Escape,
    Control,  // either CONTROL key
    Left,
    Right,
    Up,
    Down,
    // Beside the arrows and CONTROL: WASD walk and turn, the left mouse
    // button fires, M mutes. W, A, S and D are key positions (ZQSD on a
    // French keyboard); M is the key labelled M.
    W,
    A,
    S,
    D,
    M,
    MouseLeft,
    // Gamepad buttons, any connected pad (SDL's game-controller layout).
    PadA,
    PadB,
    PadStart,
    PadBack,
    F11,  // fullscreen toggle
    Alt,  // either Alt key; Alt+Enter also toggles fullscreen
    Tab,  // moves a dialog's focus
};
// How many keys there are: Tab must stay the last.
constexpr int kKeyCount = int(Key::Tab) + 1;

// Gamepad sticks in -1..1 (right and down are positive) and the right
// trigger in 0..1, raw: the game applies its own dead zone. All 0 without a
// pad; with several, each axis is the one deflected furthest.
struct PadAxes {
    float leftX = 0.0f;
    float leftY = 0.0f;
    float rightX = 0.0f;
    float rightY = 0.0f;
    float rightTrigger = 0.0f;
};
PadAxes GetPadAxes();

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
