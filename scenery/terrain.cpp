// Heightmap terrain: sampling the heightmap into the grid, the quad arrays,
// the vertex buffer, and the height query.
#define GL_GLEXT_PROTOTYPES
#include "scenery/terrain.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <vector>

#include "gl/gl_state.h"

namespace {

constexpr int kLastIndex = kTerrainGridSize - 1;
constexpr const char* kGrassFile = "data/grass.bmp";

GridPoint MakePoint(int column, int row, int red) {
    GridPoint p;
    p.x = float(column) * kTerrainSpacing;
    p.y = float(red) * kTerrainHeightScale + kTerrainHeightOffset;
    p.z = -float(row) * kTerrainSpacing;
    p.shade = ((p.y + 200.0f) / 255.0f) * 5.0f;
    return p;
}

// Truncates toward zero like an int conversion, but NaN, infinities and
// anything off the grid land on the nearest index instead of being UB or
// out of range.
int GridIndex(float quotient) {
    if (!(quotient >= 0.0f)) return 0;
    if (quotient >= float(kLastIndex)) return kLastIndex;
    return int(quotient);
}

}  // namespace

Terrain::Terrain() {
    for (int c = 0; c < kTerrainGridSize; ++c)
        for (int r = 0; r < kTerrainGridSize; ++r) grid[c][r] = MakePoint(c, r, 0);
}

bool Terrain::Load(const std::string& heightmapFile) {
    // Each file the terrain gives up on is named, so a second broken file is
    // not hidden behind the first.
    if (!grass.Load(kGrassFile)) {
        ReportAssetProblem(heightmapFile, std::string("not read: ") + kGrassFile + " failed");
        return false;
    }
    grass.ClampToEdge();  // no dark seams between the tiled cells
    const auto grassUnused = [&heightmapFile] {
        ReportAssetProblem(kGrassFile, "not used: " + heightmapFile + " failed");
        return false;
    };
    if (!heightmap.Load(heightmapFile)) return grassUnused();
    if (heightmap.width < kTerrainGridSize || heightmap.height < kTerrainGridSize) {
        ReportAssetProblem(heightmapFile, "heightmap smaller than 32 x 32");
        heightmap.Release();
        return grassUnused();
    }
    // The real row length, so a wider image is sampled, not sheared; for the
    // 32-pixel-wide heightmap this is 96 bytes.
    const size_t rowBytes = size_t(heightmap.width) * 3;
    for (int r = 0; r < kTerrainGridSize; ++r)
        for (int c = 0; c < kTerrainGridSize; ++c)
            grid[c][r] = MakePoint(c, r, heightmap.pixels[r * rowBytes + size_t(c) * 3]);
    BuildVertexArrays();
    BuildVertexBuffer();
    return true;
}

void Terrain::BuildVertexArrays() {
    struct Corner {
        int dc, dr;
        float s, t;
    };
    static const Corner kCorners[4] = {{1, 0, 1, 0}, {0, 0, 0, 0}, {0, 1, 0, 1}, {1, 1, 1, 1}};
    quadCount = 0;
    for (int i = 0; i < kLastIndex; ++i) {
        for (int j = 0; j < kLastIndex; ++j) {
            for (int k = 0; k < 4; ++k) {
                const int v = quadCount * 4 + k;
                const GridPoint& p = grid[j + kCorners[k].dc][i + kCorners[k].dr];
                vertices[v * 3 + 0] = p.x;
                vertices[v * 3 + 1] = p.y;
                vertices[v * 3 + 2] = p.z;
                colours[v * 3 + 0] = colours[v * 3 + 1] = colours[v * 3 + 2] = p.shade;
                texCoords[v * 2 + 0] = kCorners[k].s;
                texCoords[v * 2 + 1] = kCorners[k].t;
            }
            ++quadCount;
        }
    }
}

namespace {
// Interleaved, a vertex's position, colour and texture coordinate side by
// side: the one layout every GL draws from a buffer, the browser's too.
constexpr int kFloatsPerVertex = 8;
constexpr GLsizei kStride = GLsizei(sizeof(float)) * kFloatsPerVertex;
}  // namespace

void Terrain::BuildVertexBuffer() {
    std::vector<float> interleaved(size_t(4 * quadCount) * kFloatsPerVertex);
    for (int v = 0; v < 4 * quadCount; ++v) {
        float* out = &interleaved[size_t(v) * kFloatsPerVertex];
        std::copy(&vertices[v * 3], &vertices[v * 3 + 3], out);
        // GL clamps a vertex's colour to 1 before spreading it over the
        // quad; the browser's GL does not, and its high ground would glow.
        for (int i = 0; i < 3; ++i) out[3 + i] = std::min(colours[v * 3 + i], 1.0f);
        std::copy(&texCoords[v * 2], &texCoords[v * 2 + 2], out + 6);
    }
    // A second load fills the buffer it already has.
    if (vertexBuffer == 0) glGenBuffers(1, &vertexBuffer);
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer);
    glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(interleaved.size() * sizeof(float)), interleaved.data(), GL_STATIC_DRAW);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

void Terrain::Draw() const {
    if (vertexBuffer == 0) return;
    glEnable(GL_TEXTURE_2D);
    grass.Bind();
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glVertexPointer(3, GL_FLOAT, kStride, nullptr);
    glColorPointer(3, GL_FLOAT, kStride, reinterpret_cast<const void*>(3 * sizeof(float)));
    glTexCoordPointer(2, GL_FLOAT, kStride, reinterpret_cast<const void*>(6 * sizeof(float)));
    glDrawArrays(GL_QUADS, 0, 4 * quadCount);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glDisable(GL_TEXTURE_2D);
}

float Terrain::Height(float x, float z) const {
    const int column = GridIndex(x / kTerrainSpacing);
    const int row = GridIndex(-(z / kTerrainSpacing));
    return grid[column][row].y;
}

void Terrain::Release() {
    heightmap.Release();
    grass.Release();
    if (vertexBuffer != 0) glDeleteBuffers(1, &vertexBuffer);
    vertexBuffer = 0;
}
