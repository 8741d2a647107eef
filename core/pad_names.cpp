#include "core/pad_names.h"

namespace {

using platform::Key;
using platform::PadLayout;

struct ButtonLabels {
    Key key;
    const char* xbox;
    const char* playStation;
    const char* nintendo;
};

// By position, the game's order of the buttons: a Nintendo pad prints B at
// the bottom and A on the right, Y on the left and X on top.
constexpr ButtonLabels kButtons[] = {
    {Key::PadA, "A", "Cross", "B"},
    {Key::PadB, "B", "Circle", "A"},
    {Key::PadX, "X", "Square", "Y"},
    {Key::PadY, "Y", "Triangle", "X"},
    {Key::PadBack, "Back", "Share", "-"},
    {Key::PadStart, "Start", "Options", "+"},
    {Key::PadLeftStick, "LS", "L3", "LS"},
    {Key::PadRightStick, "RS", "R3", "RS"},
    {Key::PadLeftShoulder, "LB", "L1", "L"},
    {Key::PadRightShoulder, "RB", "R1", "R"},
    {Key::PadDpadUp, "D-pad Up", "D-pad Up", "D-pad Up"},
    {Key::PadDpadDown, "D-pad Down", "D-pad Down", "D-pad Down"},
    {Key::PadDpadLeft, "D-pad Left", "D-pad Left", "D-pad Left"},
    {Key::PadDpadRight, "D-pad Right", "D-pad Right", "D-pad Right"},
};

const char* ForLayout(const char* xbox, const char* playStation, const char* nintendo, PadLayout layout) {
    switch (layout) {
    case PadLayout::PlayStation: return playStation;
    case PadLayout::Nintendo: return nintendo;
    default: return xbox;
    }
}

}  // namespace

const char* PadButtonLabel(Key key, PadLayout layout) {
    for (const ButtonLabels& b : kButtons)
        if (b.key == key) return ForLayout(b.xbox, b.playStation, b.nintendo, layout);
    return nullptr;
}

const char* PadAxisLabel(PadAxisName axis, PadLayout layout) {
    switch (axis) {
    case PadAxisName::LeftStick: return "Left Stick";
    case PadAxisName::RightStick: return "Right Stick";
    case PadAxisName::LeftTrigger: return ForLayout("LT", "L2", "ZL", layout);
    case PadAxisName::RightTrigger: return ForLayout("RT", "R2", "ZR", layout);
    }
    return "";
}

Key PadConfirmButton(PadLayout layout) { return layout == PadLayout::Nintendo ? Key::PadB : Key::PadA; }
Key PadBackButton(PadLayout layout) { return layout == PadLayout::Nintendo ? Key::PadA : Key::PadB; }

std::string ConfirmBackHint(PadLayout layout, const char* confirm, const char* back) {
    if (layout == PadLayout::None) return "";
    return std::string(PadButtonLabel(PadConfirmButton(layout), layout)) + " " + confirm + "   " +
           PadButtonLabel(PadBackButton(layout), layout) + " " + back;
}
