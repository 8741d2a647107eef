// Overlay drawing: two blended passes in a 950 x 600 space with y running
// down, so the image's top row lies along the top of the window. Each piece
// draws the whole image's quad laid over its own box and is held to its own
// pixels by the scissor, so every pixel samples the image as a 4:3 window
// of the box's size would; at 4:3 that is the one full-window quad the
// overlay has always been. The scissor also leaves out the pixels the passes
// would not change.
#include "scenery/overlay.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "core/state.h"
#include "gl/gl_state.h"

namespace {

// The space the passes draw in, over the whole viewport.
constexpr double kSpaceWidth = 950.0, kSpaceHeight = 600.0;
// The shape the images are made for: they fill a 4:3 window.
constexpr long kBoxWide = 4, kBoxHigh = 3;
// Pixel rows per band, and the gap under which two runs in a band merge:
// a few rectangles, each costing a little more fill, beat many thin ones.
constexpr int kBandRows = 16;
constexpr int kMergeGap = 32;
// A cut lies in the middle of a run of clear texel lines at least this
// wide: the pixels either side of it, each sampling a texel or two beyond
// its own, still read only clear texels.
constexpr int kMinClearRun = 8;

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

bool TexelSet(const TexelMap& map, int x, int y) {
    return map.bits[size_t(y) * size_t(map.words) + size_t(x / 64)] >> (x % 64) & 1;
}

// The lines across one axis of the image (columns, or rows from the
// bottom), as many as the finer map has, where neither map changes the
// frame: a line is clear when every texel of each map it overlaps is.
std::vector<char> ClearLines(const TexelMap& a, const TexelMap& b, bool columns) {
    const int lines = columns ? std::max(a.width, b.width) : std::max(a.height, b.height);
    std::vector<char> clear(size_t(lines), 1);
    for (const TexelMap* map : {&a, &b}) {
        const long texels = columns ? map->width : map->height;
        std::vector<char> used(size_t(texels), 0);
        for (int y = 0; y < map->height; ++y)
            for (int x = 0; x < map->width; ++x)
                if (TexelSet(*map, x, y)) used[size_t(columns ? x : y)] = 1;
        for (long k = 0; k < lines; ++k) {
            const long first = k * texels / lines, end = ((k + 1) * texels + lines - 1) / lines;
            for (long t = first; t < end; ++t)
                if (used[size_t(t)]) clear[size_t(k)] = 0;
        }
    }
    return clear;
}

// Where to cut one axis of the image into the part held to its start, the
// middle part and the part held to its end, as fractions of the axis: in
// the middle of the nearest clear run on each side of the middle line, or
// both in the run the middle line lies in. A run at the image's edge
// separates nothing; without a run on one side, the middle part reaches
// that edge.
void FindCuts(const std::vector<char>& clear, double cuts[2]) {
    const int lines = int(clear.size()), middle = lines / 2;
    cuts[0] = 0.0;
    cuts[1] = 1.0;
    bool cutAfter = false;
    for (int start = 0; start < lines;) {
        int end = start;
        while (end < lines && clear[size_t(end)]) ++end;
        if (end - start >= kMinClearRun && start > 0 && end < lines) {
            const double cut = double(start + end) / 2.0 / double(lines);
            if (start <= middle && middle < end) {
                cuts[0] = cuts[1] = cut;
                return;
            }
            if (end <= middle) {
                cuts[0] = cut;
            } else if (!cutAfter) {
                cuts[1] = cut;
                cutAfter = true;
            }
        }
        start = std::max(end, start + 1);
    }
}

// One axis of a piece: its pixels [first, end) and where its box starts.
struct Span {
    int first = 0, end = 0;
    double boxStart = 0.0;
};

// Splits an axis of `pixels` at the cuts for a box `box` pixels long: the
// part before the first cut at the axis's start, the part between the cuts
// in its middle, the rest at its end. Returns how many spans are not empty.
// An axis the box fills is one span.
int SplitAxis(int pixels, double box, const double cuts[2], Span spans[3]) {
    const double slack = double(pixels) - box;
    if (slack <= 0.0) {
        spans[0] = {0, pixels, 0.0};
        return 1;
    }
    const double starts[3] = {0.0, slack / 2.0, slack};
    const double from[3] = {0.0, cuts[0], cuts[1]}, to[3] = {cuts[0], cuts[1], 1.0};
    int count = 0;
    for (int i = 0; i < 3; ++i) {
        const int first = i == 0 ? 0 : int(std::lround(starts[i] + from[i] * box));
        const int end = i == 2 ? pixels : int(std::lround(starts[i] + to[i] * box));
        if (end > first) spans[count++] = {first, end, starts[i]};
    }
    return count;
}

// The texels a linear sample at the centre of pixel `pixel` can read along
// an axis of `texels` laid over `length` pixels from `start`: the two under
// it, widened by one each way for rounding in the interpolation, clamped as
// the edge clamp does.
void Footprint(int pixel, double start, double length, int texels, int* first, int* last) {
    const double u = (double(pixel) + 0.5 - start) / length * double(texels) - 0.5;
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

// Marks the columns of a piece in a band of pixel rows [y0, y1) where `map`
// changes the frame.
void MarkBand(const TexelMap& map, const OverlayPiece& piece, int y0, int y1, std::vector<uint64_t>* row,
              std::vector<char>* columns) {
    int rowFirst = 0, rowLast = 0, unused = 0;
    Footprint(y0, piece.boxY, piece.boxHeight, map.height, &rowFirst, &unused);
    Footprint(y1 - 1, piece.boxY, piece.boxHeight, map.height, &unused, &rowLast);
    row->assign(size_t(map.words), 0);
    for (int r = rowFirst; r <= rowLast; ++r)
        for (int w = 0; w < map.words; ++w) (*row)[size_t(w)] |= map.bits[size_t(r) * size_t(map.words) + size_t(w)];
    const OverlayRect& window = piece.window;
    for (int x = window.x; x < window.x + window.width; ++x) {
        int first = 0, last = 0;
        Footprint(x, piece.boxX, piece.boxWidth, map.width, &first, &last);
        if (AnyIn(*row, first, last)) (*columns)[size_t(x)] = 1;
    }
}

// Appends the rectangles of one piece: bands of rows, runs of marked
// columns in each. Bands never overlap, nor do runs in a band, nor pieces.
void CutPiece(const TexelMap& mask, const TexelMap& image, const OverlayPiece& piece, std::vector<OverlayRect>* rects) {
    const OverlayRect& window = piece.window;
    const int left = window.x, right = window.x + window.width;
    std::vector<uint64_t> row;
    std::vector<char> columns(size_t(right), 0);
    size_t previousBand = rects->size();
    for (int y0 = window.y; y0 < window.y + window.height; y0 += kBandRows) {
        const int y1 = std::min(window.y + window.height, y0 + kBandRows);
        std::fill(columns.begin(), columns.end(), 0);
        MarkBand(mask, piece, y0, y1, &row, &columns);
        MarkBand(image, piece, y0, y1, &row, &columns);
        const size_t bandStart = rects->size();
        for (int x = left; x < right;) {
            if (!columns[size_t(x)]) {
                ++x;
                continue;
            }
            int end = x + 1;
            for (int gap = 0; end + gap < right && gap < kMergeGap;) {
                if (columns[size_t(end + gap)]) {
                    end += gap + 1;
                    gap = 0;
                } else {
                    ++gap;
                }
            }
            rects->push_back({x, y0, end - x, y1 - y0, window.piece});
            x = end;
        }
        // A band with the same runs as the one below lengthens its rectangles.
        const size_t count = rects->size() - bandStart;
        bool same = bandStart - previousBand == count && count > 0;
        for (size_t i = 0; same && i < count; ++i) {
            const OverlayRect &a = (*rects)[previousBand + i], &b = (*rects)[bandStart + i];
            same = a.x == b.x && a.width == b.width && a.y + a.height == b.y;
        }
        if (same) {
            for (size_t i = 0; i < count; ++i) (*rects)[previousBand + i].height += y1 - y0;
            rects->resize(bandStart);
        } else {
            previousBand = bandStart;
        }
    }
}

void PieceQuad(const OverlayPiece& p) {
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 1.0f);
    glVertex2f(p.left, p.top);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2f(p.left, p.bottom);
    glTexCoord2f(1.0f, 0.0f);
    glVertex2f(p.right, p.bottom);
    glTexCoord2f(1.0f, 1.0f);
    glVertex2f(p.right, p.top);
    glEnd();
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
    columnCuts_[0] = rowCuts_[0] = 0.0;
    columnCuts_[1] = rowCuts_[1] = 1.0;
    if (image.loaded && mask.loaded) {
        FindCuts(ClearLines(imageMap_, maskMap_, true), columnCuts_);
        FindCuts(ClearLines(imageMap_, maskMap_, false), rowCuts_);
    }
    laidOutWidth_ = laidOutHeight_ = -1;
}

void ScreenOverlay::LayOut(int width, int height) {
    if (width == laidOutWidth_ && height == laidOutHeight_) return;
    laidOutWidth_ = width;
    laidOutHeight_ = height;
    pieces_.clear();
    rects_.clear();
    if (width <= 0 || height <= 0 || maskMap_.bits.empty() || imageMap_.bits.empty()) return;
    // The 4:3 box as tall as the window, or as wide where the window is
    // narrower; at 4:3 it is the window, to the bit.
    const bool wide = long(width) * kBoxHigh >= long(height) * kBoxWide;
    const double boxWidth = wide ? double(height) * kBoxWide / kBoxHigh : double(width);
    const double boxHeight = wide ? double(height) : double(width) * kBoxHigh / kBoxWide;
    Span columns[3], rows[3];
    const int columnCount = SplitAxis(width, boxWidth, columnCuts_, columns);
    const int rowCount = SplitAxis(height, boxHeight, rowCuts_, rows);
    for (int r = 0; r < rowCount; ++r)
        for (int c = 0; c < columnCount; ++c) {
            OverlayPiece p;
            p.window = {columns[c].first, rows[r].first, columns[c].end - columns[c].first, rows[r].end - rows[r].first,
                        int(pieces_.size())};
            p.boxX = columns[c].boxStart;
            p.boxY = rows[r].boxStart;
            p.boxWidth = boxWidth;
            p.boxHeight = boxHeight;
            p.left = float(p.boxX * kSpaceWidth / width);
            p.right = float((p.boxX + boxWidth) * kSpaceWidth / width);
            p.top = float((double(height) - p.boxY - boxHeight) * kSpaceHeight / height);
            p.bottom = float((double(height) - p.boxY) * kSpaceHeight / height);
            pieces_.push_back(p);
        }
    for (const OverlayPiece& p : pieces_) CutPiece(maskMap_, imageMap_, p, &rects_);
}

const std::vector<OverlayPiece>& ScreenOverlay::Pieces(int width, int height) {
    LayOut(width, height);
    return pieces_;
}

const std::vector<OverlayRect>& ScreenOverlay::Rects(int width, int height) {
    LayOut(width, height);
    return rects_;
}

void ScreenOverlay::Draw() {
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    const Screen2D pass(0.0, kSpaceWidth, kSpaceHeight, 0.0, 0.0, 1.0);
    if (!image.loaded || !mask.loaded) return;
    glEnable(GL_SCISSOR_TEST);
    // The rectangles never overlap, so each pass may cover them all in turn.
    // The viewport is the whole drawable, as SetProjection made it.
    LayOut(g_viewportWidth, g_viewportHeight);
    for (const Texture* pass : {&mask, &image}) {
        if (pass == &mask) {
            glBlendFunc(GL_DST_COLOR, GL_ZERO);
        } else {
            glBlendFunc(GL_ONE, GL_ONE);
        }
        glBindTexture(GL_TEXTURE_2D, pass->textureId);
        for (const OverlayRect& r : rects_) {
            glScissor(r.x, r.y, r.width, r.height);
            PieceQuad(pieces_[size_t(r.piece)]);
        }
    }
    glDisable(GL_SCISSOR_TEST);
}
