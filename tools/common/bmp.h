// Writing BMP files field by field. Any header layout is written as given,
// so the generator's pictures and the tests' deliberately odd files come
// from the same writer.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

struct RawBmp {
    uint32_t infoSize = 40;  // 12: the OS/2 header with 16-bit sizes; otherwise 40 and up
    int32_t width = 1;
    int32_t height = 1;  // negative: top-down
    uint16_t bitCount = 8;
    uint32_t compression = 0;
    uint32_t coloursUsed = 0;
    std::vector<uint32_t> masks;   // after a 40-byte header, inside longer ones
    std::vector<uint8_t> palette;  // the colour table's bytes
    std::vector<uint8_t> rows;     // the pixels' bytes, rows with their fill
    int64_t sizeImage = -1;        // biSizeImage; -1: the rows' true size
    int32_t pixelsPerMetre = 0;
};

// The whole file; the pixels start right after the colour table.
std::vector<uint8_t> BuildBmp(const RawBmp& bmp);

// 24-bit rows as stored: bottom row first, each pixel B, G, R, each row
// filled to four bytes with `fill`. rgb(x, row) is pixel x of stored row `row`.
std::vector<uint8_t> Bmp24Rows(int width, int height, const std::function<std::array<uint8_t, 3>(int, int)>& rgb,
                               uint8_t fill = 0);
