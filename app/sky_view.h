// The sky behind every frame, shaped for the window and the field of view.
#pragma once

#include "scenery/sky_cache.h"

// The sky on the identity modelview, copied while its scene holds.
void ClearAndDrawSky(const SkyTint& tint);
// The sky box for the current viewport and field of view: the box of a
// 4:3 view of 45 degrees, grown about the eye so the view sees its far
// face as that view does. Wider than 4:3 it widens by the aspect over 4:3.
SkyBoxShape SkyBoxForView();
