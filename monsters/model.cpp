// A monster's model: loading the skin and the MD2 file, the collision box
// from keyframe 40, and releasing the arrays. Decoding, texture-coordinate
// normalisation and the box are all done once, here, at load.
#include "core/asset_file.h"
#include "monsters/monster.h"

namespace {

// Well above the largest model the limits allow (about 4.3 MB of frames).
constexpr size_t kMaxModelBytes = size_t(16) << 20;

}  // namespace

Monster::~Monster() { ReleaseModel(); }

bool Monster::LoadModel(const std::string& md2Path, const std::string& skinPath) {
    ReleaseModel();
    boundsMax = boundsMin = Vector3();
    boxHalfWidth = boxHalfHeight = 0.0f;
    // Each file the model gives up on is named, so a second broken file is
    // not hidden behind the first. Texture::Load reports its own problems.
    if (!skin.Load(skinPath)) {
        ReportAssetProblem(md2Path, std::string("not read: ") + skinPath + " failed");
        return false;
    }
    const auto giveUp = [&md2Path, &skinPath](const std::string& reason) {
        ReportAssetProblem(md2Path, reason);
        ReportAssetProblem(skinPath, "not used: " + md2Path + " failed");
        return false;
    };

    std::vector<uint8_t> bytes;
    std::string reason;
    if (ReadAssetFile(md2Path, kMaxModelBytes, &bytes, &reason) != AssetRead::Ok) return giveUp(reason);
    Md2Model model;
    const Md2Status status = DecodeMd2(bytes.data(), bytes.size(), &model);
    header = model.header;
    if (status != Md2Status::Ok) return giveUp(Md2StatusText(status));
    // The loaded bitmap's size, not the header's skinwidth and skinheight;
    // t is not flipped.
    texCoords.resize(model.texCoords.size());
    for (size_t i = 0; i < texCoords.size(); ++i) {
        texCoords[i].s = float(model.texCoords[i].s) / float(skin.width);
        texCoords[i].t = float(model.texCoords[i].t) / float(skin.height);
    }
    triangles = std::move(model.triangles);
    vertices = std::move(model.vertices);
    static const int kCornerOrder[3] = {0, 2, 1};
    for (const Md2Triangle& tri : triangles) {
        for (int c : kCornerOrder) {
            cornerVertices.push_back(tri.index_xyz[c]);
            cornerTexCoords.push_back(texCoords[tri.index_st[c]]);
        }
    }
    cornerPositions_.resize(cornerVertices.size());
    laidOutKeyframe_ = -1;
    ComputeBounds();
    return true;
}

void Monster::ComputeBounds() {
    boundsMax = boundsMin = Vector3();
    boxHalfWidth = boxHalfHeight = 0.0f;
    if (!HasModel() || header.num_frames <= kBoundsKeyframe) return;
    const Vector3* frame = vertices.data() + size_t(kBoundsKeyframe) * size_t(header.num_xyz);
    for (const Md2Triangle& tri : triangles) {
        for (uint16_t index : tri.index_xyz) {
            const Vector3& v = frame[index];
            // The box starts at the origin, so it always contains it.
            if (v.x > boundsMax.x) boundsMax.x = v.x;
            if (v.y > boundsMax.y) boundsMax.y = v.y;
            if (v.z > boundsMax.z) boundsMax.z = v.z;
            if (v.x < boundsMin.x) boundsMin.x = v.x;
            if (v.y < boundsMin.y) boundsMin.y = v.y;
            if (v.z < boundsMin.z) boundsMin.z = v.z;
        }
    }
    // The height less 20 (not half of it) is the game's tuning.
    boxHalfHeight = (boundsMax.y - boundsMin.y) - 20.0f;
    const float sizeX = boundsMax.x - boundsMin.x;
    const float sizeZ = boundsMax.z - boundsMin.z;
    boxHalfWidth = 0.5f * (sizeX < sizeZ ? sizeX : sizeZ);
}

void Monster::ReleaseModel() {
    skin.Release();
    // Swapped with empties so the memory really goes.
    std::vector<Md2Triangle>().swap(triangles);
    std::vector<Vector3>().swap(vertices);
    std::vector<Md2Uv>().swap(texCoords);
    std::vector<uint16_t>().swap(cornerVertices);
    std::vector<Md2Uv>().swap(cornerTexCoords);
    std::vector<Vector3>().swap(cornerPositions_);
    laidOutKeyframe_ = -1;
}
