// Which keys, buttons and pad axes do what: each action has up to two
// bindings on each of the keyboard, the mouse and the gamepad. The
// defaults are the game's own controls; the player's are kept in
// settings.ini by readable names ("fire = Ctrl, Mouse Left, Pad A, Pad
// Right Trigger"; Ctrl is either CONTROL key, Left Ctrl only the left).
#pragma once

#include <bitset>
#include <string>

#include "platform/input.h"

enum class Action {
    WalkForward,
    WalkBack,
    TurnLeft,
    TurnRight,
    LookUp,
    LookDown,
    Fire,
    Pause,
    Mute,
    Fullscreen,
};
constexpr int kActionCount = int(Action::Fullscreen) + 1;

enum class Device { Keyboard, Mouse, Pad };
constexpr int kDeviceCount = 3;
constexpr int kBindingsPerDevice = 2;

// A direction of a stick, or a trigger, held past the dead zone.
enum class PadAxis {
    LeftStickLeft,
    LeftStickRight,
    LeftStickUp,
    LeftStickDown,
    RightStickLeft,
    RightStickRight,
    RightStickUp,
    RightStickDown,
    LeftTrigger,
    RightTrigger,
};
constexpr int kPadAxisCount = int(PadAxis::RightTrigger) + 1;

// One key or button, or one pad axis; None is an empty slot.
struct Input {
    enum class Kind { None, Key, Axis };
    Kind kind = Kind::None;
    platform::Key key = platform::Key::Enter;
    PadAxis axis = PadAxis::LeftStickLeft;

    static Input OfKey(platform::Key k) { return {Kind::Key, k, PadAxis::LeftStickLeft}; }
    static Input OfAxis(PadAxis a) { return {Kind::Axis, platform::Key::Enter, a}; }
    bool IsNone() const { return kind == Kind::None; }
    bool operator==(const Input& o) const {
        return kind == o.kind && (kind != Kind::Key || key == o.key) && (kind != Kind::Axis || axis == o.axis);
    }
    bool operator!=(const Input& o) const { return !(*this == o); }
};

// The device an input belongs to (an axis is the pad's).
Device DeviceOf(const Input& input);

struct Bindings {
    Input slots[kActionCount][kDeviceCount][kBindingsPerDevice];

    Input& At(Action a, Device d, int i) { return slots[int(a)][int(d)][i]; }
    const Input& At(Action a, Device d, int i) const { return slots[int(a)][int(d)][i]; }
    bool operator==(const Bindings& o) const;
    bool operator!=(const Bindings& o) const { return !(*this == o); }
};

// The game's own controls.
const Bindings& DefaultBindings();

// "walk_forward": the action's key in settings.ini.
const char* ActionKey(Action action);
// "Walk forward": the action as the Controls screen names it.
const char* ActionTitle(Action action);

// "Left Ctrl", "Mouse Left", "Pad A", "Pad Right Trigger": an input as
// settings.ini names it, whatever the pad (SDL's layout: Pad A is the
// bottom face button). "" for None.
std::string InputName(const Input& input);
// The input named, case aside; false for a name no input has.
bool ParseInputName(const std::string& name, Input* input);

// An action's bindings as one settings.ini value, in device order.
std::string FormatActionBindings(const Bindings& bindings, Action action);
// Reads a settings.ini value into the action's slots, replacing them all.
// A name no input has, or more than two of one device, is the problem
// returned ("unknown key 'Foo'"), and the action's slots are left as
// they were.
std::string ParseActionBindings(const std::string& value, Action action, Bindings* bindings);

// Binds slot `index` of the input's device for `action`. When another
// action (or another slot of this one) already has that input, the two
// swap: the other slot takes what this slot held. Returns the action that
// lost the input to it, or -1 when none did.
int Bind(Bindings* bindings, Action action, int index, const Input& input);
// Empties one slot.
void Unbind(Bindings* bindings, Action action, Device device, int index);

// Whether any of the action's bindings is held now: keys and buttons, or
// an axis past the dead zone (0..1).
bool ActionHeld(const Bindings& bindings, Action action, const std::bitset<platform::kKeyCount>& held,
                const platform::PadAxes& axes, float deadZone);
// How many presses of the action's keys and buttons are among `presses`
// (axes are not pressed).
int ActionPresses(const Bindings& bindings, Action action, const platform::Presses& presses);
// How far the action's axes are past the dead zone, 0..1: the furthest.
float ActionAxis(const Bindings& bindings, Action action, const platform::PadAxes& axes, float deadZone);

// What the player pressed while the Controls screen waits for one: the
// first single key or button among `presses` (a pair such as Control
// never, its left or right key instead), else a pad axis pushed past half
// way that was inside it in `before`. ESC is never taken: it cancels.
bool CaptureInput(const platform::Presses& presses, const platform::PadAxes& before, const platform::PadAxes& now,
                  Input* input);
