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

// The template's box in dialog units, and how big one is at 800 x 600
// (the 8-point font's base units: 6 x 13 pixels for 4 x 8 units).
constexpr float kUnitX = 1.5f, kUnitY = 1.625f;
constexpr float kBoxX = 100, kBoxY = 100, kBoxWidth = 300, kBoxHeight = 100;
constexpr float kCaptionUnits = 12, kBorderUnits = 2;
constexpr float kLineUnits = 8;      // one line of text
constexpr float kGlyphShare = 0.8f;  // of a line, the letters' height

struct Colour {
    float r, g, b, a;
};
constexpr float kDim = 0.5f;  // the frozen frame behind the box
constexpr Colour kPanel{0.04f, 0.05f, 0.12f, 0.88f};
constexpr Colour kCaptionFill{0.45f, 0.04f, 0.04f, 0.95f};
constexpr Colour kEdge{0.80f, 0.80f, 0.88f, 1.0f};
constexpr Colour kGroupEdge{0.55f, 0.58f, 0.70f, 1.0f};
constexpr Colour kButtonFill{0.14f, 0.17f, 0.30f, 0.95f};
constexpr Colour kFocusFill{0.55f, 0.08f, 0.06f, 0.95f};
constexpr Colour kFocusEdge{1.0f, 0.82f, 0.25f, 1.0f};
constexpr Colour kPressedFill{0.30f, 0.03f, 0.02f, 0.95f};
constexpr Colour kText{1.0f, 1.0f, 1.0f, 1.0f};

// Copies the frame drawn into a texture; false when GL will not read it.
// GL reads from the buffer it draws into: the game moves neither.
bool Grab(int width, int height, FrozenImage* out) {
    for (int i = 0; i < 32 && glGetError() != GL_NO_ERROR; ++i) {
    }
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    SetTextureWrap(GL_CLAMP_TO_EDGE);
    glCopyTexImage2D(GL_TEXTURE_2D, 0, kFrameCopyFormat, 0, 0, width, height, 0);
    if (glGetError() != GL_NO_ERROR) {
        glDeleteTextures(1, &name);
        return false;
    }
    *out = {name, width, height};
    return true;
}

// The last play frame presented, for a dialog raised before the next one
// is drawn. One texture, resized with the window.
FrozenImage kept;

void Release(FrozenImage* image) {
    if (image->texture) glDeleteTextures(1, &image->texture);
    *image = {};
}

void SetColour(const Colour& c) { glColor4f(c.r, c.g, c.b, c.a); }

// Inside a top-down 2D pass (y grows downwards).
void DrawImage(const FrozenImage& image, float width, float height) {
    glBindTexture(GL_TEXTURE_2D, image.texture);
    const bool same = int(width) == image.width && int(height) == image.height;
    SetTextureFilter(same ? GL_NEAREST : GL_LINEAR);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 1);
    glVertex2f(0, 0);
    glTexCoord2f(0, 0);
    glVertex2f(0, height);
    glTexCoord2f(1, 0);
    glVertex2f(width, height);
    glTexCoord2f(1, 1);
    glVertex2f(width, 0);
    glEnd();
}

void Fill(const DialogRect& r, const Colour& c) {
    glBindTexture(GL_TEXTURE_2D, WhiteTexture());
    SetColour(c);
    glBegin(GL_QUADS);
    glVertex2f(r.x, r.y);
    glVertex2f(r.x, r.y + r.height);
    glVertex2f(r.x + r.width, r.y + r.height);
    glVertex2f(r.x + r.width, r.y);
    glEnd();
}

void Outline(const DialogRect& r, float t, const Colour& c) {
    Fill({r.x, r.y, r.width, t}, c);
    Fill({r.x, r.y + r.height - t, r.width, t}, c);
    Fill({r.x, r.y, t, r.height}, c);
    Fill({r.x + r.width - t, r.y, t, r.height}, c);
}

// A label without its '&' marks; *mnemonic is the index of the letter after
// the first single '&' (-1 when none). "&&" is a literal '&'.
std::string Label(const char* text, int* mnemonic) {
    std::string out;
    *mnemonic = -1;
    for (const char* p = text ? text : ""; *p; ++p) {
        if (*p == '&') {
            if (p[1] != '&') {
                if (*mnemonic < 0 && p[1]) *mnemonic = int(out.size());
                continue;
            }
            ++p;
        }
        out += *p;
    }
    return out;
}

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

class TextPen {
public:
    TextPen(const GlfFont& font, float lineHeight) : font_(font) {
        float tallest = 0;
        for (const GlfGlyph& g : font.glyphs) tallest = std::max(tallest, g.height);
        scale_ = tallest > 0 ? lineHeight * kGlyphShare / tallest : 0;
        height_ = tallest * scale_;
    }
    float Height() const { return height_; }
    float Width(const std::string& text, size_t count = std::string::npos) const {
        float width = 0;
        for (size_t i = 0; i < text.size() && i < count; ++i) {
            const int index = int(static_cast<signed char>(text[i])) - font_.firstChar;
            if (index >= 0 && size_t(index) < font_.glyphs.size()) width += font_.glyphs[size_t(index)].width;
        }
        return width * scale_;
    }
    // Top-left corner of the text at (x, y).
    void Draw(const std::string& text, float x, float y, const Colour& c) const {
        SetColour(c);
        font_.Begin();
        glPushMatrix();
        glTranslatef(x, y, 0);
        glScalef(scale_, -scale_, 1);  // the font's y grows upwards
        GlfFont::DrawString(text.c_str(), 0, 0, 0);
        glPopMatrix();
        GlfFont::End();
    }
    // Centred in r horizontally, at its top or centred vertically.
    void DrawLabel(const char* label, const DialogRect& r, bool middle, const Colour& c) const {
        int mnemonic = -1;
        const std::string text = Label(label, &mnemonic);
        const float x = r.x + (r.width - Width(text)) / 2;
        const float y = middle ? r.y + (r.height - height_) / 2 : r.y;
        Draw(text, x, y, c);
        if (mnemonic >= 0) {
            const float from = x + Width(text, size_t(mnemonic));
            const float to = x + Width(text, size_t(mnemonic) + 1);
            Fill({from, y + height_ * 0.92f, to - from, std::max(1.0f, height_ * 0.07f)}, c);
        }
    }

private:
    const GlfFont& font_;
    float scale_ = 0, height_ = 0;
};

struct DialogView {
    const GlfFont* font;
    const platform::DialogText* text;
    const FrozenImage* frozen;
    int width, height;
    int focus;  // 0 or 1
    int armed;  // the button the mouse went down on, -1 none
};

void DrawDialog(const DialogView& v) {
    glViewport(0, 0, v.width, v.height);
    const Screen2D pass(0, v.width, v.height, 0, -1, 1);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(kDim, kDim, kDim, 1);
    DrawImage(*v.frozen, float(v.width), float(v.height));

    const DialogLayout l = LayOutDialog(v.width, v.height);
    const float edge = std::max(1.0f, l.unitX);
    const TextPen pen(*v.font, kLineUnits * l.unitY);
    Fill(l.frame, kPanel);
    Fill(l.captionBar, kCaptionFill);
    Outline(l.frame, edge, kEdge);
    pen.Draw(v.text->caption ? v.text->caption : "", l.captionBar.x + 4 * l.unitX,
             l.captionBar.y + (l.captionBar.height - pen.Height()) / 2, kText);

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

    const char* labels[2] = {v.text->firstButton, v.text->secondButton};
    for (int i = 0; i < 2; ++i) {
        const DialogRect& b = l.buttons[i];
        Fill(b, i == v.armed ? kPressedFill : i == v.focus ? kFocusFill : kButtonFill);
        Outline(b, i == v.focus ? 2 * edge : edge, i == v.focus ? kFocusEdge : kEdge);
        pen.DrawLabel(labels[i], b, true, kText);
    }
}

}  // namespace

bool DialogRect::Contains(int px, int py) const {
    return float(px) >= x && float(px) < x + width && float(py) >= y && float(py) < y + height;
}

DialogLayout LayOutDialog(int width, int height) {
    const float scale = std::min(float(width) / 800.0f, float(height) / 600.0f);
    DialogLayout l;
    l.unitX = kUnitX * scale;
    l.unitY = kUnitY * scale;
    const float left = (float(width) - 800.0f * scale) / 2 + kBoxX * l.unitX;
    const float top = (float(height) - 600.0f * scale) / 2 + kBoxY * l.unitY;
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
        Release(&kept);
        Grab(width, height, &kept);
    } else {
        glBindTexture(GL_TEXTURE_2D, kept.texture);
        glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, width, height);
    }
    // Every pass binds what it draws with; none draws with the copy.
    glBindTexture(GL_TEXTURE_2D, 0);
}

void ForgetPresentedFrame() { Release(&kept); }

void DrawnDialog::Open(const GlfFont& font, const platform::DialogText& text, DialogBackdrop behind) {
    Close();
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
    if (!useKept) Grab(width_, height_, &grabbed_);
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
    Release(&grabbed_);
    if (!open_) return;
    open_ = false;
    platform::LatchHeldKeys();
    platform::EndGameDialog();
}

int DrawnDialog::Step() {
    if (!open_) return 0;
    // A size the window took meanwhile (a minimised one reports none).
    int width = 0, height = 0;
    platform::GetDrawableSize(&width, &height);
    if (width > 0 && height > 0 && (width != width_ || height != height_)) {
        width_ = width;
        height_ = height;
        dirty_ = true;
    }
    const int result = TakeInput();
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
    // Each of the three moves to the other button: there are two.
    if ((presses.Of(Key::Left) + presses.Of(Key::Right) + presses.Of(Key::Tab)) % 2 == 1) {
        focus_ = 1 - focus_;
        dirty_ = true;
    }
    int px = -1, py = -1;
    int over = -1;
    if (platform::GetPointerPos(&px, &py)) {
        const DialogLayout l = LayOutDialog(width_, height_);
        for (int i = 0; i < 2; ++i)
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
    const DialogView view{font_, &text_, grabbed_.texture ? &grabbed_ : &kept, width_, height_, focus_, armed_};
    DrawDialog(view);
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glViewport(0, 0, g_viewportWidth, g_viewportHeight);
}
