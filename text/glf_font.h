// GLF texture fonts: one luminance-alpha texture holding every glyph and a
// table of glyph sizes and texture rectangles, indexed by character code.
// Strings are drawn as one textured quad per character in whatever space
// and scale the caller has set up.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "text/glf_file.h"

class GlfFont {
public:
    uint32_t texName = 0;
    int32_t texWidth = 0, texHeight = 0;
    int32_t firstChar = 0, lastChar = 0;
    std::vector<GlfGlyph> glyphs;  // empty when no font is loaded

    // Reads the file and uploads its image into texName (name 0, GL's
    // default texture, is allowed), leaving it bound with linear filtering
    // and clamping; sets the GL_MODULATE texture environment for everyone.
    // A missing file leaves the font as it was; a refused one leaves it
    // without glyphs. Either is reported once on stderr.
    bool Load(const std::string& path, uint32_t textureName);
    // Selects this font for DrawString (none when it has no glyphs) and binds
    // its texture.
    void Begin() const;
    static void End();
    // Pen at the top-left corner of the first glyph; no line breaks. Bytes
    // without a glyph in the current font are skipped without advancing.
    static void DrawString(const char* text, float x, float y, float z);
    // Frees the glyph table; the GL texture stays with the context.
    void Release();
};
