#include "common/md2.h"

#include <algorithm>
#include <cstring>

#include "common/bytes.h"

namespace {

// A name in a zeroed field of `bytes`, keeping its last byte 0.
void PutName(std::vector<uint8_t>& out, const std::string& name, size_t bytes) {
    out.resize(out.size() + bytes, 0);
    std::memcpy(&out[out.size() - bytes], name.data(), std::min(name.size(), bytes - 1));
}

}  // namespace

std::vector<uint8_t> BuildMd2(const RawMd2& m) {
    const int32_t numXyz = m.frames.empty() ? 0 : int32_t(m.frames.front().vertices.size());
    std::vector<uint8_t> out(68, 0);  // the header, written last
    const size_t ofsSkins = out.size();
    for (const std::string& skin : m.skins) PutName(out, skin, 64);
    const size_t ofsSt = out.size();
    for (const RawMd2::TexCoord& c : m.texCoords) {
        PutU16(out, uint16_t(c.s));
        PutU16(out, uint16_t(c.t));
    }
    const size_t ofsTris = out.size();
    for (const RawMd2::Triangle& t : m.triangles) {
        for (uint16_t i : t.xyz) PutU16(out, i);
        for (uint16_t i : t.st) PutU16(out, i);
    }
    const size_t ofsFrames = out.size();
    for (const RawMd2::Frame& f : m.frames) {
        for (float v : f.scale) PutF32(out, v);
        for (float v : f.translate) PutF32(out, v);
        PutName(out, f.name, 16);
        for (const std::array<uint8_t, 4>& v : f.vertices) out.insert(out.end(), v.begin(), v.end());
    }
    const size_t ofsGl = out.size();
    out.insert(out.end(), m.glCommands.begin(), m.glCommands.end());
    std::vector<uint8_t> header = {'I', 'D', 'P', '2'};
    for (size_t v : {size_t(8), size_t(m.skinWidth), size_t(m.skinHeight), size_t(40 + 4 * numXyz), m.skins.size(),
                     size_t(numXyz), m.texCoords.size(), m.triangles.size(), m.glCommands.size() / 4, m.frames.size(),
                     ofsSkins, ofsSt, ofsTris, ofsFrames, ofsGl, out.size()})
        PutU32(header, uint32_t(v));
    std::copy(header.begin(), header.end(), out.begin());
    return out;
}
