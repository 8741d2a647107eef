// The options screen: a table of rows, each a setting with its own way of
// showing and stepping its value, or an action (Controls, Defaults, Back).
// A change is applied at once and saved as the screen is left.
#include "text/options_screen.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/pad_names.h"
#include "core/state.h"
#include "gl/gl_state.h"
#include "platform/input.h"
#include "platform/window.h"
#include "text/glf_font.h"

namespace {

// The box in dialog units.
constexpr float kBoxWidth = 280;
constexpr float kRowUnits = 11, kRowHeight = 10;
constexpr float kTopUnits = 6, kHintUnits = 14;
constexpr float kLessX = 150, kArrowWidth = 12, kValueX = 164, kValueWidth = 82, kMoreX = 248;
constexpr float kButtonX = 100, kButtonWidth = 80;
constexpr const char* kCaption = "Options";
constexpr const char* kHint = "Up/Down choose   Left/Right change   ENTER select   ESC back";
// A stick pushed this far is a press of its direction; it must come back
// inside before it presses again.
constexpr float kStickPress = 0.5f;

// The value after `v` in the sorted list, or before it; at an end, the
// other end when wrapping, else the end itself.
template <typename T, size_t N>
T StepList(T v, const T (&list)[N], int direction, bool wrap) {
    if (direction > 0) {
        for (T x : list)
            if (x > v) return x;
        return wrap ? list[0] : std::max(v, list[N - 1]);
    }
    for (size_t i = N; i-- > 0;)
        if (list[i] < v) return list[i];
    return wrap ? list[N - 1] : std::min(v, list[0]);
}

// The next multiple of `step` in low..high, or the one before.
int StepRange(int v, int low, int high, int step, int direction, bool wrap) {
    int next = direction > 0 ? (v / step + 1) * step : ((v + step - 1) / step - 1) * step;
    if (next > high) next = wrap ? low : high;
    if (next < low) next = wrap ? high : low;
    return next;
}

std::string OnOff(bool on) { return on ? "On" : "Off"; }
std::string Percent(int v) { return std::to_string(v) + "%"; }
// "1.0", "0.25", "12.5": at most two decimals, at least one.
std::string Decimal(float v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", double(v));
    std::string s = text;
    while (s.size() > 1 && s.back() == '0' && s[s.size() - 2] != '.') s.pop_back();
    return s;
}

constexpr float kSensitivities[] = {0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f, 0.7f, 0.8f, 0.9f,  1.0f,  1.2f,  1.4f, 1.6f,
                                    1.8f, 2.0f, 2.5f, 3.0f, 4.0f, 5.0f, 6.0f, 8.0f, 10.0f, 12.5f, 15.0f, 20.0f};
constexpr int kFrameCaps[] = {0, 30, 50, 60, 75, 120, 144, 165, 240, 360, 500, 1000};

const OptionRow kRows[] = {
    {"Mouse sensitivity", [](const Settings& s) { return Decimal(s.mouseSensitivity); },
     [](Settings* s, int d, bool w) { s->mouseSensitivity = StepList(s->mouseSensitivity, kSensitivities, d, w); },
     OptionAction::None},
    {"Invert Y", [](const Settings& s) { return OnOff(s.invertY); },
     [](Settings* s, int, bool) { s->invertY = !s->invertY; }, OptionAction::None},
    {"Music volume", [](const Settings& s) { return Percent(s.musicVolume); },
     [](Settings* s, int d, bool w) { s->musicVolume = StepRange(s->musicVolume, 0, 100, 10, d, w); },
     OptionAction::None},
    {"Effects volume", [](const Settings& s) { return Percent(s.effectsVolume); },
     [](Settings* s, int d, bool w) { s->effectsVolume = StepRange(s->effectsVolume, 0, 100, 10, d, w); },
     OptionAction::None},
    {"Fullscreen", [](const Settings& s) { return OnOff(s.fullscreen); },
     [](Settings* s, int, bool) { s->fullscreen = !s->fullscreen; }, OptionAction::None},
    {"Vsync", [](const Settings& s) { return OnOff(s.vsync); }, [](Settings* s, int, bool) { s->vsync = !s->vsync; },
     OptionAction::None},
    {"Frame cap",
     [](const Settings& s) { return s.maxFps == 0 ? std::string("Screen rate") : std::to_string(s.maxFps); },
     [](Settings* s, int d, bool w) { s->maxFps = StepList(s->maxFps, kFrameCaps, d, w); }, OptionAction::None},
    {"Field of view", [](const Settings& s) { return std::to_string(int(std::lround(s.fieldOfView))); },
     [](Settings* s, int d, bool w) {
         s->fieldOfView =
             float(StepRange(int(std::lround(s->fieldOfView)), int(kMinFieldOfView), int(kMaxFieldOfView), 5, d, w));
     },
     OptionAction::None},
    {"Stick dead zone", [](const Settings& s) { return Percent(s.stickDeadZone); },
     [](Settings* s, int d, bool w) {
         s->stickDeadZone = StepRange(s->stickDeadZone, kMinStickDeadZone, kMaxStickDeadZone, 5, d, w);
     },
     OptionAction::None},
    {"Rumble", [](const Settings& s) { return OnOff(s.rumble); },
     [](Settings* s, int, bool) { s->rumble = !s->rumble; }, OptionAction::None},
    {"Show count and hits", [](const Settings& s) { return OnOff(s.showHud); },
     [](Settings* s, int, bool) { s->showHud = !s->showHud; }, OptionAction::None},
    {"Controls", nullptr, nullptr, OptionAction::Controls},
    {"Defaults", nullptr, nullptr, OptionAction::Defaults},
    {"Back", nullptr, nullptr, OptionAction::Back},
};
constexpr int kRowCount = int(sizeof kRows / sizeof kRows[0]);

bool IsSetting(int row) { return kRows[row].step != nullptr; }

}  // namespace

const OptionRow* OptionRows(int* count) {
    *count = kRowCount;
    return kRows;
}

OptionsLayout LayOutOptions(int width, int height) {
    OptionsLayout l;
    float left = 0, top = 0;
    DialogScale(width, height, &l.unitX, &l.unitY, &left, &top);
    const float border = kBorderUnits * l.unitX;
    const float caption = kCaptionUnits * l.unitY;
    const float clientHeight = (kTopUnits + kRowCount * kRowUnits + kHintUnits) * l.unitY;
    const float frameWidth = kBoxWidth * l.unitX + 2 * border;
    const float frameHeight = clientHeight + caption + 2 * border;
    const float x = left + (800.0f * (l.unitX / kUnitX) - frameWidth) / 2;
    const float y = top + (600.0f * (l.unitY / kUnitY) - frameHeight) / 2;
    l.frame = {x, y, frameWidth, frameHeight};
    l.captionBar = {x + border, y + border, kBoxWidth * l.unitX, caption};
    l.clientX = x + border;
    l.clientY = y + border + caption;
    l.hint = {l.clientX, l.clientY + (kTopUnits + kRowCount * kRowUnits + 2) * l.unitY, kBoxWidth * l.unitX,
              kRowHeight * l.unitY};
    return l;
}

namespace {
DialogRect At(const OptionsLayout& l, float x, int row, float width) {
    return {l.clientX + x * l.unitX, l.clientY + (kTopUnits + float(row) * kRowUnits) * l.unitY, width * l.unitX,
            kRowHeight * l.unitY};
}
}  // namespace

DialogRect OptionsLayout::label(int r) const { return At(*this, 10, r, kLessX - 14); }
DialogRect OptionsLayout::less(int r) const { return At(*this, kLessX, r, kArrowWidth); }
DialogRect OptionsLayout::value(int r) const { return At(*this, kValueX, r, kValueWidth); }
DialogRect OptionsLayout::more(int r) const { return At(*this, kMoreX, r, kArrowWidth); }
DialogRect OptionsLayout::button(int r) const { return At(*this, kButtonX, r, kButtonWidth); }
DialogRect OptionsLayout::row(int r) const { return At(*this, 6, r, kBoxWidth - 12); }

void OptionsScreen::Open(const GlfFont& font, const FrozenImage* behind, ApplySettingsFn apply) {
    Close();
    // The key that opened the screen is still down: it must not also act.
    platform::LatchHeldKeys();
    font_ = &font;
    apply_ = apply;
    platform::GetDrawableSize(&width_, &height_);
    behind_ = behind;
    if (!behind_ && GrabFrame(width_, height_, &grabbed_)) behind_ = &grabbed_;
    opened_ = g_settings;
    open_ = true;
    focus_ = 0;
    const platform::PadAxes axes = platform::GetPadAxes();
    stickX_ = axes.leftX > kStickPress ? 1 : axes.leftX < -kStickPress ? -1 : 0;
    stickY_ = axes.leftY > kStickPress ? 1 : axes.leftY < -kStickPress ? -1 : 0;
    platform::SetCaption(kCaption);
    Draw();
    platform::SwapWindowBuffers();
    dirty_ = false;
}

void OptionsScreen::Close() {
    controls_.Close();
    ReleaseFrame(&grabbed_);
    behind_ = nullptr;
    if (!open_) return;
    open_ = false;
    platform::LatchHeldKeys();
}

void OptionsScreen::Leave() {
    if (!open_) return;
    Close();
    // One write for the whole visit, and none when nothing changed.
    if (g_settings != opened_) SaveSettings();
}

void OptionsScreen::Change(int direction, bool wrap) {
    if (!IsSetting(focus_)) return;
    const Settings before = g_settings;
    kRows[focus_].step(&g_settings, direction, wrap);
    if (g_settings != before && apply_) apply_(before);
    dirty_ = true;
}

void OptionsScreen::Act(OptionAction action) {
    switch (action) {
    case OptionAction::None: Change(+1, true); break;
    case OptionAction::Controls: controls_.Open(*font_, behind_); break;
    case OptionAction::Defaults: {
        const Settings before = g_settings;
        g_settings = Settings();
        if (g_settings != before && apply_) apply_(before);
        dirty_ = true;
        break;
    }
    case OptionAction::Back: Leave(); break;
    }
}

bool OptionsScreen::Step() {
    if (!open_) return false;
    using platform::Key;
    if (FollowDrawableSize(&width_, &height_)) dirty_ = true;
    if (controls_.IsOpen()) {
        if (controls_.Step()) {
            platform::SetCaption(kCaption);
            dirty_ = true;
        }
        if (!dirty_ || controls_.IsOpen()) return false;
        Draw();
        platform::SwapWindowBuffers();
        dirty_ = false;
        return false;
    }
    const platform::Presses p = platform::TakePresses();
    // The left stick steps as the D-pad does, once per push.
    const platform::PadAxes axes = platform::GetPadAxes();
    const int stickX = axes.leftX > kStickPress ? 1 : axes.leftX < -kStickPress ? -1 : 0;
    const int stickY = axes.leftY > kStickPress ? 1 : axes.leftY < -kStickPress ? -1 : 0;
    const bool stickMovedX = stickX != 0 && stickX != stickX_, stickMovedY = stickY != 0 && stickY != stickY_;
    stickX_ = stickX;
    stickY_ = stickY;

    const platform::PadLayout pad = platform::GetPadLayout();
    if (p.Of(Key::Escape) + p.Of(PadBackButton(pad)) > 0) {
        Leave();
        return true;
    }
    const int down = p.Of(Key::Down) + p.Of(Key::PadDpadDown) + (stickMovedY && stickY > 0);
    const int up = p.Of(Key::Up) + p.Of(Key::PadDpadUp) + (stickMovedY && stickY < 0);
    if (down != up) {
        focus_ = ((focus_ + down - up) % kRowCount + kRowCount) % kRowCount;
        dirty_ = true;
    }
    const int right = p.Of(Key::Right) + p.Of(Key::PadDpadRight) + (stickMovedX && stickX > 0);
    const int left = p.Of(Key::Left) + p.Of(Key::PadDpadLeft) + (stickMovedX && stickX < 0);
    for (int i = 0; i < right; ++i) Change(+1, false);
    for (int i = 0; i < left; ++i) Change(-1, false);
    if (p.WithoutAlt(Key::Enter) + p.Of(PadConfirmButton(pad)) > 0) Act(kRows[focus_].action);

    // A click acts where it lands: an arrow steps, the value goes round, a
    // button is chosen, and the row it is on takes the focus.
    int px = -1, py = -1;
    if (open_ && p.Of(Key::MouseLeft) > 0 && platform::GetPointerPos(&px, &py)) {
        const OptionsLayout l = LayOutOptions(width_, height_);
        for (int r = 0; r < kRowCount; ++r) {
            if (!l.row(r).Contains(px, py)) continue;
            focus_ = r;
            dirty_ = true;
            if (!IsSetting(r)) {
                if (l.button(r).Contains(px, py)) Act(kRows[r].action);
            } else if (l.less(r).Contains(px, py)) {
                Change(-1, false);
            } else if (l.more(r).Contains(px, py)) {
                Change(+1, false);
            } else if (l.value(r).Contains(px, py)) {
                Change(+1, true);
            }
        }
    }
    if (!open_) return true;
    if (dirty_ && !controls_.IsOpen()) {
        Draw();
        platform::SwapWindowBuffers();
        dirty_ = false;
    }
    return false;
}

// Leaves GL as the dialogs do: the 2D pass puts back what it changed and
// the game's viewport is restored.
void OptionsScreen::Draw() const {
    const BoxPass pass(width_, height_, behind_);
    const OptionsLayout l = LayOutOptions(width_, height_);
    const TextPen pen(*font_, kLineUnits * l.unitY);
    DrawPanel(l.frame, l.captionBar, kCaption, l.unitX, pen);
    const float edge = std::max(1.0f, l.unitX);
    for (int r = 0; r < kRowCount; ++r) {
        const OptionRow& row = kRows[r];
        const bool focused = r == focus_;
        if (!IsSetting(r)) {
            DrawButton(l.button(r), row.title, focused, false, l.unitX, pen);
            continue;
        }
        if (focused) {
            Fill(l.row(r), kFocusFill);
            Outline(l.row(r), edge, kFocusEdge);
        }
        const DialogRect label = l.label(r);
        pen.Draw(row.title, label.x, label.y + (label.height - pen.Height()) / 2, kText);
        for (const DialogRect& arrow : {l.less(r), l.more(r)}) {
            Fill(arrow, kButtonFill);
            Outline(arrow, edge, kEdge);
        }
        pen.DrawLabel("<", l.less(r), true, kText);
        pen.DrawLabel(">", l.more(r), true, kText);
        const std::string value = row.show(g_settings);
        const DialogRect v = l.value(r);
        const float width = std::min(pen.Width(value), v.width);
        pen.Draw(value, v.x + (v.width - width) / 2, v.y + (v.height - pen.Height()) / 2, kText, v.width);
    }
    // With a pad in hand the hint names its buttons as the pad prints them.
    const std::string padHint = ConfirmBackHint(platform::GetPadLayout(), "choose", "back");
    const std::string hint = padHint.empty() ? std::string(kHint) : kHint + std::string("   ") + padHint;
    const float hintWidth = std::min(pen.Width(hint.c_str()), l.hint.width);
    pen.Draw(hint.c_str(), l.hint.x + (l.hint.width - hintWidth) / 2, l.hint.y, kQuietText, l.hint.width);
}
