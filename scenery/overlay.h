// The overlay laid over every frame of play: a mask darkens the scene where
// the picture goes (black removes, white keeps), then the picture is added
// on top. The images are made for a 4:3 window, which they fill.
//
// In any other window the pieces keep their shape: the image is cut where
// nothing shows (the mask white, the picture black), and each piece is
// drawn at the size a 4:3 box as tall as the window (as wide, in windows
// narrower than 4:3) gives it, anchored as it is in that box: the part
// before the first cut to the left (bottom) edge, the part between the
// cuts to the middle, the rest to the right (top) edge. The weapon stays
// in the bottom right corner, the sight in the middle, the corner marks
// in the corners.
//
// Most of the mask is white over a black picture, which leaves the frame as
// it was: the passes are drawn only inside the rectangles of the window
// where some sampled texel does anything, worked out once per viewport size
// from texel maps made at load.
#pragma once

#include <cstdint>
#include <vector>

#include "scenery/texture.h"

// Which texels of one image change the frame, one bit each, row by row.
struct TexelMap {
    int width = 0, height = 0;
    int words = 0;  // per row
    std::vector<uint64_t> bits;
};

// A scissor box inside the viewport, in pixels from its bottom-left corner,
// and the piece drawn in it.
struct OverlayRect {
    int x = 0, y = 0, width = 0, height = 0;
    int piece = 0;
};

// One piece of the overlay: the pixels it owns, and where the whole image
// is laid for them, a box in pixels from the viewport's bottom-left corner.
// Outside `window` the piece draws nothing. The quad is that box in the
// 950 x 600 space the passes draw in, y running down.
struct OverlayPiece {
    OverlayRect window;
    double boxX = 0, boxY = 0, boxWidth = 0, boxHeight = 0;
    float left = 0, top = 0, right = 0, bottom = 0;
};

class ScreenOverlay {
public:
    Texture image;  // "data/va.bmp": black wherever the mask is white
    Texture mask;   // "data/vb.bmp"

    // Results are not examined: a missing image is reported by Texture and
    // the overlay is then left out.
    void Load();
    // Leaves blending, texturing and the scissor test off, depth testing on,
    // the colour white, the projection as it was and the modelview at
    // identity. The passes are skipped unless both images loaded: the mask
    // alone would leave black holes, the picture alone would wash over the
    // scene.
    void Draw();
    // How Draw lays the overlay out in a viewport of this size, and the
    // rectangles it draws in, none of which overlap (worked out on first
    // use). At 4:3 there is one piece, the whole viewport.
    const std::vector<OverlayPiece>& Pieces(int width, int height);
    const std::vector<OverlayRect>& Rects(int width, int height);

private:
    void LayOut(int width, int height);

    TexelMap imageMap_, maskMap_;
    // Where the image may be cut, as fractions of its width and height
    // from the left and the bottom: the first and the second cut.
    double columnCuts_[2] = {0.0, 1.0}, rowCuts_[2] = {0.0, 1.0};
    std::vector<OverlayPiece> pieces_;
    std::vector<OverlayRect> rects_;
    int laidOutWidth_ = -1, laidOutHeight_ = -1;
};
