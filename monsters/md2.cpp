// MD2 decoding from memory. Pure: no files, no GL, so the fuzzer links
// just this file.
#include "monsters/md2.h"

#include <cmath>
#include <cstring>
#include <new>

#include "core/little_endian.h"

namespace {

// 64-bit sums: no count or offset the header can hold overflows them.
bool Inside(size_t size, int32_t offset, int64_t count, int64_t recordBytes) {
    return offset >= 0 && uint64_t(offset) + uint64_t(count) * uint64_t(recordBytes) <= uint64_t(size);
}

bool InRange(int32_t value, int32_t low, int32_t high) { return value >= low && value <= high; }

Md2Status Decode(const uint8_t* data, size_t size, Md2Model* model) {
    if (size < kMd2HeaderBytes) return Md2Status::TruncatedHeader;
    Md2Header& h = model->header;
    int32_t* fields[] = {&h.ident,   &h.version,  &h.skinwidth,  &h.skinheight, &h.framesize,  &h.num_skins,
                         &h.num_xyz, &h.num_st,   &h.num_tris,   &h.num_glcmds, &h.num_frames, &h.ofs_skins,
                         &h.ofs_st,  &h.ofs_tris, &h.ofs_frames, &h.ofs_glcmds, &h.ofs_end};
    for (size_t i = 0; i < sizeof fields / sizeof fields[0]; ++i) *fields[i] = LeI32(data + 4 * i);

    if (h.version != kMd2Version) return Md2Status::BadVersion;
    if (!InRange(h.num_xyz, 1, kMd2MaxVertices) || !InRange(h.num_st, 1, kMd2MaxTexCoords) ||
        !InRange(h.num_tris, 1, kMd2MaxTriangles) || !InRange(h.num_frames, 0, kMd2MaxFrames))
        return Md2Status::BadCount;
    if (h.num_frames < kMd2MinFrames) return Md2Status::TooFewFrames;
    const int64_t vertexBytes = int64_t(h.num_xyz) * 4;
    if (h.framesize < kMd2FrameHeaderBytes + vertexBytes) return Md2Status::BadFrameSize;
    if (!Inside(size, h.ofs_st, h.num_st, 4) || !Inside(size, h.ofs_tris, h.num_tris, 12) ||
        !Inside(size, h.ofs_frames, h.num_frames, h.framesize))
        return Md2Status::OutsideFile;

    model->texCoords.resize(size_t(h.num_st));
    for (int32_t i = 0; i < h.num_st; ++i) {
        const uint8_t* p = data + h.ofs_st + 4 * i;
        model->texCoords[size_t(i)].s = int16_t(LeU16(p));
        model->texCoords[size_t(i)].t = int16_t(LeU16(p + 2));
    }

    model->triangles.resize(size_t(h.num_tris));
    for (int32_t i = 0; i < h.num_tris; ++i) {
        const uint8_t* p = data + h.ofs_tris + 12 * i;
        Md2Triangle& tri = model->triangles[size_t(i)];
        for (int c = 0; c < 3; ++c) {
            tri.index_xyz[c] = LeU16(p + 2 * c);
            tri.index_st[c] = LeU16(p + 6 + 2 * c);
            if (tri.index_xyz[c] >= h.num_xyz || tri.index_st[c] >= h.num_st) return Md2Status::BadIndex;
        }
    }

    model->vertices.resize(size_t(h.num_frames) * size_t(h.num_xyz));
    Vector3* out = model->vertices.data();
    for (int32_t f = 0; f < h.num_frames; ++f) {
        const uint8_t* frame = data + size_t(h.ofs_frames) + size_t(f) * size_t(h.framesize);
        float scale[3], translate[3];
        for (int a = 0; a < 3; ++a) {
            scale[a] = LeF32(frame + 4 * a);
            translate[a] = LeF32(frame + 12 + 4 * a);
        }
        const uint8_t* v = frame + kMd2FrameHeaderBytes;
        for (int32_t j = 0; j < h.num_xyz; ++j, v += 4, ++out) {
            // The file's third axis is up.
            out->x = float(v[0]) * scale[0] + translate[0];
            out->y = float(v[2]) * scale[2] + translate[2];
            out->z = float(v[1]) * scale[1] + translate[1];
            if (!std::isfinite(out->x) || !std::isfinite(out->y) || !std::isfinite(out->z)) return Md2Status::BadVertex;
        }
    }
    return Md2Status::Ok;
}

}  // namespace

const char* Md2StatusText(Md2Status status) {
    switch (status) {
    case Md2Status::Ok: return "ok";
    case Md2Status::TruncatedHeader: return "truncated header";
    case Md2Status::BadVersion: return "unsupported MD2 version (not 8)";
    case Md2Status::BadCount: return "vertex, triangle, texture-coordinate or frame count out of range";
    case Md2Status::BadFrameSize: return "frame size too small for its vertices";
    case Md2Status::OutsideFile: return "records reach past the end of the file";
    case Md2Status::BadIndex: return "triangle index out of range";
    case Md2Status::TooFewFrames: return "fewer than 46 keyframes";
    case Md2Status::BadVertex: return "keyframe vertex is not a finite number";
    case Md2Status::OutOfMemory: return "out of memory";
    }
    return "unknown problem";
}

Md2Status DecodeMd2(const uint8_t* data, size_t size, Md2Model* model) {
    *model = Md2Model();
    Md2Status status;
    try {
        status = Decode(data, size, model);
    } catch (const std::bad_alloc&) {
        status = Md2Status::OutOfMemory;
    }
    if (status != Md2Status::Ok) {
        const Md2Header header = model->header;
        *model = Md2Model();
        model->header = header;
    }
    return status;
}
