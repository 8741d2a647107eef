// libFuzzer target for the BMP decoder. Beyond "no sanitizer report", an
// accepted image must be exactly width * height * 3 bytes within the size
// limits, its corner pixels must be the file's bytes swapped to R,G,B, and
// a refused one must leave the result empty.
#include <cstdint>
#include <cstdlib>

#include "scenery/bmp.h"

namespace {

uint32_t U32(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

void Check(bool ok) {
    if (!ok) std::abort();
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
    Check(image.pixels.size() <= size);

    // First stored pixel of the bottom row, and last pixel of the top row.
    const int32_t rawHeight = int32_t(U32(data + 22));
    const size_t stride = (size_t(image.width) * 3 + 3) & ~size_t(3);
    const size_t base = U32(data + 10);
    const size_t bottom = base + (rawHeight < 0 ? size_t(image.height - 1) * stride : 0);
    const size_t top = base + (rawHeight < 0 ? 0 : size_t(image.height - 1) * stride) + size_t(image.width - 1) * 3;
    const uint8_t* first = image.pixels.data();
    const uint8_t* last = image.pixels.data() + image.pixels.size() - 3;
    Check(first[0] == data[bottom + 2] && first[1] == data[bottom + 1] && first[2] == data[bottom]);
    Check(last[0] == data[top + 2] && last[1] == data[top + 1] && last[2] == data[top]);
    return 0;
}
