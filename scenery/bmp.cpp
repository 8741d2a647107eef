// BMP decoding: whatever kind of header the file has is read into one
// description and checked against the bytes; then each row is converted on
// its own to unpadded R,G,B, and top-down files are turned bottom-up.
#include "scenery/bmp.h"

#include <array>
#include <cstring>
#include <new>
#include <utility>

#include "core/little_endian.h"

namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr uint32_t kCoreHeaderSize = 12;  // OS/2 1.x
constexpr uint32_t kInfoHeaderSize = 40;  // Windows; its V2 to V5 only add fields after these
constexpr size_t kMasksAt = kFileHeaderSize + kInfoHeaderSize;
constexpr size_t kMaskBytes = 12;  // red, green, blue

constexpr uint32_t kBiRgb = 0, kBiRle8 = 1, kBiRle4 = 2, kBiBitFields = 3, kBiJpeg = 4, kBiPng = 5;

// What the headers say, whichever kind they were.
struct Header {
    uint32_t infoSize = 0;
    int64_t width = 0;
    int64_t height = 0;  // negative: top-down rows
    uint32_t bitCount = 0;
    uint32_t compression = kBiRgb;
    uint32_t coloursUsed = 0;  // 0: as many as the depth can index
    size_t end = 0;            // file offset just past the headers and masks
    size_t paletteEntryBytes = 4;
};

// OS/2 1.x: unsigned 16-bit sizes, always bottom-up and uncompressed, and
// three-byte colour-table entries.
void ReadCoreHeader(const uint8_t* info, Header* h) {
    h->width = LeU16(info + 4);
    h->height = LeU16(info + 6);
    h->bitCount = LeU16(info + 10);
    h->paletteEntryBytes = 3;
}

// Windows: signed sizes, a negative height marking top-down rows.
void ReadInfoHeader(const uint8_t* info, Header* h) {
    h->width = int32_t(LeU32(info + 4));
    h->height = int32_t(LeU32(info + 8));
    h->bitCount = LeU16(info + 14);
    h->compression = LeU32(info + 16);
    h->coloursUsed = LeU32(info + 32);
}

BmpStatus ReadHeader(const uint8_t* data, size_t size, Header* h) {
    if (size < kFileHeaderSize + 4) return BmpStatus::TruncatedHeader;
    h->infoSize = LeU32(data + kFileHeaderSize);
    switch (h->infoSize) {
    case 12:
    case 40:
    case 52:
    case 56:
    case 108:
    case 124: break;
    case 16:
    case 64: return BmpStatus::Os2v2Header;
    default: return BmpStatus::UnknownHeaderSize;
    }
    h->end = kFileHeaderSize + h->infoSize;
    if (size < h->end) return BmpStatus::TruncatedHeader;
    const uint8_t* info = data + kFileHeaderSize;
    if (h->infoSize == kCoreHeaderSize)
        ReadCoreHeader(info, h);
    else
        ReadInfoHeader(info, h);
    // The longer headers hold the masks; a 40-byte one is followed by them.
    if (h->infoSize == kInfoHeaderSize && h->compression == kBiBitFields) h->end += kMaskBytes;
    if (size < h->end) return BmpStatus::TruncatedHeader;
    return BmpStatus::Ok;
}

BmpStatus CheckFormat(const Header& h) {
    switch (h.compression) {
    case kBiRgb:
    case kBiBitFields: break;
    case kBiRle8: return BmpStatus::Rle8;
    case kBiRle4: return BmpStatus::Rle4;
    case kBiJpeg: return BmpStatus::Jpeg;
    case kBiPng: return BmpStatus::Png;
    default: return BmpStatus::OtherCompression;
    }
    switch (h.bitCount) {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32: break;
    default: return BmpStatus::BadBitCount;
    }
    if (h.compression == kBiBitFields && h.bitCount != 16 && h.bitCount != 32) return BmpStatus::MasksOnWrongDepth;
    const int64_t height = h.height < 0 ? -h.height : h.height;
    if (h.width < 1 || h.width > kBmpMaxSide || height < 1 || height > kBmpMaxSide) return BmpStatus::BadSize;
    if (h.bitCount <= 8 && h.coloursUsed > (1u << h.bitCount)) return BmpStatus::TooManyColours;
    return BmpStatus::Ok;
}

// One colour channel of a 16- or 32-bit pixel. A field of fewer than 8
// bits has them repeated until a byte is full (5-bit 31 gives 255, 1 gives
// 8), so white stays white; a wider one keeps its top 8 bits.
struct Channel {
    uint32_t mask = 0;
    int shift = 0;
    int bits = 0;
    std::array<uint8_t, 256> expanded{};  // fields of up to 8 bits

    uint8_t Of(uint32_t pixel) const {
        const uint32_t field = (pixel & mask) >> shift;
        return bits <= 8 ? expanded[field] : uint8_t(field >> (bits - 8));
    }
};

// False for a mask that is empty, has holes or reaches past the pixel.
bool MakeChannel(uint32_t mask, uint32_t bitCount, Channel* c) {
    if (mask == 0 || (bitCount == 16 && mask > 0xFFFF)) return false;
    c->mask = mask;
    while (((mask >> c->shift) & 1) == 0) ++c->shift;
    const uint64_t field = mask >> c->shift;
    if ((field & (field + 1)) != 0) return false;
    while ((field >> c->bits) != 0) ++c->bits;
    if (c->bits <= 8)
        for (uint32_t v = 0; v <= field; ++v) {
            uint32_t repeated = 0;
            int have = 0;
            for (; have < 8; have += c->bits) repeated = (repeated << c->bits) | v;
            c->expanded[v] = uint8_t(repeated >> (have - 8));
        }
    return true;
}

// Red, green, blue; without BI_BITFIELDS 16 bits are 5-5-5 and 32 bits are
// B, G, R and an unused byte.
bool MakeChannels(const uint8_t* data, const Header& h, Channel channels[3]) {
    uint32_t masks[3] = {0x7C00, 0x03E0, 0x001F};
    if (h.compression == kBiBitFields)
        for (int i = 0; i < 3; ++i) masks[i] = LeU32(data + kMasksAt + 4 * i);
    else if (h.bitCount == 32)
        masks[0] = 0xFF0000, masks[1] = 0x00FF00, masks[2] = 0x0000FF;
    for (int i = 0; i < 3; ++i)
        if (!MakeChannel(masks[i], h.bitCount, &channels[i])) return false;
    return true;
}

struct Palette {
    std::array<uint8_t, 256 * 3> rgb{};
    uint32_t size = 0;
};

// The colour table lies between the headers and the pixels. Writers may
// store fewer entries than the depth can index (OS/2 has no count at all),
// so it ends where the pixels begin.
Palette ReadPalette(const uint8_t* data, const Header& h, uint32_t offBits) {
    Palette palette;
    const size_t room = (offBits - h.end) / h.paletteEntryBytes;
    const size_t wanted = h.coloursUsed != 0 ? h.coloursUsed : size_t(1) << h.bitCount;
    palette.size = uint32_t(wanted < room ? wanted : room);
    for (uint32_t i = 0; i < palette.size; ++i) {
        const uint8_t* entry = data + h.end + i * h.paletteEntryBytes;
        palette.rgb[i * 3 + 0] = entry[2];
        palette.rgb[i * 3 + 1] = entry[1];
        palette.rgb[i * 3 + 2] = entry[0];
    }
    return palette;
}

// Indices of 1, 4 or 8 bits, the leftmost pixel in the high bits.
bool PaletteRow(const uint8_t* in, int64_t width, uint32_t bits, const Palette& palette, uint8_t* out) {
    const uint32_t indexMask = (1u << bits) - 1;
    for (int64_t x = 0; x < width; ++x, out += 3) {
        const uint64_t bit = uint64_t(x) * bits;
        const uint32_t index = (in[bit / 8] >> (8 - bits - bit % 8)) & indexMask;
        if (index >= palette.size) return false;
        std::memcpy(out, &palette.rgb[index * 3], 3);
    }
    return true;
}

// B, G, R to R, G, B.
void Rgb24Row(const uint8_t* in, int64_t width, uint8_t* out) {
    for (int64_t x = 0; x < width; ++x, in += 3, out += 3) {
        out[0] = in[2];
        out[1] = in[1];
        out[2] = in[0];
    }
}

void MaskedRow(const uint8_t* in, int64_t width, int pixelBytes, const Channel channels[3], uint8_t* out) {
    for (int64_t x = 0; x < width; ++x, in += pixelBytes, out += 3) {
        const uint32_t pixel = LeUnsigned(in, pixelBytes);
        for (int i = 0; i < 3; ++i) out[i] = channels[i].Of(pixel);
    }
}

BmpStatus Decode(const uint8_t* data, size_t size, BmpImage* image) {
    if (size < 2 || data[0] != 'B' || data[1] != 'M') return BmpStatus::NotBmp;
    Header h;
    BmpStatus status = ReadHeader(data, size, &h);
    if (status == BmpStatus::Ok) status = CheckFormat(h);
    if (status != BmpStatus::Ok) return status;
    const uint32_t offBits = LeU32(data + 10);
    if (offBits < h.end) return BmpStatus::BadOffset;

    // biSizeImage is neither needed nor trusted (0 is legal, writers get it
    // wrong): the extent follows from the dimensions. The last row's padding
    // may be missing without losing a pixel.
    const bool topDown = h.height < 0;
    const int64_t width = h.width;
    const int64_t height = topDown ? -h.height : h.height;
    const uint64_t rowBytes = (uint64_t(width) * h.bitCount + 7) / 8;
    const uint64_t stride = (rowBytes + 3) & ~uint64_t(3);
    const uint64_t needed = stride * uint64_t(height - 1) + rowBytes;
    if (uint64_t(offBits) > size || needed > uint64_t(size) - offBits) return BmpStatus::TruncatedPixels;

    Channel channels[3];
    if ((h.bitCount == 16 || h.bitCount == 32) && !MakeChannels(data, h, channels)) return BmpStatus::BadMask;
    Palette palette;
    if (h.bitCount <= 8) palette = ReadPalette(data, h, offBits);

    const uint64_t outRowBytes = uint64_t(width) * 3;
    std::vector<uint8_t> pixels(size_t(outRowBytes * uint64_t(height)));
    const uint8_t* src = data + offBits;
    for (int64_t row = 0; row < height; ++row) {
        const int64_t stored = topDown ? height - 1 - row : row;
        const uint8_t* in = src + uint64_t(stored) * stride;
        uint8_t* out = pixels.data() + uint64_t(row) * outRowBytes;
        if (h.bitCount <= 8) {
            if (!PaletteRow(in, width, h.bitCount, palette, out)) return BmpStatus::BadColourIndex;
        } else if (h.bitCount == 24) {
            Rgb24Row(in, width, out);
        } else {
            MaskedRow(in, width, int(h.bitCount / 8), channels, out);
        }
    }
    image->width = int32_t(width);
    image->height = int32_t(height);
    image->pixels = std::move(pixels);
    return BmpStatus::Ok;
}

}  // namespace

const char* BmpStatusText(BmpStatus status) {
    switch (status) {
    case BmpStatus::Ok: return "ok";
    case BmpStatus::NotBmp: return "not a BMP file";
    case BmpStatus::TruncatedHeader: return "truncated header";
    case BmpStatus::UnknownHeaderSize: return "unknown BMP header size";
    case BmpStatus::Os2v2Header: return "OS/2 2.x BMP is not supported";
    case BmpStatus::Rle8: return "8-bit RLE-compressed BMP is not supported";
    case BmpStatus::Rle4: return "4-bit RLE-compressed BMP is not supported";
    case BmpStatus::Jpeg: return "JPEG-compressed BMP is not supported";
    case BmpStatus::Png: return "PNG-compressed BMP is not supported";
    case BmpStatus::OtherCompression: return "unknown BMP compression type";
    case BmpStatus::BadBitCount: return "BMP bit depth is not 1, 4, 8, 16, 24 or 32";
    case BmpStatus::MasksOnWrongDepth: return "colour masks on a BMP that is not 16- or 32-bit";
    case BmpStatus::BadMask: return "colour mask empty, split or wider than a pixel";
    case BmpStatus::BadSize: return "image size out of range";
    case BmpStatus::BadOffset: return "pixel data starts inside the header";
    case BmpStatus::TooManyColours: return "more palette colours than the bit depth can index";
    case BmpStatus::BadColourIndex: return "pixel colour index beyond the palette";
    case BmpStatus::TruncatedPixels: return "truncated pixel data";
    case BmpStatus::OutOfMemory: return "out of memory";
    }
    return "unknown error";
}

BmpStatus DecodeBmp(const uint8_t* data, size_t size, BmpImage* image) {
    *image = BmpImage();
    BmpStatus status;
    try {
        status = Decode(data, size, image);
    } catch (const std::bad_alloc&) {
        status = BmpStatus::OutOfMemory;
    }
    if (status != BmpStatus::Ok) *image = BmpImage();
    return status;
}
