// The picture and sound file writers shared by the generators.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/bytes.h"

// A pixel as the generators build it; rows are given top row first.
struct Rgb {
    uint8_t r, g, b;
};

struct Image {
    int width = 0;
    int height = 0;
    std::vector<Rgb> pixels;  // width * height, top row first

    Image(int w, int h) : width(w), height(h), pixels(size_t(w) * size_t(h), Rgb{0, 0, 0}) {}
    Rgb& At(int x, int y) { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
    const Rgb& At(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
};

// 24-bit uncompressed, bottom-up, rows padded to four bytes.
bool WriteBmp(const std::string& path, const Image& image);

// 16-bit signed mono PCM.
bool WriteWav(const std::string& path, const std::vector<int16_t>& samples, int sampleRate);
