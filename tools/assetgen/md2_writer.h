// A keyframe model as MD2 bytes: vertices quantised per frame, normals
// matched to the format's table, and the file laid out by common/md2.h.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/maths.h"

struct Md2Source {
    std::string skinName;  // the one skin entry, at most 63 characters
    int skinWidth = 0, skinHeight = 0;

    struct TexCoord {
        int s, t;  // texels; t counts up from the skin's bottom row
    };
    struct Triangle {
        int xyz[3], st[3];  // corners turning clockwise seen from outside
    };
    struct Frame {
        std::string name;            // at most 15 characters
        std::vector<Vec3> vertices;  // the same count in every frame
    };
    struct Corner {
        int xyz, st;
    };

    std::vector<TexCoord> texCoords;
    std::vector<Triangle> triangles;
    // Vertices in the game's axes (y up); the file stores (x, z, y), each
    // axis quantised to a byte over the frame's own bounds.
    std::vector<Frame> frames;
    // Triangle strips for the file's GL command list.
    std::vector<std::vector<Corner>> strips;
};

std::vector<uint8_t> EncodeMd2(const Md2Source& model);
