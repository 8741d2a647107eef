// What the game's own boxes are drawn with: their colours, filled and
// outlined rectangles, the frozen frame behind them and text in the game's
// font, all in a top-down 2D pass of drawable pixels. The dialogs and the
// options screens share it, so they look like one family.
#pragma once

#include <string>

#include "gl/gl_state.h"

class GlfFont;
class TextPen;

// Drawable pixels from the window's top-left corner.
struct DialogRect {
    float x = 0, y = 0, width = 0, height = 0;
    bool Contains(int px, int py) const;
};

// A frame copied into a texture, to stand behind a box.
struct FrozenImage {
    unsigned texture = 0;  // a GL texture name; 0 when none
    int width = 0, height = 0;
};

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
constexpr Colour kQuietText{0.70f, 0.72f, 0.82f, 1.0f};  // headings and hints

// A box's sizes in dialog units, and how big one is at 800 x 600 (the
// 8-point font's base units: 6 x 13 pixels for 4 x 8 units).
constexpr float kUnitX = 1.5f, kUnitY = 1.625f;
constexpr float kCaptionUnits = 12, kBorderUnits = 2;
constexpr float kLineUnits = 8;  // one line of text

// Pixels per dialog unit in a drawable of this size: an 800 x 600 area
// scaled to fit and centred, as every box stands; *left and *top are that
// area's corner.
void DialogScale(int width, int height, float* unitX, float* unitY, float* left, float* top);

// The drawable's size into *width and *height when it has one (a minimised
// window reports none) and it differs: true when the box must be drawn
// again.
bool FollowDrawableSize(int* width, int* height);

// A box drawn over the whole drawable, top-down in its pixels, blended, with
// the frozen frame `behind` dimmed under it (none: nothing); the modelview
// and the game's viewport are as they were once it goes.
class BoxPass {
public:
    BoxPass(int width, int height, const FrozenImage* behind);

private:
    struct Saved {
        Saved(int width, int height);
        ~Saved();
        Saved(const Saved&) = delete;
        Saved& operator=(const Saved&) = delete;
    };
    Saved saved_;  // first made, last undone
    Screen2D pass_;
};

// Copies the frame drawn into a texture; false when GL will not read it.
bool GrabFrame(int width, int height, FrozenImage* out);
void ReleaseFrame(FrozenImage* image);

void SetColour(const Colour& c);
// Inside a top-down 2D pass: the frozen frame, dimmed, over the whole area.
void DrawDimmedFrame(const FrozenImage& image, float width, float height);
void Fill(const DialogRect& r, const Colour& c);
void Outline(const DialogRect& r, float thickness, const Colour& c);
// The box's panel with its caption bar and caption, and its outer edge.
void DrawPanel(const DialogRect& frame, const DialogRect& captionBar, const char* caption, float unitX,
               const TextPen& pen);
// A push button: filled as pressed, focused or plain, its label centred.
void DrawButton(const DialogRect& r, const char* label, bool focused, bool pressed, float unitX, const TextPen& pen);

// A label without its '&' marks; *mnemonic is the index of the letter after
// the first single '&' (-1 when none). "&&" is a literal '&'.
std::string Label(const char* text, int* mnemonic);

// Text in the game's font, its letters a share of a line this high.
class TextPen {
public:
    TextPen(const GlfFont& font, float lineHeight);
    float Height() const { return height_; }
    float Width(const std::string& text, size_t count = std::string::npos) const;
    // Top-left corner of the text at (x, y); squeezed sideways to at most
    // maxWidth pixels when that is given.
    void Draw(const std::string& text, float x, float y, const Colour& c, float maxWidth = 0) const;
    // Centred in r horizontally, at its top or centred vertically; the
    // mnemonic's letter underlined.
    void DrawLabel(const char* label, const DialogRect& r, bool middle, const Colour& c) const;

private:
    const GlfFont& font_;
    float scale_ = 0, height_ = 0;
};
