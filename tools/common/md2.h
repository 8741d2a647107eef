// Writing MD2 model files (version 8) from records already in the file's
// own terms; the header's counts, sizes and offsets follow from them.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

struct RawMd2 {
    int32_t skinWidth = 0, skinHeight = 0;
    std::vector<std::string> skins;  // at most 63 characters each

    struct TexCoord {
        int16_t s, t;
    };
    struct Triangle {
        uint16_t xyz[3], st[3];
    };
    struct Frame {
        float scale[3] = {1, 1, 1}, translate[3] = {0, 0, 0};  // file axes, the third up
        std::string name;                                      // at most 15 characters
        std::vector<std::array<uint8_t, 4>> vertices;          // x, y, z and the normal's index
    };

    std::vector<TexCoord> texCoords;
    std::vector<Triangle> triangles;
    std::vector<Frame> frames;        // the first one's vertex count is the header's
    std::vector<uint8_t> glCommands;  // as stored, four bytes a word, with its closing 0 if any
};

// Header, skins, texture coordinates, triangles, frames, GL commands.
std::vector<uint8_t> BuildMd2(const RawMd2& model);
