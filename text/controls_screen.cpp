// The Controls screen: a grid of actions by slots, a focus moved by keys,
// the D-pad or the stick, and a capture that takes the next input.
#include "text/controls_screen.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstring>

#include "core/pad_names.h"
#include "core/settings.h"
#include "core/state.h"
#include "gl/gl_state.h"
#include "platform/input.h"
#include "platform/window.h"
#include "text/glf_font.h"

namespace {

// The box in dialog units.
constexpr float kBoxWidth = 386;
constexpr float kHeadingY = 4, kFirstRowY = 16, kRowUnits = 11, kRowHeight = 10;
constexpr float kTitleX = 6, kTitleWidth = 76;
constexpr float kSlotX = 86, kSlotStep = 48, kSlotWidth = 46, kDeviceGap = 4;
constexpr float kBackY = kFirstRowY + kActionCount * kRowUnits + 4, kBackWidth = 80, kBackHeight = 12;
constexpr float kStatusY = kBackY + kBackHeight + 4;
constexpr float kClientHeight = kStatusY + kRowHeight + 4;
constexpr float kSlotLineUnits = 7;  // slot names a little smaller than a line
constexpr const char* kCaption = "Controls";
constexpr const char* kHelp = "ENTER binds a slot   Backspace or right click clears it   ESC back";
constexpr const char* kDeviceNames[kDeviceCount] = {"Keyboard", "Mouse", "Pad"};
constexpr float kStickPress = 0.5f;

Action ActionOf(int row) { return Action(row); }
Device DeviceOfColumn(int column) { return Device(column / kBindingsPerDevice); }
int IndexOfColumn(int column) { return column % kBindingsPerDevice; }

int StickDirection(float v) { return v > kStickPress ? 1 : v < -kStickPress ? -1 : 0; }

}  // namespace

// Pad buttons and axes as the pad in hand prints them ("Pad Cross",
// "Pad R2"); the file keeps SDL's names whatever the pad.
std::string DisplayName(const Input& input) {
    const platform::PadLayout layout = platform::GetPadLayout();
    if (input.kind == Input::Kind::Key) {
        if (const char* label = PadButtonLabel(input.key, layout)) return std::string("Pad ") + label;
    } else if (input.kind == Input::Kind::Axis) {
        switch (input.axis) {
        case PadAxis::LeftTrigger: return std::string("Pad ") + PadAxisLabel(PadAxisName::LeftTrigger, layout);
        case PadAxis::RightTrigger: return std::string("Pad ") + PadAxisLabel(PadAxisName::RightTrigger, layout);
        default: break;
        }
    }
    return InputName(input);
}

// A slot's name under its column's heading, which already says the device:
// "Left" under Mouse, "Left Stick Up" under Pad.
std::string InColumn(const Input& input) {
    const std::string name = DisplayName(input);
    for (const char* device : {"Mouse ", "Pad "})
        if (DeviceOf(input) != Device::Keyboard && name.rfind(device, 0) == 0) return name.substr(std::strlen(device));
    return name;
}

// The help line, naming the pad's clear button as it is printed.
std::string Help() {
    const platform::PadLayout layout = platform::GetPadLayout();
    if (layout == platform::PadLayout::None) return kHelp;
    return std::string("ENTER binds a slot   Backspace or ") + PadButtonLabel(platform::Key::PadY, layout) +
           " clears it   ESC back";
}

ControlsLayout LayOutControls(int width, int height) {
    ControlsLayout l;
    float left = 0, top = 0;
    DialogScale(width, height, &l.unitX, &l.unitY, &left, &top);
    const float border = kBorderUnits * l.unitX;
    const float caption = kCaptionUnits * l.unitY;
    const float frameWidth = kBoxWidth * l.unitX + 2 * border;
    const float frameHeight = kClientHeight * l.unitY + caption + 2 * border;
    const float x = left + (800.0f * (l.unitX / kUnitX) - frameWidth) / 2;
    const float y = top + (600.0f * (l.unitY / kUnitY) - frameHeight) / 2;
    l.frame = {x, y, frameWidth, frameHeight};
    l.captionBar = {x + border, y + border, kBoxWidth * l.unitX, caption};
    l.clientX = x + border;
    l.clientY = y + border + caption;
    l.status = {l.clientX, l.clientY + kStatusY * l.unitY, kBoxWidth * l.unitX, kRowHeight * l.unitY};
    return l;
}

DialogRect ControlsLayout::title(int action) const {
    return {clientX + kTitleX * unitX, clientY + (kFirstRowY + float(action) * kRowUnits) * unitY, kTitleWidth * unitX,
            kRowHeight * unitY};
}

DialogRect ControlsLayout::slot(int action, int column) const {
    const float x = kSlotX + float(column) * kSlotStep + float(column / kBindingsPerDevice) * kDeviceGap;
    return {clientX + x * unitX, clientY + (kFirstRowY + float(action) * kRowUnits) * unitY, kSlotWidth * unitX,
            kRowHeight * unitY};
}

DialogRect ControlsLayout::heading(Device device) const {
    const DialogRect first = slot(0, int(device) * kBindingsPerDevice);
    return {first.x, clientY + kHeadingY * unitY, (kSlotStep + kSlotWidth) * unitX, kRowHeight * unitY};
}

DialogRect ControlsLayout::back() const {
    return {clientX + (kBoxWidth - kBackWidth) / 2 * unitX, clientY + kBackY * unitY, kBackWidth * unitX,
            kBackHeight * unitY};
}

void ControlsScreen::Open(const GlfFont& font, const FrozenImage* behind) {
    // The ENTER or click that chose "Controls" is still down.
    platform::LatchHeldKeys();
    font_ = &font;
    behind_ = behind;
    platform::GetDrawableSize(&width_, &height_);
    open_ = true;
    capturing_ = false;
    row_ = 0;
    column_ = 0;
    axes_ = platform::GetPadAxes();
    stickX_ = StickDirection(axes_.leftX);
    stickY_ = StickDirection(axes_.leftY);
    status_ = Help();
    platform::SetCaption(kCaption);
    Draw();
    platform::SwapWindowBuffers();
    dirty_ = false;
}

void ControlsScreen::Close() {
    if (!open_) return;
    open_ = false;
    capturing_ = false;
    platform::LatchHeldKeys();
}

void ControlsScreen::StartCapture() {
    capturing_ = true;
    status_ = std::string(ActionTitle(ActionOf(row_))) + ": press a key, a button or a stick... ESC cancels";
    dirty_ = true;
}

// The first input pressed since the last frame binds the focused slot's
// index on its own device; ESC cancels.
void ControlsScreen::TakeCapture(const platform::Presses& presses, const platform::PadAxes& axes) {
    if (presses.Of(platform::Key::Escape) > 0) {
        capturing_ = false;
        status_ = "Cancelled: " + std::string(ActionTitle(ActionOf(row_))) + " is as it was";
        dirty_ = true;
        return;
    }
    Input input;
    if (!CaptureInput(presses, axes_, axes, &input)) return;
    const Action action = ActionOf(row_);
    const int lost = Bind(&g_settings.bindings, action, IndexOfColumn(column_), input);
    column_ = int(DeviceOf(input)) * kBindingsPerDevice + IndexOfColumn(column_);
    const std::string name = DisplayName(input);
    if (lost >= 0 && lost != int(action)) {
        status_ = name + " was " + ActionTitle(Action(lost)) + "'s: swapped";
    } else {
        status_ = std::string(ActionTitle(action)) + ": " + name;
    }
    capturing_ = false;
    // The key just bound must not also act on the screen when let go.
    platform::LatchHeldKeys();
    dirty_ = true;
}

bool ControlsScreen::Step() {
    if (!open_) return false;
    using platform::Key;
    if (FollowDrawableSize(&width_, &height_)) dirty_ = true;
    const platform::Presses p = platform::TakePresses();
    const platform::PadAxes axes = platform::GetPadAxes();
    const int stickX = StickDirection(axes.leftX), stickY = StickDirection(axes.leftY);
    const bool stickMovedX = stickX != 0 && stickX != stickX_, stickMovedY = stickY != 0 && stickY != stickY_;
    stickX_ = stickX;
    stickY_ = stickY;
    if (capturing_) {
        TakeCapture(p, axes);
    } else {
        const platform::PadLayout pad = platform::GetPadLayout();
        if (p.Of(Key::Escape) + p.Of(PadBackButton(pad)) > 0) {
            Close();
            return true;
        }
        const int rows = kActionCount + 1;
        const int down = p.Of(Key::Down) + p.Of(Key::PadDpadDown) + (stickMovedY && stickY > 0);
        const int up = p.Of(Key::Up) + p.Of(Key::PadDpadUp) + (stickMovedY && stickY < 0);
        const int right = p.Of(Key::Right) + p.Of(Key::PadDpadRight) + p.Of(Key::Tab) + (stickMovedX && stickX > 0);
        const int left = p.Of(Key::Left) + p.Of(Key::PadDpadLeft) + (stickMovedX && stickX < 0);
        if (down != up || right != left) {
            row_ = ((row_ + down - up) % rows + rows) % rows;
            column_ = ((column_ + right - left) % kControlsColumns + kControlsColumns) % kControlsColumns;
            dirty_ = true;
        }
        const bool onSlot = row_ < kControlsBackRow;
        if (onSlot && p.Of(Key::Backspace) + p.Of(Key::Delete) + p.Of(Key::PadY) > 0) {
            Unbind(&g_settings.bindings, ActionOf(row_), DeviceOfColumn(column_), IndexOfColumn(column_));
            status_ = std::string(ActionTitle(ActionOf(row_))) + ": slot cleared";
            dirty_ = true;
        }
        if (p.WithoutAlt(Key::Enter) + p.Of(PadConfirmButton(pad)) > 0) {
            if (!onSlot) {
                Close();
                return true;
            }
            StartCapture();
        }
        int px = -1, py = -1;
        // A right click empties a slot, so the mouse alone can do all a key can.
        if (!capturing_ && p.Of(Key::MouseRight) > 0 && platform::GetPointerPos(&px, &py)) {
            const ControlsLayout l = LayOutControls(width_, height_);
            for (int a = 0; a < kActionCount; ++a)
                for (int c = 0; c < kControlsColumns; ++c)
                    if (l.slot(a, c).Contains(px, py)) {
                        row_ = a;
                        column_ = c;
                        Unbind(&g_settings.bindings, ActionOf(row_), DeviceOfColumn(column_), IndexOfColumn(column_));
                        status_ = std::string(ActionTitle(ActionOf(row_))) + ": slot cleared";
                        dirty_ = true;
                    }
        }
        if (!capturing_ && p.Of(Key::MouseLeft) > 0 && platform::GetPointerPos(&px, &py)) {
            const ControlsLayout l = LayOutControls(width_, height_);
            if (l.back().Contains(px, py)) {
                Close();
                return true;
            }
            for (int a = 0; a < kActionCount; ++a)
                for (int c = 0; c < kControlsColumns; ++c)
                    if (l.slot(a, c).Contains(px, py)) {
                        row_ = a;
                        column_ = c;
                        StartCapture();
                    }
        }
    }
    axes_ = axes;
    if (dirty_) {
        Draw();
        platform::SwapWindowBuffers();
        dirty_ = false;
    }
    return false;
}

void ControlsScreen::Draw() const {
    const BoxPass pass(width_, height_, behind_);
    const ControlsLayout l = LayOutControls(width_, height_);
    const TextPen pen(*font_, kLineUnits * l.unitY);
    const TextPen small(*font_, kSlotLineUnits * l.unitY);
    const float edge = std::max(1.0f, l.unitX);
    DrawPanel(l.frame, l.captionBar, kCaption, l.unitX, pen);
    for (int d = 0; d < kDeviceCount; ++d) pen.DrawLabel(kDeviceNames[d], l.heading(Device(d)), true, kQuietText);
    const Bindings& bindings = g_settings.bindings;
    for (int a = 0; a < kActionCount; ++a) {
        const DialogRect title = l.title(a);
        pen.Draw(ActionTitle(Action(a)), title.x, title.y + (title.height - pen.Height()) / 2, kText, title.width);
        for (int c = 0; c < kControlsColumns; ++c) {
            const DialogRect r = l.slot(a, c);
            const bool focused = a == row_ && c == column_;
            Fill(r, focused ? (capturing_ ? kPressedFill : kFocusFill) : kButtonFill);
            Outline(r, focused ? 2 * edge : edge, focused ? kFocusEdge : kGroupEdge);
            const Input& input = bindings.At(Action(a), DeviceOfColumn(c), IndexOfColumn(c));
            const std::string name = focused && capturing_ ? "?" : input.IsNone() ? "-" : InColumn(input);
            const float inner = r.width - 2 * l.unitX;
            const float width = std::min(small.Width(name), inner);
            small.Draw(name, r.x + (r.width - width) / 2, r.y + (r.height - small.Height()) / 2,
                       input.IsNone() && !(focused && capturing_) ? kQuietText : kText, inner);
        }
    }
    DrawButton(l.back(), "Back", row_ == kControlsBackRow, false, l.unitX, pen);
    const float statusWidth = std::min(pen.Width(status_), l.status.width);
    pen.Draw(status_, l.status.x + (l.status.width - statusWidth) / 2, l.status.y, capturing_ ? kFocusEdge : kQuietText,
             l.status.width);
}
