// Decoding of Windows BMP images held in memory into 24-bit R,G,B. Accepted:
// uncompressed 1-, 4- and 8-bit palette images, 16- and 32-bit images (the
// default channel layout or BI_BITFIELDS masks) and 24-bit images, with the
// OS/2 12-byte header or a Windows 40-, 52-, 56-, 108- or 124-byte one, 1 to
// 8192 pixels a side. Compressed images and anything a header promises but
// the bytes do not hold are refused with a reason rather than trusted. No
// file I/O and no GL here, so tests and the fuzzer can feed it arbitrary
// bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

constexpr int32_t kBmpMaxSide = 8192;

enum class BmpStatus {
    Ok,
    NotBmp,             // no "BM" signature
    TruncatedHeader,    // the headers (and masks) run past the end of the bytes
    UnknownHeaderSize,  // an information header of no size we know
    Os2v2Header,        // the 16- or 64-byte OS/2 2.x header
    Rle8,
    Rle4,
    Jpeg,
    Png,
    OtherCompression,   // any other compression value
    BadBitCount,        // not 1, 4, 8, 16, 24 or 32 bits a pixel
    MasksOnWrongDepth,  // BI_BITFIELDS on an image that is not 16- or 32-bit
    BadMask,            // a colour mask empty, split or wider than a pixel
    BadSize,            // width or height 0 or beyond kBmpMaxSide
    BadOffset,          // pixel data would start inside the headers
    TooManyColours,     // a colour table longer than the depth can index
    BadColourIndex,     // a pixel names a colour the table does not hold
    TruncatedPixels,    // fewer pixel bytes than width and height need
    OutOfMemory,
};

// A short reason for the player, e.g. "8-bit RLE-compressed BMP is not supported".
const char* BmpStatusText(BmpStatus status);

struct BmpImage {
    int32_t width = 0;
    int32_t height = 0;  // always positive: top-down files are flipped
    // width * height * 3 bytes: R, G, B; bottom row first; rows unpadded.
    std::vector<uint8_t> pixels;
};

// On anything but Ok, *image is left empty (width, height 0, no pixels).
BmpStatus DecodeBmp(const uint8_t* data, size_t size, BmpImage* image);
