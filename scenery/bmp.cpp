// BMP decoding: header checks, then a row-by-row copy that drops the row
// padding, swaps B,G,R to R,G,B and turns top-down files bottom-up.
#include "scenery/bmp.h"

#include <new>
#include <utility>

namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr size_t kInfoHeaderSize = 40;
constexpr uint32_t kBiRgb = 0;

uint16_t U16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
uint32_t U32(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

}  // namespace

const char* BmpStatusText(BmpStatus status) {
    switch (status) {
    case BmpStatus::Ok: return "ok";
    case BmpStatus::NotBmp: return "not a BMP file";
    case BmpStatus::TruncatedHeader: return "truncated header";
    case BmpStatus::Unsupported: return "not a 24-bit uncompressed BMP";
    case BmpStatus::BadSize: return "image size out of range";
    case BmpStatus::BadOffset: return "bad pixel data offset";
    case BmpStatus::TruncatedPixels: return "truncated pixel data";
    case BmpStatus::OutOfMemory: return "out of memory";
    }
    return "unknown error";
}

BmpStatus DecodeBmp(const uint8_t* data, size_t size, BmpImage* image) {
    *image = BmpImage();
    if (size < 2 || data[0] != 'B' || data[1] != 'M') return BmpStatus::NotBmp;
    if (size < kFileHeaderSize + kInfoHeaderSize) return BmpStatus::TruncatedHeader;

    const uint8_t* info = data + kFileHeaderSize;
    const uint32_t offBits = U32(data + 10);
    const uint32_t infoSize = U32(info);
    // Signed on purpose: a negative height marks top-down rows.
    const int64_t width = int32_t(U32(info + 4));
    const int64_t rawHeight = int32_t(U32(info + 8));
    const uint16_t bitCount = U16(info + 14);
    const uint32_t compression = U32(info + 16);

    // A 12-byte core header lays width and height out differently.
    if (infoSize < kInfoHeaderSize || bitCount != 24 || compression != kBiRgb) return BmpStatus::Unsupported;
    const bool topDown = rawHeight < 0;
    const int64_t height = topDown ? -rawHeight : rawHeight;
    if (width < 1 || width > kBmpMaxSide || height < 1 || height > kBmpMaxSide) return BmpStatus::BadSize;
    if (offBits < kFileHeaderSize + kInfoHeaderSize) return BmpStatus::BadOffset;

    // biSizeImage is neither needed nor trusted (0 is legal, writers get it
    // wrong): the extent follows from the dimensions. The last row's padding
    // may be missing without losing a pixel.
    const uint64_t rowBytes = uint64_t(width) * 3;
    const uint64_t stride = (rowBytes + 3) & ~uint64_t(3);
    const uint64_t needed = stride * uint64_t(height - 1) + rowBytes;
    if (uint64_t(offBits) > size || needed > uint64_t(size) - offBits) return BmpStatus::TruncatedPixels;

    std::vector<uint8_t> pixels;
    try {
        pixels.resize(size_t(rowBytes * uint64_t(height)));
    } catch (const std::bad_alloc&) {
        return BmpStatus::OutOfMemory;
    }
    const uint8_t* src = data + offBits;
    for (int64_t row = 0; row < height; ++row) {
        const int64_t stored = topDown ? height - 1 - row : row;
        const uint8_t* in = src + uint64_t(stored) * stride;
        uint8_t* out = pixels.data() + uint64_t(row) * rowBytes;
        for (int64_t x = 0; x < width; ++x, in += 3, out += 3) {
            out[0] = in[2];
            out[1] = in[1];
            out[2] = in[0];
        }
    }
    image->width = int32_t(width);
    image->height = int32_t(height);
    image->pixels = std::move(pixels);
    return BmpStatus::Ok;
}
