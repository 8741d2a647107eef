// Textures loaded from BMP files: the pixels stay in memory after the
// mipmapped upload (the terrain reads its heights from them). A file that
// cannot be used leaves the Texture empty and is reported once on stderr;
// Bind() then binds the white default, which draws in the current colour.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "core/asset_file.h"
#include "scenery/bmp.h"

class Texture {
public:
    uint32_t textureId = 0;  // GL name, made by a successful Load
    // width * height * 3 bytes, R,G,B, bottom row first, rows unpadded.
    std::unique_ptr<uint8_t[]> pixels;
    int32_t width = 0;
    int32_t height = 0;
    bool loaded = false;

    // Reads the file, keeps its pixels, makes a mipmapped GL texture with
    // linear filtering and clamped wrapping, and leaves it bound. Any image
    // held before is released first. False (and an empty Texture) when the
    // file is missing or not a usable BMP; GL is not touched then.
    bool Load(const std::string& path);
    // Frees the pixels; the GL texture object and textureId stay.
    void Release();
    // Binds the image, or the white default when there is none.
    void Bind() const;
    // GL_CLAMP blends the black border colour into the outermost half
    // texel: a dark line where a stretched or tiled image meets its edge.
    // Edge clamping (GL 1.2, which every driver has) repeats the edge texels.
    void ClampToEdge() const;
};

// Reads and decodes a BMP file. On failure returns false and sets *reason to
// a short description, e.g. "cannot open (No such file or directory)".
bool ReadBmp(const std::string& path, BmpImage* image, std::string* reason);
