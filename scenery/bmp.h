// Decoding of Windows BMP images held in memory. Only what the game's assets
// use is accepted: 24 bits a pixel, uncompressed, 1 to 8192 pixels a side.
// Anything else, and any header that promises more data than the bytes
// hold, is refused rather than trusted. No file I/O and no GL here, so tests
// and the fuzzer can feed it arbitrary bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

constexpr int32_t kBmpMaxSide = 8192;

enum class BmpStatus {
    Ok,
    NotBmp,           // no "BM" signature
    TruncatedHeader,  // shorter than the two headers
    Unsupported,      // not 24-bit BI_RGB, or an old 12-byte core header
    BadSize,          // width or height 0 or beyond kBmpMaxSide
    BadOffset,        // pixel data would start inside the headers
    TruncatedPixels,  // fewer pixel bytes than width and height need
    OutOfMemory,
};

// A short reason for the player, e.g. "truncated pixel data".
const char* BmpStatusText(BmpStatus status);

struct BmpImage {
    int32_t width = 0;
    int32_t height = 0;  // always positive: top-down files are flipped
    // width * height * 3 bytes: R, G, B; bottom row first; rows unpadded.
    std::vector<uint8_t> pixels;
};

// On anything but Ok, *image is left empty (width, height 0, no pixels).
BmpStatus DecodeBmp(const uint8_t* data, size_t size, BmpImage* image);
