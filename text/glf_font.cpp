// GLF reading, upload and string drawing. The file is read whole (up to the
// largest size a valid font can use), checked by ParseGlf and uploaded with
// glTexImage2D without mipmaps.
#include "text/glf_font.h"

#include <GL/gl.h>

#include <algorithm>

#include "core/asset_file.h"
#include "core/state.h"
#include "gl/gl_compat.h"
#include "gl/gl_state.h"

namespace {

constexpr size_t kMaxGlfBytes =
    kGlfHeaderBytes + 256 * kGlfGlyphBytes + size_t(kGlfMaxTextureSide) * size_t(kGlfMaxTextureSide) * 2;

}  // namespace

bool GlfFont::Load(const std::string& path, uint32_t textureName) {
    std::vector<uint8_t> bytes;
    std::string reason;
    const AssetRead read = ReadAssetFile(path, kMaxGlfBytes, &bytes, &reason);
    if (read != AssetRead::Ok) {
        // A missing file leaves the font as it was; an unusable one empties it.
        if (read == AssetRead::Failed) Release();
        ReportAssetProblem(path, reason);
        return false;
    }
    Release();
    GlfFile parsed;
    const GlfStatus status = ParseGlf(bytes.data(), bytes.size(), &parsed);
    if (status != GlfStatus::Ok) {
        ReportAssetProblem(path, GlfStatusText(status));
        return false;
    }
    GLint maxSide = kGlfMaxTextureSide;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSide);
    if (parsed.texWidth > maxSide || parsed.texHeight > maxSide) {
        ReportAssetProblem(path, "texture larger than GL allows");
        return false;
    }

    // Earlier errors are not ours to report; drop them so the check below
    // sees only the upload.
    for (int i = 0; i < 32 && glGetError() != GL_NO_ERROR; ++i) {
    }
    glBindTexture(GL_TEXTURE_2D, textureName);
    SetTextureWrap(kClampWrap);
    SetTextureFilter(GL_LINEAR);
    if (kAsksForFixedModes) glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    {
        // Rows are 2 * width bytes, unpadded.
        const UnpaddedRows unpadded;
        glTexImage2D(GL_TEXTURE_2D, 0, kLuminanceAlphaFormat, parsed.texWidth, parsed.texHeight, 0, GL_LUMINANCE_ALPHA,
                     GL_UNSIGNED_BYTE, parsed.texels);
    }
    // A GL 1.1 driver refuses sizes that are not powers of two.
    if (glGetError() != GL_NO_ERROR) {
        ReportAssetProblem(path, "texture upload failed");
        return false;
    }

    texName = textureName;
    texWidth = parsed.texWidth;
    texHeight = parsed.texHeight;
    firstChar = parsed.firstChar;
    lastChar = parsed.lastChar;
    glyphs = std::move(parsed.glyphs);
    return true;
}

void GlfFont::Begin() const {
    g_currentFont = glyphs.empty() ? nullptr : this;
    glBindTexture(GL_TEXTURE_2D, texName);
}

void GlfFont::End() { g_currentFont = nullptr; }

void GlfFont::DrawString(const char* text, float x, float y, float z) {
    const GlfFont* font = g_currentFont;
    if (!font) return;
    glBegin(GL_QUADS);
    for (const char* p = text; *p; ++p) {
        // Codes are signed bytes: 128..255 come out negative, with no glyph.
        const int index = int(static_cast<signed char>(*p)) - font->firstChar;
        if (index < 0 || size_t(index) >= font->glyphs.size()) continue;
        const GlfGlyph& g = font->glyphs[size_t(index)];
        glTexCoord2f(g.leftS, g.topT);
        glVertex3f(x, y, z);
        glTexCoord2f(g.leftS, g.bottomT);
        glVertex3f(x, y - g.height, z);
        glTexCoord2f(g.rightS, g.bottomT);
        glVertex3f(x + g.width, y - g.height, z);
        glTexCoord2f(g.rightS, g.topT);
        glVertex3f(x + g.width, y, z);
        x += g.width;
    }
    glEnd();
}

void GlfFont::Release() {
    glyphs.clear();
    glyphs.shrink_to_fit();
}
