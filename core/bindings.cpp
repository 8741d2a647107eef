// Bindings: the game's controls as data, their names in settings.ini, and
// what is held or pressed through them.
#include "core/bindings.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace {

using platform::Key;

struct KeyName {
    Key key;
    const char* name;
};

// Names with no comma in them: a settings.ini value lists bindings
// separated by commas.
constexpr KeyName kKeyNames[] = {
    {Key::Enter, "Enter"},
    {Key::Escape, "Escape"},
    {Key::Control, "Ctrl"},
    {Key::Left, "Left"},
    {Key::Right, "Right"},
    {Key::Up, "Up"},
    {Key::Down, "Down"},
    {Key::W, "W"},
    {Key::A, "A"},
    {Key::S, "S"},
    {Key::D, "D"},
    {Key::M, "M"},
    {Key::MouseLeft, "Mouse Left"},
    {Key::PadA, "Pad A"},
    {Key::PadB, "Pad B"},
    {Key::PadStart, "Pad Start"},
    {Key::PadBack, "Pad Back"},
    {Key::F11, "F11"},
    {Key::Alt, "Alt"},
    {Key::Tab, "Tab"},
    {Key::Return, "Return"},
    {Key::KeypadEnter, "Keypad Enter"},
    {Key::LeftControl, "Left Ctrl"},
    {Key::RightControl, "Right Ctrl"},
    {Key::LeftAlt, "Left Alt"},
    {Key::RightAlt, "Right Alt"},
    {Key::LeftShift, "Left Shift"},
    {Key::RightShift, "Right Shift"},
    {Key::B, "B"},
    {Key::C, "C"},
    {Key::E, "E"},
    {Key::F, "F"},
    {Key::G, "G"},
    {Key::H, "H"},
    {Key::I, "I"},
    {Key::J, "J"},
    {Key::K, "K"},
    {Key::L, "L"},
    {Key::N, "N"},
    {Key::O, "O"},
    {Key::P, "P"},
    {Key::Q, "Q"},
    {Key::R, "R"},
    {Key::T, "T"},
    {Key::U, "U"},
    {Key::V, "V"},
    {Key::X, "X"},
    {Key::Y, "Y"},
    {Key::Z, "Z"},
    {Key::Digit0, "0"},
    {Key::Digit1, "1"},
    {Key::Digit2, "2"},
    {Key::Digit3, "3"},
    {Key::Digit4, "4"},
    {Key::Digit5, "5"},
    {Key::Digit6, "6"},
    {Key::Digit7, "7"},
    {Key::Digit8, "8"},
    {Key::Digit9, "9"},
    {Key::F1, "F1"},
    {Key::F2, "F2"},
    {Key::F3, "F3"},
    {Key::F4, "F4"},
    {Key::F5, "F5"},
    {Key::F6, "F6"},
    {Key::F7, "F7"},
    {Key::F8, "F8"},
    {Key::F9, "F9"},
    {Key::F10, "F10"},
    {Key::F12, "F12"},
    {Key::Space, "Space"},
    {Key::Backspace, "Backspace"},
    {Key::Insert, "Insert"},
    {Key::Delete, "Delete"},
    {Key::Home, "Home"},
    {Key::End, "End"},
    {Key::PageUp, "Page Up"},
    {Key::PageDown, "Page Down"},
    {Key::Minus, "Minus"},
    {Key::Equals, "Equals"},
    {Key::LeftBracket, "Left Bracket"},
    {Key::RightBracket, "Right Bracket"},
    {Key::Backslash, "Backslash"},
    {Key::Semicolon, "Semicolon"},
    {Key::Apostrophe, "Apostrophe"},
    {Key::Grave, "Grave"},
    {Key::Comma, "Comma"},
    {Key::Period, "Period"},
    {Key::Slash, "Slash"},
    {Key::CapsLock, "Caps Lock"},
    {Key::Keypad0, "Keypad 0"},
    {Key::Keypad1, "Keypad 1"},
    {Key::Keypad2, "Keypad 2"},
    {Key::Keypad3, "Keypad 3"},
    {Key::Keypad4, "Keypad 4"},
    {Key::Keypad5, "Keypad 5"},
    {Key::Keypad6, "Keypad 6"},
    {Key::Keypad7, "Keypad 7"},
    {Key::Keypad8, "Keypad 8"},
    {Key::Keypad9, "Keypad 9"},
    {Key::KeypadPeriod, "Keypad Period"},
    {Key::KeypadPlus, "Keypad Plus"},
    {Key::KeypadMinus, "Keypad Minus"},
    {Key::KeypadMultiply, "Keypad Multiply"},
    {Key::KeypadDivide, "Keypad Divide"},
    {Key::MouseRight, "Mouse Right"},
    {Key::MouseMiddle, "Mouse Middle"},
    {Key::MouseBack, "Mouse Back"},
    {Key::MouseForward, "Mouse Forward"},
    {Key::PadX, "Pad X"},
    {Key::PadY, "Pad Y"},
    {Key::PadLeftStick, "Pad Left Stick Press"},
    {Key::PadRightStick, "Pad Right Stick Press"},
    {Key::PadLeftShoulder, "Pad Left Shoulder"},
    {Key::PadRightShoulder, "Pad Right Shoulder"},
    {Key::PadDpadUp, "Pad D-pad Up"},
    {Key::PadDpadDown, "Pad D-pad Down"},
    {Key::PadDpadLeft, "Pad D-pad Left"},
    {Key::PadDpadRight, "Pad D-pad Right"},

};

constexpr const char* kAxisNames[kPadAxisCount] = {
    "Pad Left Stick Left",  "Pad Left Stick Right",  "Pad Left Stick Up",  "Pad Left Stick Down",
    "Pad Right Stick Left", "Pad Right Stick Right", "Pad Right Stick Up", "Pad Right Stick Down",
    "Pad Left Trigger",     "Pad Right Trigger",
};

struct ActionNames {
    const char* key;
    const char* title;
};
constexpr ActionNames kActionNames[kActionCount] = {
    {"walk_forward", "Walk forward"},
    {"walk_back", "Walk back"},
    {"turn_left", "Turn left"},
    {"turn_right", "Turn right"},
    {"look_up", "Look up"},
    {"look_down", "Look down"},
    {"fire", "Fire"},
    {"pause", "Pause"},
    {"mute", "Mute"},
    {"fullscreen", "Fullscreen"},
};

// A trigger counts as held half way down, whatever the sticks' dead zone.
constexpr float kTriggerPressed = 0.5f;
// What the Controls screen takes as a deliberate push of an axis.
constexpr float kCaptureDeflection = 0.5f;

std::string Lower(std::string s) {
    for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string Trim(const std::string& s) {
    const size_t first = s.find_first_not_of(" \t");
    if (first == std::string::npos) return "";
    return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

// How far an axis is pushed its own way, 0..1.
float Push(PadAxis axis, const platform::PadAxes& a) {
    switch (axis) {
    case PadAxis::LeftStickLeft: return -a.leftX;
    case PadAxis::LeftStickRight: return a.leftX;
    case PadAxis::LeftStickUp: return -a.leftY;
    case PadAxis::LeftStickDown: return a.leftY;
    case PadAxis::RightStickLeft: return -a.rightX;
    case PadAxis::RightStickRight: return a.rightX;
    case PadAxis::RightStickUp: return -a.rightY;
    case PadAxis::RightStickDown: return a.rightY;
    case PadAxis::LeftTrigger: return a.leftTrigger;
    case PadAxis::RightTrigger: return a.rightTrigger;
    }
    return 0.0f;
}

bool IsTrigger(PadAxis axis) { return axis == PadAxis::LeftTrigger || axis == PadAxis::RightTrigger; }

// 0 inside the dead zone (a trigger: below half way), growing to 1.
float PastDeadZone(PadAxis axis, const platform::PadAxes& axes, float deadZone) {
    const float push = Push(axis, axes);
    if (IsTrigger(axis)) return push >= kTriggerPressed ? push : 0.0f;
    if (!(push > deadZone)) return 0.0f;
    return std::min(1.0f, (push - deadZone) / (1.0f - deadZone));
}

// Left Ctrl and Ctrl are one key to the player: a pair and either of its
// keys may not do two things.
bool Overlap(const Input& a, const Input& b) {
    if (a.kind != b.kind || a.IsNone()) return false;
    if (a.kind == Input::Kind::Axis) return a.axis == b.axis;
    return a.key == b.key || platform::PairOf(a.key) == b.key || platform::PairOf(b.key) == a.key;
}

Bindings MakeDefaults() {
    Bindings b;
    const auto set = [&b](Action action, std::initializer_list<Input> inputs) {
        int used[kDeviceCount] = {};
        for (const Input& input : inputs) {
            const int device = int(DeviceOf(input));
            b.slots[int(action)][device][used[device]++] = input;
        }
    };
    const auto key = Input::OfKey;
    const auto axis = Input::OfAxis;
    set(Action::WalkForward, {key(Key::Up), key(Key::W), axis(PadAxis::LeftStickUp)});
    set(Action::WalkBack, {key(Key::Down), key(Key::S), axis(PadAxis::LeftStickDown)});
    set(Action::TurnLeft, {key(Key::Left), key(Key::A), axis(PadAxis::LeftStickLeft)});
    set(Action::TurnRight, {key(Key::Right), key(Key::D), axis(PadAxis::LeftStickRight)});
    set(Action::LookUp, {key(Key::PageUp)});
    set(Action::LookDown, {key(Key::PageDown)});
    set(Action::Fire, {key(Key::Control), key(Key::MouseLeft), key(Key::PadA), axis(PadAxis::RightTrigger)});
    set(Action::Pause, {key(Key::Escape), key(Key::PadStart)});
    set(Action::Mute, {key(Key::M)});
    set(Action::Fullscreen, {key(Key::F11)});
    return b;
}

}  // namespace

Device DeviceOf(const Input& input) {
    if (input.kind == Input::Kind::Axis) return Device::Pad;
    switch (input.key) {
    case Key::MouseLeft:
    case Key::MouseRight:
    case Key::MouseMiddle:
    case Key::MouseBack:
    case Key::MouseForward: return Device::Mouse;
    case Key::PadA:
    case Key::PadB:
    case Key::PadX:
    case Key::PadY:
    case Key::PadBack:
    case Key::PadStart:
    case Key::PadLeftStick:
    case Key::PadRightStick:
    case Key::PadLeftShoulder:
    case Key::PadRightShoulder:
    case Key::PadDpadUp:
    case Key::PadDpadDown:
    case Key::PadDpadLeft:
    case Key::PadDpadRight: return Device::Pad;
    default: return Device::Keyboard;
    }
}

bool Bindings::operator==(const Bindings& o) const {
    for (int a = 0; a < kActionCount; ++a)
        for (int d = 0; d < kDeviceCount; ++d)
            for (int i = 0; i < kBindingsPerDevice; ++i)
                if (slots[a][d][i] != o.slots[a][d][i]) return false;
    return true;
}

const Bindings& DefaultBindings() {
    static const Bindings defaults = MakeDefaults();
    return defaults;
}

const char* ActionKey(Action action) { return kActionNames[int(action)].key; }
const char* ActionTitle(Action action) { return kActionNames[int(action)].title; }

std::string InputName(const Input& input) {
    if (input.kind == Input::Kind::Axis) return kAxisNames[int(input.axis)];
    if (input.kind == Input::Kind::None) return "";
    for (const KeyName& k : kKeyNames)
        if (k.key == input.key) return k.name;
    return "";
}

bool ParseInputName(const std::string& name, Input* input) {
    const std::string wanted = Lower(Trim(name));
    for (const KeyName& k : kKeyNames)
        if (Lower(k.name) == wanted) {
            *input = Input::OfKey(k.key);
            return true;
        }
    for (int a = 0; a < kPadAxisCount; ++a)
        if (Lower(kAxisNames[a]) == wanted) {
            *input = Input::OfAxis(PadAxis(a));
            return true;
        }
    return false;
}

std::string FormatActionBindings(const Bindings& bindings, Action action) {
    std::string text;
    for (int d = 0; d < kDeviceCount; ++d)
        for (int i = 0; i < kBindingsPerDevice; ++i) {
            const Input& input = bindings.slots[int(action)][d][i];
            if (input.IsNone()) continue;
            if (!text.empty()) text += ", ";
            text += InputName(input);
        }
    return text;
}

std::string ParseActionBindings(const std::string& value, Action action, Bindings* bindings) {
    Input parsed[kDeviceCount][kBindingsPerDevice];
    int used[kDeviceCount] = {};
    size_t start = 0;
    const std::string text = Trim(value);
    while (!text.empty() && start <= text.size()) {
        const size_t comma = std::min(text.find(',', start), text.size());
        const std::string name = Trim(text.substr(start, comma - start));
        start = comma + 1;
        Input input;
        if (!ParseInputName(name, &input)) return "unknown key '" + name + "'";
        const int device = int(DeviceOf(input));
        if (used[device] == kBindingsPerDevice) return "more than two of one kind: '" + name + "'";
        parsed[device][used[device]++] = input;
    }
    for (int d = 0; d < kDeviceCount; ++d)
        for (int i = 0; i < kBindingsPerDevice; ++i) bindings->slots[int(action)][d][i] = parsed[d][i];
    return "";
}

int Bind(Bindings* bindings, Action action, int index, const Input& input) {
    if (input.IsNone() || index < 0 || index >= kBindingsPerDevice) return -1;
    const Device device = DeviceOf(input);
    Input& slot = bindings->At(action, device, index);
    if (slot == input) return -1;
    int lost = -1;
    for (int a = 0; a < kActionCount; ++a)
        for (int i = 0; i < kBindingsPerDevice; ++i) {
            Input& other = bindings->slots[a][int(device)][i];
            if (&other == &slot || !Overlap(other, input)) continue;
            // The first takes what the slot held; a second (a pair and
            // its key both bound) is emptied, so nothing is bound twice.
            other = lost == -1 ? slot : Input();
            lost = a;
        }
    slot = input;
    return lost;
}

void Unbind(Bindings* bindings, Action action, Device device, int index) {
    if (index >= 0 && index < kBindingsPerDevice) bindings->At(action, device, index) = Input();
}

bool ActionHeld(const Bindings& bindings, Action action, const std::bitset<platform::kKeyCount>& held,
                const platform::PadAxes& axes, float deadZone) {
    for (const auto& device : bindings.slots[int(action)])
        for (const Input& input : device) {
            if (input.kind == Input::Kind::Key && held[size_t(input.key)]) return true;
            if (input.kind == Input::Kind::Axis && PastDeadZone(input.axis, axes, deadZone) > 0.0f) return true;
        }
    return false;
}

int ActionPresses(const Bindings& bindings, Action action, const platform::Presses& presses) {
    int count = 0;
    for (const auto& device : bindings.slots[int(action)])
        for (const Input& input : device)
            if (input.kind == Input::Kind::Key) count += presses.Of(input.key);
    return count;
}

float ActionAxis(const Bindings& bindings, Action action, const platform::PadAxes& axes, float deadZone) {
    float most = 0.0f;
    for (const auto& device : bindings.slots[int(action)])
        for (const Input& input : device)
            if (input.kind == Input::Kind::Axis) most = std::max(most, PastDeadZone(input.axis, axes, deadZone));
    return most;
}

bool CaptureInput(const platform::Presses& presses, const platform::PadAxes& before, const platform::PadAxes& now,
                  Input* input) {
    for (int k = 0; k < platform::kKeyCount; ++k) {
        const Key key = Key(k);
        if (presses.Of(key) == 0 || key == Key::Escape || !platform::IsOneKey(key)) continue;
        *input = Input::OfKey(key);
        return true;
    }
    for (int a = 0; a < kPadAxisCount; ++a) {
        const PadAxis axis = PadAxis(a);
        if (Push(axis, now) > kCaptureDeflection && !(Push(axis, before) > kCaptureDeflection)) {
            *input = Input::OfAxis(axis);
            return true;
        }
    }
    return false;
}
