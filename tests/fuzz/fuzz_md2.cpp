// libFuzzer target for the MD2 decoder. Beyond "no sanitizer report", an
// accepted model must have array sizes that match its header within the
// limits, every triangle index inside its array, finite vertices, and
// keyframe 40's first vertex decoded from the file's own bytes with the
// third axis up; a refused one must leave the arrays empty.
#include <cmath>
#include <cstdint>

#include "core/little_endian.h"
#include "fuzz_check.h"
#include "monsters/md2.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Md2Model model;
    const Md2Status status = DecodeMd2(data, size, &model);
    if (status != Md2Status::Ok) {
        Check(model.triangles.empty() && model.texCoords.empty() && model.vertices.empty());
        Check(Md2StatusText(status)[0] != '\0');
        return 0;
    }
    const Md2Header& h = model.header;
    Check(h.version == kMd2Version);
    Check(h.num_frames >= kMd2MinFrames && h.num_frames <= kMd2MaxFrames);
    Check(h.num_tris >= 1 && h.num_tris <= kMd2MaxTriangles);
    Check(h.num_xyz >= 1 && h.num_xyz <= kMd2MaxVertices);
    Check(model.triangles.size() == size_t(h.num_tris));
    Check(model.texCoords.size() == size_t(h.num_st));
    Check(model.vertices.size() == size_t(h.num_frames) * size_t(h.num_xyz));
    for (const Md2Triangle& t : model.triangles)
        for (int c = 0; c < 3; ++c) Check(t.index_xyz[c] < h.num_xyz && t.index_st[c] < h.num_st);
    for (const Vector3& v : model.vertices) Check(std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z));

    const size_t frame = size_t(h.ofs_frames) + 40 * size_t(h.framesize);
    Check(frame + 44 <= size);
    const uint8_t* b = data + frame + 40;
    const Vector3& v = model.vertices[40 * size_t(h.num_xyz)];
    Check(v.x == float(b[0]) * LeF32(data + frame) + LeF32(data + frame + 12));
    Check(v.y == float(b[2]) * LeF32(data + frame + 8) + LeF32(data + frame + 20));
    Check(v.z == float(b[1]) * LeF32(data + frame + 4) + LeF32(data + frame + 16));
    return 0;
}
