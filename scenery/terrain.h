// The heightmap platform: a 32 x 32 grid of points 60 units apart whose
// heights come from the red channel of a BMP, laid out once in a vertex
// buffer of 961 grass-textured, grey-shaded quads.
#pragma once

#include <string>

#include "scenery/texture.h"

struct GridPoint {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    float shade = 0.0f;  // grey level, 0 to 2.5; GL clamps it to 1
};

constexpr int kTerrainGridSize = 32;
constexpr float kTerrainSpacing = 60.0f;
constexpr float kTerrainHeightScale = 0.5f;
constexpr float kTerrainHeightOffset = -200.0f;
constexpr int kTerrainMaxVertices = 4096;

class Terrain {
public:
    unsigned vertexBuffer = 0;  // 0 until a successful Load
    Texture heightmap;
    Texture grass;
    int quadCount = 0;
    GridPoint grid[kTerrainGridSize][kTerrainGridSize];  // [column][row]
    float vertices[kTerrainMaxVertices * 3] = {};
    float colours[kTerrainMaxVertices * 3] = {};
    float texCoords[kTerrainMaxVertices * 2] = {};

    // The grid starts flat at the lowest height, so Height is defined even
    // when Load fails.
    Terrain();

    // Loads "data/grass.bmp" and the heightmap (24-bit, at least 32 x 32),
    // then builds the arrays and the vertex buffer. False if either image is
    // unusable; nothing is built then.
    bool Load(const std::string& heightmapFile);
    // Height of the grid point at the cell's corner with the smaller x and
    // the z nearer 0; points off the grid (and NaN) take the nearest edge.
    float Height(float x, float z) const;
    // Draws nothing when Load has not succeeded.
    void Draw() const;
    // Frees the images and the vertex buffer; the context must be current.
    void Release();

    void BuildVertexArrays();
    // Each vertex's position, colour and texture coordinate, side by side.
    void BuildVertexBuffer();
};
