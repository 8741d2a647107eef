// libFuzzer target for the GLF parser. Beyond "no sanitizer report", an
// accepted file must have sizes and codes in range, exactly one glyph record
// per code with the file's bytes, and its texels wholly inside the input;
// a refused one must leave the result empty.
#include <cstdint>
#include <cstring>

#include "fuzz_check.h"
#include "text/glf_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    GlfFile file;
    file.texWidth = 7;  // must be cleared on refusal too
    const GlfStatus status = ParseGlf(data, size, &file);
    if (status != GlfStatus::Ok) {
        Check(file.texWidth == 0 && file.texHeight == 0 && file.glyphs.empty() && file.texels == nullptr);
        Check(GlfStatusText(status)[0] != '\0');
        return 0;
    }
    Check(file.texWidth >= 1 && file.texWidth <= kGlfMaxTextureSide);
    Check(file.texHeight >= 1 && file.texHeight <= kGlfMaxTextureSide);
    Check(file.firstChar >= 0 && file.firstChar <= file.lastChar && file.lastChar <= 255);
    const size_t count = size_t(file.lastChar - file.firstChar + 1);
    Check(file.glyphs.size() == count);
    const size_t glyphEnd = kGlfHeaderBytes + count * kGlfGlyphBytes;
    Check(file.texels == data + glyphEnd);
    Check(size - glyphEnd >= size_t(file.texWidth) * size_t(file.texHeight) * 2);
    // The last record's bottom t is the last float of the table.
    float bottomT;
    std::memcpy(&bottomT, data + glyphEnd - 4, 4);
    Check(std::memcmp(&bottomT, &file.glyphs.back().bottomT, 4) == 0);
    return 0;
}
