// Writing BMP files field by field. Any header layout is written as given,
// so the generator's pictures and the tests' deliberately odd files come
// from the same writer.
#pragma once

#include <cstddef>
#include <cstdint>
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
// filled to four bytes with `fill`. pixel(x, row), pixel x of stored row
// `row`, gives anything with r, g and b.
template <class Pixel>
std::vector<uint8_t> Bmp24Rows(int width, int height, const Pixel& pixel, uint8_t fill = 0) {
    const size_t stride = (size_t(width) * 3 + 3) & ~size_t(3);
    std::vector<uint8_t> rows(stride * size_t(height), fill);
    for (int row = 0; row < height; ++row)
        for (int x = 0; x < width; ++x) {
            const auto c = pixel(x, row);
            uint8_t* p = &rows[size_t(row) * stride + size_t(x) * 3];
            p[0] = c.b, p[1] = c.g, p[2] = c.r;
        }
    return rows;
}
