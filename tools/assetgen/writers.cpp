#include "writers.h"

bool WriteBmp(const std::string& path, const Image& image) {
    const uint32_t rowBytes = (uint32_t(image.width) * 3 + 3) & ~3u;
    const uint32_t imageBytes = rowBytes * uint32_t(image.height);
    std::vector<uint8_t> out;
    out.reserve(54 + imageBytes);
    out.push_back('B');
    out.push_back('M');
    PutU32(out, 54 + imageBytes);  // bfSize
    PutU32(out, 0);                // reserved
    PutU32(out, 54);               // bfOffBits
    PutU32(out, 40);               // biSize
    PutI32(out, image.width);
    PutI32(out, image.height);     // positive: bottom-up rows
    PutU16(out, 1);                // planes
    PutU16(out, 24);               // bits per pixel
    PutU32(out, 0);                // BI_RGB
    PutU32(out, imageBytes);
    PutI32(out, 2835);             // 72 dpi
    PutI32(out, 2835);
    PutU32(out, 0);
    PutU32(out, 0);
    for (int y = image.height - 1; y >= 0; --y) {
        for (int x = 0; x < image.width; ++x) {
            const Rgb& p = image.At(x, y);
            out.push_back(p.b);
            out.push_back(p.g);
            out.push_back(p.r);
        }
        for (uint32_t pad = uint32_t(image.width) * 3; pad < rowBytes; ++pad) out.push_back(0);
    }
    return WriteFile(path, out);
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
    PutU32(out, 16);                       // fmt chunk size
    PutU16(out, 1);                        // PCM
    PutU16(out, 1);                        // mono
    PutU32(out, uint32_t(sampleRate));
    PutU32(out, uint32_t(sampleRate) * 2); // byte rate
    PutU16(out, 2);                        // block align
    PutU16(out, 16);                       // bits per sample
    const char* data = "data";
    out.insert(out.end(), data, data + 4);
    PutU32(out, dataBytes);
    for (int16_t s : samples) PutU16(out, uint16_t(s));
    return WriteFile(path, out);
}
