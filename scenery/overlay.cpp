// Overlay drawing: two blended passes of one quad in a 950 x 600 space with
// y running down, so the image's top row lies along the top of the window.
// The quad is always the whole window, so every pixel samples as it always
// did; the scissor only leaves out pixels the passes would not change.
#include "scenery/overlay.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "core/state.h"
#include "gl/gl_state.h"

namespace {

// Pixel rows per band, and the gap under which two runs in a band merge:
// a few rectangles, each costing a little more fill, beat many thin ones.
constexpr int kBandRows = 16;
constexpr int kMergeGap = 32;

void FullWindowQuad() {
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 1.0f);
    glVertex2f(0.0f, 0.0f);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2f(0.0f, 600.0f);
    glTexCoord2f(1.0f, 0.0f);
    glVertex2f(950.0f, 600.0f);
    glTexCoord2f(1.0f, 1.0f);
    glVertex2f(950.0f, 0.0f);
    glEnd();
}

// Without edge clamping a white mask would darken a rim round the view.
void LoadEdgeClamped(Texture* texture, const char* path) {
    if (texture->Load(path)) texture->ClampToEdge();
}

// Texels unlike `keeps` (white for the mask, black for the picture) change
// the frame.
TexelMap MapTexels(const Texture& texture, uint8_t keeps) {
    TexelMap map;
    map.width = texture.width;
    map.height = texture.height;
    map.words = (texture.width + 63) / 64;
    map.bits.assign(size_t(map.words) * size_t(texture.height), 0);
    const uint8_t* p = texture.pixels.get();
    for (int y = 0; y < texture.height; ++y)
        for (int x = 0; x < texture.width; ++x, p += 3)
            if (p[0] != keeps || p[1] != keeps || p[2] != keeps)
                map.bits[size_t(y) * size_t(map.words) + size_t(x / 64)] |= uint64_t(1) << (x % 64);
    return map;
}

// The texels a linear sample at the centre of pixel `pixel` of `pixels`
// can read along an axis of `texels`: the two under it, widened by one each
// way for rounding in the interpolation, clamped as the edge clamp does.
void Footprint(int pixel, int pixels, int texels, int* first, int* last) {
    const double u = (double(pixel) + 0.5) / double(pixels) * double(texels) - 0.5;
    const int below = int(std::floor(u));
    *first = std::clamp(below - 1, 0, texels - 1);
    *last = std::clamp(below + 2, 0, texels - 1);
}

// Whether any bit in [first, last] of a row of a TexelMap is set.
bool AnyIn(const std::vector<uint64_t>& row, int first, int last) {
    for (int x = first; x <= last; ++x)
        if (row[size_t(x / 64)] >> (x % 64) & 1) return true;
    return false;
}

// Marks the columns of a band of pixel rows [y0, y1) where `map` changes
// the frame.
void MarkBand(const TexelMap& map, int y0, int y1, int width, int height, std::vector<uint64_t>* row,
              std::vector<char>* columns) {
    int rowFirst = 0, rowLast = 0, unused = 0;
    Footprint(y0, height, map.height, &rowFirst, &unused);
    Footprint(y1 - 1, height, map.height, &unused, &rowLast);
    row->assign(size_t(map.words), 0);
    for (int r = rowFirst; r <= rowLast; ++r)
        for (int w = 0; w < map.words; ++w) (*row)[size_t(w)] |= map.bits[size_t(r) * size_t(map.words) + size_t(w)];
    for (int x = 0; x < width; ++x) {
        int first = 0, last = 0;
        Footprint(x, width, map.width, &first, &last);
        if (AnyIn(*row, first, last)) (*columns)[size_t(x)] = 1;
    }
}

}  // namespace

void ScreenOverlay::Load() {
    const char* const imageFile = "data/va.bmp";
    const char* const maskFile = "data/vb.bmp";
    LoadEdgeClamped(&image, imageFile);
    LoadEdgeClamped(&mask, maskFile);
    // Drawn only as a pair: a lone good half is named as unused.
    if (image.loaded && !mask.loaded) ReportAssetProblem(imageFile, std::string("not used: ") + maskFile + " failed");
    if (mask.loaded && !image.loaded) ReportAssetProblem(maskFile, std::string("not used: ") + imageFile + " failed");
    imageMap_ = image.loaded ? MapTexels(image, 0) : TexelMap();
    maskMap_ = mask.loaded ? MapTexels(mask, 255) : TexelMap();
    rectsWidth_ = rectsHeight_ = -1;
}

const std::vector<OverlayRect>& ScreenOverlay::Rects(int width, int height) {
    if (width == rectsWidth_ && height == rectsHeight_) return rects_;
    rectsWidth_ = width;
    rectsHeight_ = height;
    rects_.clear();
    if (width <= 0 || height <= 0 || maskMap_.bits.empty() || imageMap_.bits.empty()) return rects_;
    std::vector<uint64_t> row;
    std::vector<char> columns(static_cast<size_t>(width), 0);
    // Bands never overlap, nor do runs in a band: no pixel is drawn twice.
    size_t previousBand = 0;
    for (int y0 = 0; y0 < height; y0 += kBandRows) {
        const int y1 = std::min(height, y0 + kBandRows);
        std::fill(columns.begin(), columns.end(), 0);
        MarkBand(maskMap_, y0, y1, width, height, &row, &columns);
        MarkBand(imageMap_, y0, y1, width, height, &row, &columns);
        const size_t bandStart = rects_.size();
        for (int x = 0; x < width;) {
            if (!columns[size_t(x)]) {
                ++x;
                continue;
            }
            int end = x + 1;
            for (int gap = 0; end + gap < width && gap < kMergeGap;) {
                if (columns[size_t(end + gap)]) {
                    end += gap + 1;
                    gap = 0;
                } else {
                    ++gap;
                }
            }
            rects_.push_back({x, y0, end - x, y1 - y0});
            x = end;
        }
        // A band with the same runs as the one below lengthens its rectangles.
        const size_t count = rects_.size() - bandStart;
        bool same = bandStart - previousBand == count && count > 0;
        for (size_t i = 0; same && i < count; ++i) {
            const OverlayRect &a = rects_[previousBand + i], &b = rects_[bandStart + i];
            same = a.x == b.x && a.width == b.width && a.y + a.height == b.y;
        }
        if (same) {
            for (size_t i = 0; i < count; ++i) rects_[previousBand + i].height += y1 - y0;
            rects_.resize(bandStart);
        } else {
            previousBand = bandStart;
        }
    }
    return rects_;
}

void ScreenOverlay::Draw() {
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    const Screen2D pass(0.0, 950.0, 600.0, 0.0, 0.0, 1.0);
    if (!image.loaded || !mask.loaded) return;
    glEnable(GL_SCISSOR_TEST);
    // The rectangles never overlap, so each pass may cover them all in turn.
    // The viewport is the whole drawable, as SetProjection made it.
    const std::vector<OverlayRect>& rects = Rects(g_viewportWidth, g_viewportHeight);
    for (const Texture* pass : {&mask, &image}) {
        if (pass == &mask) {
            glBlendFunc(GL_DST_COLOR, GL_ZERO);
        } else {
            glBlendFunc(GL_ONE, GL_ONE);
        }
        glBindTexture(GL_TEXTURE_2D, pass->textureId);
        for (const OverlayRect& r : rects) {
            glScissor(r.x, r.y, r.width, r.height);
            FullWindowQuad();
        }
    }
    glDisable(GL_SCISSOR_TEST);
}
