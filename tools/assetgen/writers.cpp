#include "writers.h"

#include "common/bmp.h"

bool WriteBmp(const std::string& path, const Image& image) {
    RawBmp bmp;
    bmp.width = image.width;
    bmp.height = image.height;  // positive: bottom-up rows
    bmp.bitCount = 24;
    bmp.pixelsPerMetre = 2835;  // 72 dpi
    bmp.rows =
        Bmp24Rows(image.width, image.height, [&image](int x, int row) { return image.At(x, image.height - 1 - row); });
    return WriteFile(path, BuildBmp(bmp));
}

bool WriteWav(const std::string& path, const std::vector<int16_t>& samples, int sampleRate) {
    const uint32_t dataBytes = uint32_t(samples.size()) * 2;
    std::vector<uint8_t> out;
    out.reserve(44 + dataBytes);
    const char* riff = "RIFF";
    out.insert(out.end(), riff, riff + 4);
    PutU32(out, 36 + dataBytes);
    const char* wavefmt = "WAVEfmt ";
    out.insert(out.end(), wavefmt, wavefmt + 8);
    PutU32(out, 16);  // fmt chunk size
    PutU16(out, 1);   // PCM
    PutU16(out, 1);   // mono
    PutU32(out, uint32_t(sampleRate));
    PutU32(out, uint32_t(sampleRate) * 2);  // byte rate
    PutU16(out, 2);                         // block align
    PutU16(out, 16);                        // bits per sample
    const char* data = "data";
    out.insert(out.end(), data, data + 4);
    PutU32(out, dataBytes);
    for (int16_t s : samples) PutU16(out, uint16_t(s));
    return WriteFile(path, out);
}
