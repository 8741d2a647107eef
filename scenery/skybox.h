// The sky: six quads showing the same image, drawn first in every frame with
// the identity modelview, so it sits in eye space and never turns or moves
// with the camera.
#pragma once

#include "scenery/texture.h"

// Box centred on (x, y, z) with extents width, height, length along x, y, z.
// Leaves texturing on; sets no colour of its own, so the current colour
// modulates the image (or shows alone where the image is missing).
void DrawSkyBox(float x, float y, float z, float width, float height, float length);
