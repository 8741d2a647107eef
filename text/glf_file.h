// The GLF font file layout and its parser: a 24-byte header, one 24-byte
// record per character and the luminance-alpha texels. No file I/O and no
// GL here, so tests and the fuzzer can feed it arbitrary bytes; a header
// that promises more than the bytes hold, or sizes no GL takes, is refused.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Sizes are in font units; t runs the other way from the quad's y.
struct GlfGlyph {
    float width;   // quad width and pen advance
    float height;  // the quad hangs this far below the pen
    float leftS, topT, rightS, bottomT;
};

constexpr int32_t kGlfMaxTextureSide = 4096;
constexpr size_t kGlfHeaderBytes = 24;
constexpr size_t kGlfGlyphBytes = 24;

enum class GlfStatus {
    Ok,
    TruncatedHeader,
    BadTextureSize,  // width or height not in 1..kGlfMaxTextureSide
    BadCharRange,    // codes outside 0..255, or last below first
    TruncatedGlyphs,
    TruncatedTexels,
};

// A short reason for the player, e.g. "truncated glyph table".
const char* GlfStatusText(GlfStatus status);

struct GlfFile {
    int32_t texWidth = 0, texHeight = 0;
    int32_t firstChar = 0, lastChar = 0;
    std::vector<GlfGlyph> glyphs;  // lastChar - firstChar + 1 records
    // texWidth * texHeight * 2 bytes (luminance, alpha) inside the parsed
    // buffer, which must outlive this pointer.
    const uint8_t* texels = nullptr;
};

// On anything but Ok, *file is left empty. Bytes after the texels are ignored.
GlfStatus ParseGlf(const uint8_t* data, size_t size, GlfFile* file);
