// What play says while it runs, over the overlay: how many monsters are
// left, in the top-left corner inside the visor's bracket, and a brief mark
// round the crosshair when a shot has hit. Laid out in units of the
// window's height (600 of them) from its corner and its centre, so the
// words and the mark keep their shape at any aspect.
#pragma once

class GlfFont;

struct HudView {
    int monstersLeft = 0;
    bool hitMark = false;  // a shot hit a monster a moment ago
};

// Drawable pixels from the bottom-left corner, as GL reads them back.
struct HudBox {
    int x = 0, y = 0, width = 0, height = 0;
};
// The square the hit mark's strokes lie in, round the crosshair.
HudBox HitMarkBox(int viewportWidth, int viewportHeight);
// The count's line: its letters' height, and wide enough for any count;
// the corner is the window's, whatever its width.
HudBox MonsterCountBox(int viewportHeight);

// A 2D pass of its own, after the overlay, leaving GL as the overlay does:
// texturing and blending off, depth test on, the colour white, the
// projection as it was and the modelview at identity. Without glyphs the
// count is left out; the mark still shows.
void DrawHud(const GlfFont& font, const HudView& view, int viewportWidth, int viewportHeight);
