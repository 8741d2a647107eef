// Writing GLF font files: a header, one record per character code and the
// luminance-alpha texels, each written as given.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

struct RawGlf {
    int32_t textureName = 0;  // the game ignores it and supplies its own
    int32_t width = 0, height = 0;
    int32_t firstChar = 0, lastChar = 0;
    // Width, height, left s, top t, right s, bottom t: one record per code
    // from first to last in a good file.
    std::vector<std::array<float, 6>> glyphs;
    std::vector<uint8_t> texels;  // luminance, alpha
};

std::vector<uint8_t> BuildGlf(const RawGlf& font);
