// f.glf: DejaVu Sans Bold rasterised with FreeType into one luminance-alpha
// atlas, with a glyph table in font units.
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstdio>
#include <utility>
#include <vector>

#include "assets.h"
#include "common/bytes.h"
#include "common/glf.h"

#ifndef ORVANTHE_TTF_FONT
#error "ORVANTHE_TTF_FONT must name the TrueType font to rasterise"
#endif

namespace {

const int kFirstChar = 32, kLastChar = 126;
const int kAtlasSize = 512;
const int kPixelsPerEm = 56;
// Blank texels round every cell, so linear filtering at a glyph's edge reads
// transparency and never a neighbour's ink.
const int kPadding = 2;
// One text line in font units. The title screen scales lines by 7 to 25 and
// spaces its instruction lines 3 units apart, so a line must stay under 3.
const double kLineHeight = 2.6;

struct Glyph {
    int advance = 0;  // pixels; also the cell width
    int left = 0, top = 0;
    int width = 0, rows = 0;
    std::vector<uint8_t> coverage;
    int cellX = 0, cellY = 0;
};

}  // namespace

bool MakeFont(const std::string& dir) {
    FT_Library library;
    if (FT_Init_FreeType(&library) != 0) {
        std::fprintf(stderr, "orvanthe-assetgen: FreeType did not start\n");
        return false;
    }
    FT_Face face;
    if (FT_New_Face(library, ORVANTHE_TTF_FONT, 0, &face) != 0) {
        std::fprintf(stderr, "orvanthe-assetgen: cannot open font %s\n", ORVANTHE_TTF_FONT);
        FT_Done_FreeType(library);
        return false;
    }
    FT_Set_Pixel_Sizes(face, 0, kPixelsPerEm);

    std::vector<Glyph> glyphs(kLastChar - kFirstChar + 1);
    int ascent = 0, descent = 0;
    bool ok = true;
    for (int code = kFirstChar; code <= kLastChar && ok; ++code) {
        if (FT_Load_Char(face, FT_ULong(code), FT_LOAD_RENDER) != 0) {
            std::fprintf(stderr, "orvanthe-assetgen: font has no glyph for %d\n", code);
            ok = false;
            break;
        }
        FT_GlyphSlot slot = face->glyph;
        Glyph& g = glyphs[size_t(code - kFirstChar)];
        g.advance = int((slot->advance.x + 32) >> 6);
        g.left = slot->bitmap_left;
        g.top = slot->bitmap_top;
        g.width = int(slot->bitmap.width);
        g.rows = int(slot->bitmap.rows);
        g.coverage.resize(size_t(g.width) * size_t(g.rows));
        for (int y = 0; y < g.rows; ++y)
            for (int x = 0; x < g.width; ++x)
                g.coverage[size_t(y) * g.width + x] = slot->bitmap.buffer[y * slot->bitmap.pitch + x];
        if (g.rows > 0) {
            ascent = std::max(ascent, g.top);
            descent = std::max(descent, g.rows - g.top);
        }
    }
    FT_Done_Face(face);
    FT_Done_FreeType(library);
    if (!ok) return false;

    // Every cell spans the same ascent-to-descent band, so glyphs hung from
    // one pen line share a baseline.
    const int cellHeight = ascent + descent;
    int x = kPadding, y = kPadding;
    for (Glyph& g : glyphs) {
        if (x + g.advance + kPadding > kAtlasSize) {
            x = kPadding;
            y += cellHeight + kPadding;
        }
        if (y + cellHeight + kPadding > kAtlasSize) {
            std::fprintf(stderr, "orvanthe-assetgen: glyphs do not fit a %d atlas\n", kAtlasSize);
            return false;
        }
        g.cellX = x;
        g.cellY = y;
        x += g.advance + kPadding;
    }

    // Luminance is white throughout; alpha carries the coverage. Ink that
    // overhangs the advance is cut at the cell, as quads abut with no kerning.
    std::vector<uint8_t> texels(size_t(kAtlasSize) * kAtlasSize * 2, 0);
    for (size_t i = 0; i < texels.size(); i += 2) texels[i] = 255;
    for (const Glyph& g : glyphs) {
        for (int gy = 0; gy < g.rows; ++gy) {
            int cy = ascent - g.top + gy;
            if (cy < 0 || cy >= cellHeight) continue;
            for (int gx = 0; gx < g.width; ++gx) {
                int cx = g.left + gx;
                if (cx < 0 || cx >= g.advance) continue;
                size_t at = (size_t(g.cellY + cy) * kAtlasSize + size_t(g.cellX + cx)) * 2;
                texels[at + 1] = g.coverage[size_t(gy) * g.width + gx];
            }
        }
    }

    const double unitsPerPixel = kLineHeight / cellHeight;
    RawGlf font{0, kAtlasSize, kAtlasSize, kFirstChar, kLastChar, {}, std::move(texels)};  // the game names its texture
    for (const Glyph& g : glyphs)
        font.glyphs.push_back(
            {float(g.advance * unitsPerPixel), float(kLineHeight), float(double(g.cellX) / kAtlasSize),
             float(double(g.cellY) / kAtlasSize),  // texture row 0 is t = 0
             float(double(g.cellX + g.advance) / kAtlasSize), float(double(g.cellY + cellHeight) / kAtlasSize)});
    return WriteFile(dir + "/f.glf", BuildGlf(font));
}
