// In-game dialogs: layout, drawing and answering. While one is open no tick
// runs; a frame that changes it draws the frozen frame dimmed and the box
// over it, and presents it.
#include "text/dialog_ui.h"

#include <GL/gl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/pad_names.h"
#include "core/state.h"
#include "gl/gl_compat.h"
#include "gl/gl_state.h"
#include "platform/input.h"
#include "platform/window.h"
#include "text/glf_font.h"

namespace {

// The template's box in dialog units.
constexpr float kBoxX = 100, kBoxY = 100, kBoxWidth = 300, kBoxHeight = 100;

// The last play frame presented, for a dialog raised before the next one
// is drawn. One texture, resized with the window.
FrozenImage kept;

// The message's lines, split at line breaks; trailing breaks make no lines.
std::vector<std::string> Lines(const char* text) {
    std::vector<std::string> lines(1);
    for (const char* p = text ? text : ""; *p; ++p) {
        if (*p == '\r') continue;
        if (*p == '\n') {
            lines.emplace_back();
        } else {
            lines.back() += *p;
        }
    }
    while (!lines.empty() && lines.back().empty()) lines.pop_back();
    return lines;
}

struct DialogView {
    const GlfFont* font;
    const platform::DialogText* text;
    const char* thirdButton;  // null when the box has two
    const FrozenImage* frozen;
    int width, height;
    int focus;  // 0 to 2
    int armed;  // the button the mouse went down on, -1 none
};

void DrawDialog(const DialogView& v) {
    glViewport(0, 0, v.width, v.height);
    const Screen2D pass(0, v.width, v.height, 0, -1, 1);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    DrawDimmedFrame(*v.frozen, float(v.width), float(v.height));

    const DialogLayout l = LayOutDialog(v.width, v.height);
    const float edge = std::max(1.0f, l.unitX);
    const TextPen pen(*v.font, kLineUnits * l.unitY);
    DrawPanel(l.frame, l.captionBar, v.text->caption, l.unitX, pen);

    // The group box's top edge runs through the middle of its caption,
    // broken where the caption stands.
    const std::string group = v.text->groupCaption ? v.text->groupCaption : "";
    const float captionX = l.group.x + 6 * l.unitX;
    const float captionWidth = pen.Width(group) + 4 * l.unitX;
    const float top = l.group.y + pen.Height() / 2;
    const DialogRect box{l.group.x, top, l.group.width, l.group.height - (top - l.group.y)};
    Outline({box.x, box.y + edge, box.width, box.height - edge}, edge, kGroupEdge);
    Fill({box.x, box.y, captionX - box.x, edge}, kGroupEdge);
    Fill({captionX + captionWidth, box.y, box.x + box.width - captionX - captionWidth, edge}, kGroupEdge);
    // The letters fill the upper part of a line: their middle on the edge.
    pen.Draw(group, captionX + 2 * l.unitX, top - pen.Height() * 0.4f, kText);

    float y = l.message.y;
    for (const std::string& line : Lines(v.text->message)) {
        pen.Draw(line, l.message.x + (l.message.width - pen.Width(line)) / 2, y, kText);
        y += kLineUnits * l.unitY;
    }

    const char* labels[3] = {v.text->firstButton, v.text->secondButton, v.thirdButton};
    for (int i = 0; i < (v.thirdButton ? 3 : 2); ++i)
        DrawButton(l.buttons[i], labels[i], i == v.focus, i == v.armed, l.unitX, pen);
}

}  // namespace

DialogLayout LayOutDialog(int width, int height) {
    DialogLayout l;
    float left = 0, top = 0;
    DialogScale(width, height, &l.unitX, &l.unitY, &left, &top);
    left += kBoxX * l.unitX;
    top += kBoxY * l.unitY;
    const float border = kBorderUnits * l.unitX;
    const float caption = kCaptionUnits * l.unitY;
    const float clientX = left + border;
    const float clientY = top + border + caption;
    l.frame = {left, top, kBoxWidth * l.unitX + 2 * border, kBoxHeight * l.unitY + caption + 2 * border};
    l.captionBar = {clientX, top + border, kBoxWidth * l.unitX, caption};
    auto at = [&](float x, float y, float w, float h) {
        return DialogRect{clientX + x * l.unitX, clientY + y * l.unitY, w * l.unitX, h * l.unitY};
    };
    l.buttons[0] = at(174, 18, 50, 14);
    l.buttons[1] = at(174, 35, 50, 14);
    // The pause's "Options", under "&Quit", below the group box.
    l.buttons[2] = at(174, 66, 50, 14);
    l.group = at(7, 7, 225, 52);
    l.message = at(16, 18, 144, 33);
    return l;
}

bool CanDrawDialogs(const GlfFont& font) { return !font.glyphs.empty(); }

void KeepPresentedFrame() {
    int width = 0, height = 0;
    platform::GetDrawableSize(&width, &height);
    if (width <= 0 || height <= 0) return;
    if (!kept.texture || kept.width != width || kept.height != height) {
        ReleaseFrame(&kept);
        GrabFrame(width, height, &kept);
    } else {
        glBindTexture(GL_TEXTURE_2D, kept.texture);
        glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, width, height);
    }
    // Every pass binds what it draws with; none draws with the copy.
    glBindTexture(GL_TEXTURE_2D, 0);
}

void ForgetPresentedFrame() { ReleaseFrame(&kept); }

void DrawnDialog::Open(const GlfFont& font, const platform::DialogText& text, DialogBackdrop behind,
                       const char* thirdButton) {
    Close();
    thirdButton_ = thirdButton;
    platform::BeginGameDialog(text);
    platform::SetCaption(text.caption);
    // The ESC that opened the pause is still down: it must not also quit.
    platform::LatchHeldKeys();
    font_ = &font;
    text_ = text;
    platform::GetDrawableSize(&width_, &height_);
    // Behind the box stands the last frame the player saw: the kept one when
    // the box opens before a frame is drawn, else the one just drawn.
    const bool useKept =
        behind == DialogBackdrop::LastPresented && kept.texture && kept.width == width_ && kept.height == height_;
    if (!useKept) GrabFrame(width_, height_, &grabbed_);
    open_ = true;
    focus_ = 0;
    armed_ = -1;
    mouseWasDown_ = false;
    // Seen before anything answers it.
    Draw();
    platform::SwapWindowBuffers();
    dirty_ = false;
}

void DrawnDialog::Close() {
    ReleaseFrame(&grabbed_);
    if (!open_) return;
    open_ = false;
    platform::LatchHeldKeys();
    platform::EndGameDialog();
}

int DrawnDialog::Step() {
    if (!open_) return 0;
    // A size the window took meanwhile (a minimised one reports none).
    if (FollowDrawableSize(&width_, &height_)) dirty_ = true;
    const int result = TakeInput();
    if (result == kDialogThirdButton) return result;
    if (result != 0) {
        Close();
        return result;
    }
    if (dirty_) {
        Draw();
        platform::SwapWindowBuffers();
        dirty_ = false;
    }
    return 0;
}

int DrawnDialog::TakeInput() {
    using platform::Key;
    // Presses, not held keys: a tap that came and went between two frames
    // still answers. The pad's confirm button (A; on a Nintendo pad the A
    // on the right) chooses the focused button as ENTER does, its back
    // button (B) quits as ESC does.
    const platform::Presses presses = platform::TakePresses();
    const platform::PadLayout pad = platform::GetPadLayout();
    if (presses.Of(Key::Enter) + presses.Of(PadConfirmButton(pad)) > 0) return focus_ + 1;
    if (presses.Of(Key::Escape) + presses.Of(PadBackButton(pad)) > 0) return platform::kDialogSecondButton;
    // Right and Tab move round the buttons, Left back.
    const int buttons = thirdButton_ ? 3 : 2;
    const int moves = presses.Of(Key::Right) + presses.Of(Key::Tab) + (buttons - 1) * presses.Of(Key::Left);
    if (moves % buttons != 0) {
        focus_ = (focus_ + moves) % buttons;
        dirty_ = true;
    }
    int px = -1, py = -1;
    int over = -1;
    if (platform::GetPointerPos(&px, &py)) {
        const DialogLayout l = LayOutDialog(width_, height_);
        for (int i = 0; i < (thirdButton_ ? 3 : 2); ++i)
            if (l.buttons[i].Contains(px, py)) over = i;
    }
    // A push button acts when the button goes up over the one it went down
    // on; a click that came and went between two frames is both.
    const bool mouseDown = platform::IsKeyDown(Key::MouseLeft);
    const bool clicked = presses.Of(Key::MouseLeft) > 0;
    int result = 0;
    if (clicked) {
        armed_ = over;
        if (over >= 0) focus_ = over;
        dirty_ = true;
    }
    if ((mouseWasDown_ || clicked) && !mouseDown) {
        if (armed_ >= 0 && armed_ == over) result = armed_ + 1;
        armed_ = -1;
        dirty_ = true;
    }
    mouseWasDown_ = mouseDown;
    return result;
}

// The box leaves GL as the frame's passes need it (gl/gl_state.h): its 2D
// pass puts back what it changed, and every pass sets its own colour,
// blending and texture. The box fills the drawable; the game draws in the
// viewport its projection was made for.
void DrawnDialog::Draw() const {
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    const DialogView view{font_, &text_, thirdButton_, &Backdrop(), width_, height_, focus_, armed_};
    DrawDialog(view);
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glViewport(0, 0, g_viewportWidth, g_viewportHeight);
}

const FrozenImage& DrawnDialog::Backdrop() const { return grabbed_.texture ? grabbed_ : kept; }

void DrawnDialog::TakeFocusBack() {
    platform::LatchHeldKeys();
    // ENTER resumes again, as when the box opened.
    focus_ = 0;
    armed_ = -1;
    mouseWasDown_ = false;
    dirty_ = true;
}
