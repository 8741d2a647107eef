// The full-window overlay laid over every frame of play: a mask darkens the
// scene where the picture goes (black removes, white keeps), then the
// picture is added on top. Both images are stretched over the whole
// viewport whatever their pixel sizes.
#pragma once

#include "scenery/texture.h"

class ScreenOverlay {
public:
    Texture image;  // "data/va.bmp": black wherever the mask is white
    Texture mask;   // "data/vb.bmp"

    // Results are not examined: a missing image is reported by Texture and
    // the overlay is then left out.
    void Load();
    // Leaves blending and texturing off, depth testing on, the colour white,
    // the projection as it was and the modelview at identity. The passes are
    // skipped unless both images loaded: the mask alone would leave black
    // holes, the picture alone would wash over the scene.
    void Draw() const;
};
