// PNG encoding with stored (uncompressed) deflate blocks, so the tools need
// no image library and no zlib.
#pragma once

#include <cstdint>
#include <vector>

// `pixels` holds the rows top first, `channels` bytes a pixel: 3 for RGB,
// 4 for RGBA with straight (not premultiplied) alpha.
std::vector<uint8_t> EncodePng(int width, int height, int channels, const std::vector<uint8_t>& pixels);
