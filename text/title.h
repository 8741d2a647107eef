// The title screen text: a credit line, the game's title, three lines of
// instructions, the options hint and, once a game has been won, the best
// time, drawn over the sky in a fixed 800 x 600 orthographic space
// that stretches with the window.
#pragma once

#include <string>

#include "text/glf_font.h"

// Leaves depth testing on, blending and texturing off, the projection as it
// was, the modelview at identity and the current colour red (the next frame
// starts with it). Without glyphs in the font the state changes still
// happen and nothing is drawn. bestTime is its line as shown ("Best time
// 0:42.36"), "" for none.
void DrawTitle(const GlfFont& font, const std::string& bestTime);
