#include "common/glf.h"

#include "common/bytes.h"

std::vector<uint8_t> BuildGlf(const RawGlf& font) {
    std::vector<uint8_t> out;
    for (int32_t v : {font.textureName, font.width, font.height, font.firstChar, font.lastChar, 0}) PutI32(out, v);
    for (const std::array<float, 6>& glyph : font.glyphs)
        for (float v : glyph) PutF32(out, v);
    out.insert(out.end(), font.texels.begin(), font.texels.end());
    return out;
}
