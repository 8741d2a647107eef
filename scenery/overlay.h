// The full-window overlay laid over every frame of play: a mask darkens the
// scene where the picture goes (black removes, white keeps), then the
// picture is added on top. Both images are stretched over the whole
// viewport whatever their pixel sizes.
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

// A scissor box inside the viewport, in pixels from its bottom-left corner.
struct OverlayRect {
    int x = 0, y = 0, width = 0, height = 0;
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
    // Where Draw draws in a viewport of this size (worked out on first use).
    const std::vector<OverlayRect>& Rects(int width, int height);

private:
    TexelMap imageMap_, maskMap_;
    std::vector<OverlayRect> rects_;
    int rectsWidth_ = -1, rectsHeight_ = -1;
};
