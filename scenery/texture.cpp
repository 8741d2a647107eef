// Texture loading: the file is read whole (with a size cap), decoded by
// DecodeBmp and uploaded with its mipmaps.
#include "scenery/texture.h"

#include <GL/gl.h>

#include <cstring>
#include <new>
#include <vector>

#include "core/asset_file.h"
#include "gl/gl_compat.h"
#include "gl/gl_state.h"

namespace {

// Above the largest acceptable image (8192 x 8192 at 32 bits a pixel is
// 256 MiB) with room for its headers and colour table.
constexpr size_t kMaxFileBytes = size_t(257) << 20;

}  // namespace

bool ReadBmp(const std::string& path, BmpImage* image, std::string* reason) {
    *image = BmpImage();
    std::vector<uint8_t> bytes;
    if (ReadAssetFile(path, kMaxFileBytes, &bytes, reason) != AssetRead::Ok) return false;
    const BmpStatus status = DecodeBmp(bytes.data(), bytes.size(), image);
    if (status != BmpStatus::Ok) {
        *reason = BmpStatusText(status);
        return false;
    }
    return true;
}

bool Texture::Load(const std::string& path) {
    Release();
    BmpImage image;
    std::string reason;
    if (!ReadBmp(path, &image, &reason)) {
        ReportAssetProblem(path, reason);
        return false;
    }
    std::unique_ptr<uint8_t[]> buffer(new (std::nothrow) uint8_t[image.pixels.size()]);
    if (!buffer) {
        ReportAssetProblem(path, BmpStatusText(BmpStatus::OutOfMemory));
        return false;
    }
    std::memcpy(buffer.get(), image.pixels.data(), image.pixels.size());

    GLuint name = 0;
    glGenTextures(1, &name);
    textureId = name;
    glBindTexture(GL_TEXTURE_2D, textureId);
    SetTextureFilter(GL_LINEAR);
    SetTextureWrap(kClampWrap);
    if (!UploadRgbTexture(image.width, image.height, buffer.get(), &reason)) {
        ReportAssetProblem(path, reason);
        return false;
    }
    pixels = std::move(buffer);
    width = image.width;
    height = image.height;
    loaded = true;
    return true;
}

void Texture::Release() {
    pixels.reset();
    loaded = false;
}

void Texture::ClampToEdge() const {
    if (!loaded) return;
    glBindTexture(GL_TEXTURE_2D, textureId);
    SetTextureWrap(GL_CLAMP_TO_EDGE);
}

void Texture::Bind() const { glBindTexture(GL_TEXTURE_2D, textureId != 0 ? textureId : WhiteTexture()); }
