// GLF parsing: every length is checked against the header's promises
// before anything is copied.
#include "text/glf_file.h"

#include <cstring>

#include "core/little_endian.h"

const char* GlfStatusText(GlfStatus status) {
    switch (status) {
    case GlfStatus::Ok: return "ok";
    case GlfStatus::TruncatedHeader: return "truncated header";
    case GlfStatus::BadTextureSize: return "bad texture size";
    case GlfStatus::BadCharRange: return "bad character range";
    case GlfStatus::TruncatedGlyphs: return "truncated glyph table";
    case GlfStatus::TruncatedTexels: return "truncated texture data";
    }
    return "unknown error";
}

GlfStatus ParseGlf(const uint8_t* data, size_t size, GlfFile* file) {
    *file = GlfFile();
    if (size < kGlfHeaderBytes) return GlfStatus::TruncatedHeader;
    const int32_t texWidth = LeI32(data + 4), texHeight = LeI32(data + 8);
    const int32_t firstChar = LeI32(data + 12), lastChar = LeI32(data + 16);
    if (texWidth < 1 || texWidth > kGlfMaxTextureSide || texHeight < 1 || texHeight > kGlfMaxTextureSide) {
        return GlfStatus::BadTextureSize;
    }
    if (firstChar < 0 || lastChar > 255 || lastChar < firstChar) return GlfStatus::BadCharRange;

    // All three terms are bounded by the checks above: no overflow.
    const size_t count = size_t(lastChar - firstChar + 1);
    const size_t glyphEnd = kGlfHeaderBytes + count * kGlfGlyphBytes;
    if (size < glyphEnd) return GlfStatus::TruncatedGlyphs;
    const size_t texelBytes = size_t(texWidth) * size_t(texHeight) * 2;
    if (size - glyphEnd < texelBytes) return GlfStatus::TruncatedTexels;

    file->glyphs.resize(count);
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* r = data + kGlfHeaderBytes + i * kGlfGlyphBytes;
        file->glyphs[i] = GlfGlyph{LeF32(r), LeF32(r + 4), LeF32(r + 8), LeF32(r + 12), LeF32(r + 16), LeF32(r + 20)};
    }
    file->texWidth = texWidth;
    file->texHeight = texHeight;
    file->firstChar = firstChar;
    file->lastChar = lastChar;
    file->texels = data + glyphEnd;
    return GlfStatus::Ok;
}
