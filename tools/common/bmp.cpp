#include "common/bmp.h"

#include <algorithm>

#include "common/bytes.h"

std::vector<uint8_t> BuildBmp(const RawBmp& b) {
    const size_t masksAfter = b.infoSize == 40 ? 4 * b.masks.size() : 0;
    const size_t offBits = 14 + b.infoSize + masksAfter + b.palette.size();
    std::vector<uint8_t> out(offBits, 0);
    out[0] = 'B';
    out[1] = 'M';
    PutU32(out, 10, uint32_t(offBits));
    PutU32(out, 14, b.infoSize);
    if (b.infoSize == 12) {
        PutU16(out, 18, uint16_t(b.width));
        PutU16(out, 20, uint16_t(b.height));
        PutU16(out, 22, 1);  // planes
        PutU16(out, 24, b.bitCount);
    } else {
        PutI32(out, 18, b.width);
        PutI32(out, 22, b.height);
        PutU16(out, 26, 1);
        PutU16(out, 28, b.bitCount);
        PutU32(out, 30, b.compression);
        PutU32(out, 34, uint32_t(b.sizeImage < 0 ? int64_t(b.rows.size()) : b.sizeImage));
        PutI32(out, 38, b.pixelsPerMetre);
        PutI32(out, 42, b.pixelsPerMetre);
        PutU32(out, 46, b.coloursUsed);
        for (size_t i = 0; i < b.masks.size(); ++i) PutU32(out, 54 + 4 * i, b.masks[i]);
    }
    std::copy(b.palette.begin(), b.palette.end(), out.end() - long(b.palette.size()));
    out.insert(out.end(), b.rows.begin(), b.rows.end());
    PutU32(out, 2, uint32_t(out.size()));
    return out;
}
