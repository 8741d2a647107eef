// The title screen text: a credit line, the game's title and three lines of
// instructions, drawn over the sky in a fixed 800 x 600 orthographic space
// that stretches with the window.
#pragma once

#include "text/glf_font.h"

// Leaves depth testing on, blending and texturing off, the projection as it
// was, the modelview at identity and the current colour red (the next frame
// starts with it). Without glyphs in the font the state changes still
// happen and nothing is drawn.
void DrawTitle(const GlfFont& font);
