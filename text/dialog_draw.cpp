// The boxes' drawing: rectangles, the frozen frame and text, in the
// colours every box of the game shares.
#include "text/dialog_draw.h"

#include <GL/gl.h>

#include <algorithm>

#include "core/state.h"
#include "gl/gl_compat.h"
#include "gl/gl_state.h"
#include "platform/window.h"
#include "text/glf_font.h"

namespace {
constexpr float kGlyphShare = 0.8f;  // of a line, the letters' height
}  // namespace

bool DialogRect::Contains(int px, int py) const {
    return float(px) >= x && float(px) < x + width && float(py) >= y && float(py) < y + height;
}

void DialogScale(int width, int height, float* unitX, float* unitY, float* left, float* top) {
    const float scale = std::min(float(width) / 800.0f, float(height) / 600.0f);
    *unitX = kUnitX * scale;
    *unitY = kUnitY * scale;
    *left = (float(width) - 800.0f * scale) / 2;
    *top = (float(height) - 600.0f * scale) / 2;
}

// GL reads from the buffer it draws into: the game moves neither.
bool GrabFrame(int width, int height, FrozenImage* out) {
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

void ReleaseFrame(FrozenImage* image) {
    if (image->texture) glDeleteTextures(1, &image->texture);
    *image = {};
}

void SetColour(const Colour& c) { glColor4f(c.r, c.g, c.b, c.a); }

void DrawDimmedFrame(const FrozenImage& image, float width, float height) {
    glColor4f(kDim, kDim, kDim, 1);
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

void DrawPanel(const DialogRect& frame, const DialogRect& captionBar, const char* caption, float unitX,
               const TextPen& pen) {
    Fill(frame, kPanel);
    Fill(captionBar, kCaptionFill);
    Outline(frame, std::max(1.0f, unitX), kEdge);
    pen.Draw(caption ? caption : "", captionBar.x + 4 * unitX, captionBar.y + (captionBar.height - pen.Height()) / 2,
             kText);
}

void DrawButton(const DialogRect& r, const char* label, bool focused, bool pressed, float unitX, const TextPen& pen) {
    const float edge = std::max(1.0f, unitX);
    Fill(r, pressed ? kPressedFill : focused ? kFocusFill : kButtonFill);
    Outline(r, focused ? 2 * edge : edge, focused ? kFocusEdge : kEdge);
    pen.DrawLabel(label, r, true, kText);
}

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

TextPen::TextPen(const GlfFont& font, float lineHeight) : font_(font) {
    float tallest = 0;
    for (const GlfGlyph& g : font.glyphs) tallest = std::max(tallest, g.height);
    scale_ = tallest > 0 ? lineHeight * kGlyphShare / tallest : 0;
    height_ = tallest * scale_;
}

float TextPen::Width(const std::string& text, size_t count) const {
    float width = 0;
    for (size_t i = 0; i < text.size() && i < count; ++i) {
        const int index = int(static_cast<signed char>(text[i])) - font_.firstChar;
        if (index >= 0 && size_t(index) < font_.glyphs.size()) width += font_.glyphs[size_t(index)].width;
    }
    return width * scale_;
}

void TextPen::Draw(const std::string& text, float x, float y, const Colour& c, float maxWidth) const {
    const float width = Width(text);
    const float squeeze = maxWidth > 0 && width > maxWidth ? maxWidth / width : 1.0f;
    SetColour(c);
    font_.Begin();
    glPushMatrix();
    glTranslatef(x, y, 0);
    glScalef(scale_ * squeeze, -scale_, 1);  // the font's y grows upwards
    GlfFont::DrawString(text.c_str(), 0, 0, 0);
    glPopMatrix();
    GlfFont::End();
}

void TextPen::DrawLabel(const char* label, const DialogRect& r, bool middle, const Colour& c) const {
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

bool FollowDrawableSize(int* width, int* height) {
    int w = 0, h = 0;
    platform::GetDrawableSize(&w, &h);
    if (w <= 0 || h <= 0 || (w == *width && h == *height)) return false;
    *width = w;
    *height = h;
    return true;
}

BoxPass::Saved::Saved(int width, int height) {
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glViewport(0, 0, width, height);
}

BoxPass::Saved::~Saved() {
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glViewport(0, 0, g_viewportWidth, g_viewportHeight);
}

BoxPass::BoxPass(int width, int height, const FrozenImage* behind)
    : saved_(width, height), pass_(0, width, height, 0, -1, 1) {
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    if (behind) DrawDimmedFrame(*behind, float(width), float(height));
}
