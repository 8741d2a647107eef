// The MD2 keyframe model file, decoded from memory. Every count, offset and
// index is checked against the bytes before it is used, so a damaged or
// hostile file is refused with a reason instead of read out of bounds. The
// ident is kept but not compared: those checks already make a foreign one
// harmless, and some exporters write their own. No file I/O and no GL here:
// tests and the fuzzer feed it arbitrary bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "camera/vector3.h"

// The seventeen little-endian header fields, in file order.
struct Md2Header {
    int32_t ident = 0;
    int32_t version = 0;
    int32_t skinwidth = 0;
    int32_t skinheight = 0;
    int32_t framesize = 0;
    int32_t num_skins = 0;
    int32_t num_xyz = 0;
    int32_t num_st = 0;
    int32_t num_tris = 0;
    int32_t num_glcmds = 0;
    int32_t num_frames = 0;
    int32_t ofs_skins = 0;
    int32_t ofs_st = 0;
    int32_t ofs_tris = 0;
    int32_t ofs_frames = 0;
    int32_t ofs_glcmds = 0;
    int32_t ofs_end = 0;
};

struct Md2Triangle {
    uint16_t index_xyz[3] = {0, 0, 0};
    uint16_t index_st[3] = {0, 0, 0};
};

// Skin-pixel texture coordinates as stored.
struct Md2TexCoord {
    int16_t s = 0;
    int16_t t = 0;
};

constexpr size_t kMd2HeaderBytes = 68;
constexpr int32_t kMd2Version = 8;
constexpr int32_t kMd2MaxTriangles = 4096;
constexpr int32_t kMd2MaxVertices = 2048;
constexpr int32_t kMd2MaxFrames = 512;
// Every triangle corner with its own pair is the most a model can use.
constexpr int32_t kMd2MaxTexCoords = 3 * kMd2MaxTriangles;
// The idle animation shows keyframes 1 to 6, hunting 40 to 45, and the
// collision box comes from keyframe 40.
constexpr int32_t kMd2MinFrames = 46;
constexpr int32_t kMd2FrameHeaderBytes = 40;

enum class Md2Status {
    Ok,
    TruncatedHeader,
    BadVersion,
    BadCount,      // negative, over the limits, or no triangles
    BadFrameSize,  // smaller than 40 + 4 bytes per vertex
    OutsideFile,   // a record array reaches past the end of the bytes
    BadIndex,      // a triangle names a vertex or pair that does not exist
    TooFewFrames,
    BadVertex,  // a keyframe decodes to a non-finite coordinate
    OutOfMemory,
};

const char* Md2StatusText(Md2Status status);

struct Md2Model {
    Md2Header header;
    std::vector<Md2Triangle> triangles;
    std::vector<Md2TexCoord> texCoords;
    // num_frames * num_xyz, keyframe after keyframe, in game axes: the
    // file's third axis is up (y), its second is z.
    std::vector<Vector3> vertices;
};

// On anything but Ok, *model is left empty except that the header holds
// what could be read of it.
Md2Status DecodeMd2(const uint8_t* data, size_t size, Md2Model* model);
