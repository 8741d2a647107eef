// Helpers for the scenery tests: BMP files built byte by byte (so hostile
// headers can be written on purpose) and reading back what GL drew.
#pragma once

#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

struct Rgb {
    uint8_t r, g, b;
};

struct BmpOptions {
    uint16_t bitCount = 24;
    uint32_t compression = 0;
    uint32_t infoSize = 40;
    bool topDown = false;     // negative biHeight, first stored row is the top
    int64_t sizeImage = -1;   // -1: the true pixel byte count
    uint8_t padByte = 0xEE;   // row fill, so leaking padding shows
};

inline void PutU16(std::vector<uint8_t>& out, size_t at, uint32_t v) {
    out[at] = uint8_t(v);
    out[at + 1] = uint8_t(v >> 8);
}
inline void PutU32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) out[at + i] = uint8_t(v >> (8 * i));
}

// pixel(x, row) gives the colour of stored row `row` (file order).
inline std::vector<uint8_t> MakeBmp(int width, int height, const std::function<Rgb(int, int)>& pixel,
                                    const BmpOptions& o = BmpOptions()) {
    const size_t rowBytes = size_t(width) * 3;
    const size_t stride = (rowBytes + 3) & ~size_t(3);
    const size_t offBits = 14 + o.infoSize;
    std::vector<uint8_t> out(offBits + stride * size_t(height), 0);
    out[0] = 'B';
    out[1] = 'M';
    PutU32(out, 2, uint32_t(out.size()));
    PutU32(out, 10, uint32_t(offBits));
    PutU32(out, 14, o.infoSize);
    PutU32(out, 18, uint32_t(width));
    PutU32(out, 22, uint32_t(o.topDown ? -height : height));
    PutU16(out, 26, 1);
    PutU16(out, 28, o.bitCount);
    PutU32(out, 30, o.compression);
    PutU32(out, 34, uint32_t(o.sizeImage < 0 ? stride * size_t(height) : size_t(o.sizeImage)));
    for (int row = 0; row < height; ++row) {
        uint8_t* p = out.data() + offBits + size_t(row) * stride;
        for (int x = 0; x < width; ++x) {
            const Rgb c = pixel(x, row);
            p[x * 3 + 0] = c.b;
            p[x * 3 + 1] = c.g;
            p[x * 3 + 2] = c.r;
        }
        for (size_t i = rowBytes; i < stride; ++i) p[i] = o.padByte;
    }
    return out;
}

inline std::vector<uint8_t> SolidBmp(int width, int height, Rgb colour) {
    return MakeBmp(width, height, [colour](int, int) { return colour; });
}

inline void WriteBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    ASSERT_TRUE(out.good()) << path;
}

struct Pixel {
    int r, g, b;
};

inline Pixel ReadPixel(int x, int y) {
    uint8_t p[4] = {};
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
    return {p[0], p[1], p[2]};
}

inline std::vector<uint8_t> ReadFrame() {
    std::vector<uint8_t> frame(800 * 600 * 4);
    glReadPixels(0, 0, 800, 600, GL_RGBA, GL_UNSIGNED_BYTE, frame.data());
    return frame;
}

// Window position of a world point under the current matrices.
inline void Project(float x, float y, float z, int* wx, int* wy) {
    GLdouble mv[16], pr[16], ox, oy, oz;
    GLint vp[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, mv);
    glGetDoublev(GL_PROJECTION_MATRIX, pr);
    glGetIntegerv(GL_VIEWPORT, vp);
    gluProject(x, y, z, mv, pr, vp, &ox, &oy, &oz);
    *wx = int(ox);
    *wy = int(oy);
}
