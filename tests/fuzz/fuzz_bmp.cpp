// libFuzzer target for the BMP decoder. Beyond "no sanitizer report", an
// accepted image must be exactly width * height * 3 bytes within the size
// limits, and its bottom-left and top-right pixels must be what a plain,
// pixel-at-a-time reading of the file gives (a colour-table entry, B,G,R
// swapped, or mask fields widened to 8 bits); a refused one must leave the
// result empty.
#include <cstdint>

#include "core/little_endian.h"
#include "fuzz_check.h"
#include "scenery/bmp.h"

namespace {

// An n-bit field widened to 8 bits, bit by bit: its bits repeated from the
// top, or its top 8 bits when it is wider.
uint8_t Widen(uint32_t field, int n) {
    if (n >= 8) return uint8_t(field >> (n - 8));
    uint8_t out = 0;
    for (int i = 0; i < 8; ++i) out |= uint8_t(((field >> (n - 1 - i % n)) & 1) << (7 - i));
    return out;
}

// Pixel (x, row), row 0 at the bottom, straight from the file's bytes.
void Expected(const uint8_t* data, const BmpImage& image, uint64_t x, uint64_t row, uint8_t rgb[3]) {
    const uint32_t infoSize = LeU32(data + 14);
    const bool core = infoSize == 12;
    const uint32_t bits = LeU16(data + (core ? 24 : 28));
    const bool topDown = !core && LeI32(data + 22) < 0;
    const bool bitFields = !core && LeU32(data + 30) == 3;
    const uint64_t stride = (uint64_t(image.width) * bits + 31) / 32 * 4;
    const uint64_t stored = topDown ? uint64_t(image.height) - 1 - row : row;
    const uint8_t* line = data + LeU32(data + 10) + stored * stride;
    const uint64_t bit = x * bits;
    if (bits <= 8) {
        const uint32_t index = (line[bit / 8] >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
        const uint8_t* entry = data + 14 + infoSize + index * (core ? 3 : 4);
        rgb[0] = entry[2], rgb[1] = entry[1], rgb[2] = entry[0];
    } else if (bits == 24) {
        rgb[0] = line[bit / 8 + 2], rgb[1] = line[bit / 8 + 1], rgb[2] = line[bit / 8];
    } else {
        const uint32_t pixel = LeUnsigned(line + bit / 8, int(bits / 8));
        uint32_t masks[3] = {0xFF0000, 0xFF00, 0xFF};
        if (bitFields)
            for (int c = 0; c < 3; ++c) masks[c] = LeU32(data + 54 + 4 * c);
        else if (bits == 16)
            masks[0] = 0x7C00, masks[1] = 0x3E0, masks[2] = 0x1F;
        for (int c = 0; c < 3; ++c) {
            Check(masks[c] != 0);
            const int shift = __builtin_ctz(masks[c]);
            rgb[c] = Widen((pixel & masks[c]) >> shift, __builtin_popcount(masks[c]));
        }
    }
}

void CheckPixel(const uint8_t* data, const BmpImage& image, uint64_t x, uint64_t row) {
    uint8_t rgb[3];
    Expected(data, image, x, row, rgb);
    const uint8_t* got = image.pixels.data() + (row * uint64_t(image.width) + x) * 3;
    Check(got[0] == rgb[0] && got[1] == rgb[1] && got[2] == rgb[2]);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    BmpImage image;
    const BmpStatus status = DecodeBmp(data, size, &image);
    if (status != BmpStatus::Ok) {
        Check(image.width == 0 && image.height == 0 && image.pixels.empty());
        Check(BmpStatusText(status)[0] != '\0');
        return 0;
    }
    Check(image.width >= 1 && image.width <= kBmpMaxSide);
    Check(image.height >= 1 && image.height <= kBmpMaxSide);
    Check(image.pixels.size() == size_t(image.width) * size_t(image.height) * 3);
    // One bit a pixel can make 24 of each input bit, never more.
    Check(image.pixels.size() <= size * 24);

    CheckPixel(data, image, 0, 0);
    CheckPixel(data, image, uint64_t(image.width) - 1, uint64_t(image.height) - 1);
    return 0;
}
