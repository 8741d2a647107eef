// The HUD's layout and drawing. Its space is 600 units high and as wide as
// the window's aspect makes it, with y running down: a unit is the same
// size across and up, whatever the window's shape.
#include "text/hud.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "gl/gl_state.h"
#include "text/glf_font.h"

namespace {

constexpr float kUnits = 600.0f;  // the window's height
// The count's top-left corner sits inside the visor's top-left bracket
// (its arms run from 26 across and 22 down), in letters of the title's
// instruction lines' size.
constexpr float kCountX = 40.0f, kCountY = 34.0f;
constexpr float kLetterHeight = 18.0f;
constexpr float kCountWidth = 10.0f * kLetterHeight;
// Four strokes on the diagonals, between the sight's ring (radius 9) and
// the reach of its ticks (24), so the sight itself stays as it is.
constexpr float kMarkInner = 12.0f, kMarkOuter = 22.0f, kMarkHalfWidth = 1.4f;
// Everything stands on a shadow a little down and right, so it reads over
// the bright sky as over the dark ground.
constexpr float kShadowOffset = 1.5f;

struct Colour {
    float r, g, b, a;
};
constexpr Colour kText{1.0f, 1.0f, 1.0f, 1.0f};
constexpr Colour kMark{1.0f, 0.82f, 0.25f, 1.0f};  // the dialogs' focus gold
constexpr Colour kShadow{0.0f, 0.0f, 0.0f, 0.6f};

float SpaceWidth(int viewportWidth, int viewportHeight) {
    return kUnits * float(viewportWidth) / float(std::max(viewportHeight, 1));
}

// A rectangle of the HUD's space in drawable pixels, rounded outwards.
HudBox ToPixels(float x0, float y0, float x1, float y1, int viewportHeight) {
    const float pixels = float(viewportHeight) / kUnits;
    const int left = int(std::floor(x0 * pixels)), right = int(std::ceil(x1 * pixels));
    const int top = int(std::floor(y0 * pixels)), bottom = int(std::ceil(y1 * pixels));
    return {left, viewportHeight - bottom, right - left, bottom - top};
}

void DrawCount(const GlfFont& font, int monstersLeft, float dx, float dy, const Colour& c) {
    float tallest = 0.0f;
    for (const GlfGlyph& g : font.glyphs) tallest = std::max(tallest, g.height);
    if (tallest <= 0.0f) return;
    char text[32];
    std::snprintf(text, sizeof text, "Monsters %d", monstersLeft);
    const float scale = kLetterHeight / tallest;
    glColor4f(c.r, c.g, c.b, c.a);
    font.Begin();
    glPushMatrix();
    glTranslatef(kCountX + dx, kCountY + dy, 0.0f);
    glScalef(scale, -scale, 1.0f);  // the font's y grows upwards
    GlfFont::DrawString(text, 0.0f, 0.0f, 0.0f);
    glPopMatrix();
    GlfFont::End();
}

void DrawMark(float centreX, float centreY, const Colour& c) {
    glBindTexture(GL_TEXTURE_2D, WhiteTexture());
    glColor4f(c.r, c.g, c.b, c.a);
    const float half = 0.70710678f;  // of a diagonal's unit step
    glBegin(GL_QUADS);
    for (const float sx : {-1.0f, 1.0f}) {
        for (const float sy : {-1.0f, 1.0f}) {
            // Along the stroke (ax, ay), across it (nx, ny).
            const float ax = sx * half, ay = sy * half, nx = -ay * kMarkHalfWidth, ny = ax * kMarkHalfWidth;
            const float x0 = centreX + ax * kMarkInner, y0 = centreY + ay * kMarkInner;
            const float x1 = centreX + ax * kMarkOuter, y1 = centreY + ay * kMarkOuter;
            glVertex2f(x0 + nx, y0 + ny);
            glVertex2f(x1 + nx, y1 + ny);
            glVertex2f(x1 - nx, y1 - ny);
            glVertex2f(x0 - nx, y0 - ny);
        }
    }
    glEnd();
}

}  // namespace

HudBox HitMarkBox(int viewportWidth, int viewportHeight) {
    const float cx = SpaceWidth(viewportWidth, viewportHeight) / 2.0f, cy = kUnits / 2.0f;
    const float reach = kMarkOuter * 0.70710678f + kMarkHalfWidth + kShadowOffset;
    return ToPixels(cx - reach, cy - reach, cx + reach, cy + reach, viewportHeight);
}

HudBox MonsterCountBox(int viewportHeight) {
    return ToPixels(kCountX, kCountY, kCountX + kCountWidth, kCountY + kLetterHeight + kShadowOffset, viewportHeight);
}

void DrawHud(const GlfFont& font, const HudView& view, int viewportWidth, int viewportHeight) {
    if (viewportWidth <= 0 || viewportHeight <= 0) return;
    const float width = SpaceWidth(viewportWidth, viewportHeight);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    {
        const Screen2D pass(0.0, double(width), double(kUnits), 0.0, -1.0, 1.0);
        for (const bool shadow : {true, false}) {
            const float d = shadow ? kShadowOffset : 0.0f;
            if (view.hitMark) DrawMark(width / 2.0f + d, kUnits / 2.0f + d, shadow ? kShadow : kMark);
            DrawCount(font, view.monstersLeft, d, d, shadow ? kShadow : kText);
        }
    }
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
}
