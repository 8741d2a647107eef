#include "common/png.h"

#include <algorithm>

#include "common/bytes.h"

namespace {

uint32_t Crc32(const uint8_t* data, size_t size) {
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return crc ^ 0xFFFFFFFFu;
}

uint32_t Adler32(const std::vector<uint8_t>& data) {
    uint32_t a = 1, b = 0;
    for (uint8_t byte : data) {
        a = (a + byte) % 65521u;
        b = (b + a) % 65521u;
    }
    return (b << 16) | a;
}

void PutChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
    PutU32BigEndian(out, uint32_t(data.size()));
    const size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    PutU32BigEndian(out, Crc32(out.data() + start, out.size() - start));
}

}  // namespace

std::vector<uint8_t> EncodePng(int width, int height, int channels, const std::vector<uint8_t>& pixels) {
    const size_t rowBytes = size_t(width) * size_t(channels);
    std::vector<uint8_t> raw;
    raw.reserve((rowBytes + 1) * size_t(height));
    for (int y = 0; y < height; ++y) {
        raw.push_back(0);  // filter: none
        const auto row = pixels.begin() + long(size_t(y) * rowBytes);
        raw.insert(raw.end(), row, row + long(rowBytes));
    }
    std::vector<uint8_t> z = {0x78, 0x01};
    for (size_t at = 0;;) {
        const size_t len = std::min<size_t>(65535, raw.size() - at);
        const bool last = at + len == raw.size();
        z.push_back(last ? 1 : 0);
        PutU16(z, uint16_t(len));
        PutU16(z, uint16_t(~len));
        z.insert(z.end(), raw.begin() + long(at), raw.begin() + long(at + len));
        at += len;
        if (last) break;
    }
    PutU32BigEndian(z, Adler32(raw));

    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> header;
    PutU32BigEndian(header, uint32_t(width));
    PutU32BigEndian(header, uint32_t(height));
    const uint8_t colourType = channels == 4 ? 6 : 2;       // RGBA or RGB
    header.insert(header.end(), {8, colourType, 0, 0, 0});  // 8 bits a sample, no interlace
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", z);
    PutChunk(png, "IEND", {});
    return png;
}
