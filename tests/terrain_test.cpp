// Heightmap terrain: sampling, heights on and off the grid, the quad arrays, failures, what is drawn.
#include <GL/gl.h>
#include <GL/glu.h>

#include <limits>
#include <tuple>

#include "game_fixture.h"
#include "scenery/terrain.h"
#include "scenery_fixture.h"

namespace {

// Red of heightmap pixel (column, stored row); distinct at the points tested.
uint8_t Red(int c, int row) { return c == 0 && row == 0 ? 200 : uint8_t(c * 5 + row * 3); }

class TerrainTest : public GameTest {
protected:
    void WriteHeightmap(int width = 32, int height = 32) {
        WriteBytes("data/t1.bmp", MakeBmp(width, height, [](int c, int r) {
                       return Rgb{Red(c, r), uint8_t(255 - c), 0};
                   }));
    }
    // Clears to blue and draws the terrain looking straight down from (x, y, z), -z up the screen.
    void DrawFromAbove(float x, float y, float z) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
        gluLookAt(x, y, z, x, y - 1, z, 0, 0, -1);
        terrain->Draw();
    }
    ScratchDir dir;
    std::unique_ptr<Terrain> terrain = std::make_unique<Terrain>();
};

}  // namespace

TEST_F(TerrainTest, SamplesTheRedChannelInStoredRowOrder) {
    WriteBytes("data/grass.bmp", SolidBmp(4, 4, {255, 255, 255}));
    WriteHeightmap();
    ASSERT_TRUE(terrain->Load("data/t1.bmp"));
    for (int c : {0, 1, 7, 31})
        for (int r : {0, 1, 12, 31}) {
            const GridPoint& p = terrain->grid[c][r];
            EXPECT_EQ((std::vector<float>{p.x, p.y, p.z}),
                      (std::vector<float>{c * 60.0f, Red(c, r) * 0.5f - 200.0f, -r * 60.0f}))
                << c << "," << r;
            EXPECT_NEAR(p.shade, Red(c, r) / 255.0f * 2.5f, 1e-5f);
        }

    WriteHeightmap(40, 33);  // a wider heightmap is sampled along its own rows, not sheared
    auto wide = std::make_unique<Terrain>();
    ASSERT_TRUE(wide->Load("data/t1.bmp"));
    EXPECT_FLOAT_EQ(wide->grid[3][5].y, Red(3, 5) * 0.5f - 200.0f);

    // Height is the cell's corner; off the grid (and NaN), the nearest edge point.
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    const std::tuple<float, float, int, int> heights[] = {
        {59.9f, -119.9f, 0, 1}, {1804, -1804, 30, 30}, {1860, -1860, 31, 31}, {2500, -300, 31, 5}, {-500, 500, 0, 0},
        {300, -1e9f, 5, 31},    {nan, -300, 0, 5},     {300, nan, 5, 0},      {inf, -inf, 31, 31},
    };
    for (const auto& [x, z, c, r] : heights) EXPECT_EQ(terrain->Height(x, z), terrain->grid[c][r].y) << x << ", " << z;

    EXPECT_EQ(terrain->quadCount, 961);  // quad q covers row i = q / 31, column j = q % 31
    const int cornerCol[4] = {1, 0, 0, 1}, cornerRow[4] = {0, 0, 1, 1};
    for (int q : {0, 1, 31, 500, 960})
        for (int k = 0; k < 4; ++k) {
            const GridPoint& p = terrain->grid[q % 31 + cornerCol[k]][q / 31 + cornerRow[k]];
            const float *xyz = terrain->vertices + (q * 4 + k) * 3, *rgb = terrain->colours + (q * 4 + k) * 3,
                        *st = terrain->texCoords + (q * 4 + k) * 2;
            EXPECT_EQ((std::vector<float>{xyz[0], xyz[1], xyz[2], rgb[0], rgb[1], rgb[2], st[0], st[1]}),
                      (std::vector<float>{p.x, p.y, p.z, p.shade, p.shade, p.shade, float(cornerCol[k]),
                                          float(cornerRow[k])}))
                << "quad " << q << " corner " << k;
        }
}

TEST_F(TerrainTest, FailedLoadsBuildNothingAndStayFlat) {
    // Missing grass stops the build; the heightmap, never read, is named too.
    WriteHeightmap();
    EXPECT_EQ(Stderr([&] { EXPECT_FALSE(terrain->Load("data/t1.bmp")); }),
              "orvanthe: data/grass.bmp: cannot open (No such file or directory)\n"
              "orvanthe: data/t1.bmp: not read: data/grass.bmp failed\n");
    ForgetReportedAssetProblems();
    EXPECT_TRUE(terrain->vertexBuffer == 0u && terrain->quadCount == 0);

    WriteBytes("data/grass.bmp", SolidBmp(4, 4, {255, 255, 255}));
    WriteBytes("data/small.bmp", SolidBmp(32, 31, {255, 0, 0}));  // too small to sample 32 x 32 points
    auto other = std::make_unique<Terrain>();
    EXPECT_EQ(Stderr([&] { EXPECT_FALSE(other->Load("data/small.bmp")); }),
              "orvanthe: data/small.bmp: heightmap smaller than 32 x 32\n"
              "orvanthe: data/grass.bmp: not used: data/small.bmp failed\n");
    EXPECT_TRUE(other->heightmap.pixels == nullptr && other->vertexBuffer == 0u);

    EXPECT_TRUE(terrain->Height(900, -900) == -200.0f && other->Height(900, -900) == -200.0f) << "flat, lowest ground";
}

TEST_F(TerrainTest, TheGrassModulatedByTheShadeCoversThePlatformAndNothingElse) {
    // Grass in four quadrants: each cell shows the whole image once, s along +x and t along -z.
    static const Rgb kQuadrant[2][2] = {{{200, 100, 40}, {40, 200, 100}}, {{100, 40, 200}, {220, 220, 60}}};
    WriteBytes("data/grass.bmp", MakeBmp(2, 2, [](int x, int row) { return kQuadrant[row][x]; }));
    // Columns 0..15 at red 51 (shade 0.5), 16..31 at 255 (shade 2.5, clamped to 1).
    WriteBytes("data/t1.bmp", MakeBmp(32, 32, [](int c, int) { return Rgb{uint8_t(c < 16 ? 51 : 255), 0, 0}; }));
    ASSERT_TRUE(terrain->Load("data/t1.bmp"));

    // Close up, so each texel covers many pixels.
    for (auto [column, row, shade] : {std::tuple{5, 5, 0.5f}, {22, 9, 1.0f}}) {
        SCOPED_TRACE(testing::Message() << "cell " << column << "," << row);
        const float cx = (column + 0.5f) * 60.0f, cz = -(row + 0.5f) * 60.0f, ground = terrain->Height(cx, cz);
        DrawFromAbove(cx, ground + 150, cz);
        EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D)) << "Draw turns texturing off again";
        for (int q = 0; q < 4; ++q) {
            const float s = 0.25f + 0.5f * float(q % 2), t = 0.25f + 0.5f * float(q / 2);
            const auto [wx, wy] = Project((column + s) * 60.0f, ground, -(row + t) * 60.0f);
            ASSERT_TRUE(wx > 0 && wx < 800 && wy > 0 && wy < 600);
            const Rgb texel = kQuadrant[q / 2][q % 2];
            const Rgb shaded{uint8_t(texel.r * shade), uint8_t(texel.g * shade), uint8_t(texel.b * shade)};
            EXPECT_TRUE(Near(ReadPixel(wx, wy), shaded, 4)) << "s " << s << " t " << t;
        }
    }

    // Straight down on the whole platform: every cell's centre is drawn, just outside is the clear colour.
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-370, 2230, -45, 1905, -1000, 1000);
    glMatrixMode(GL_MODELVIEW);
    DrawFromAbove(0, 0, 0);
    for (int i = 0; i < 31; ++i)
        for (int j = 0; j < 31; ++j)
            ASSERT_FALSE(Near(ProjectedPixel((j + 0.5f) * 60.0f, 0, -(i + 0.5f) * 60.0f), {0, 0, 255}, 0))
                << "cell " << j << "," << i;
    for (float x : {-30.0f, 1890.0f}) EXPECT_TRUE(Near(ProjectedPixel(x, 0, -900.0f), {0, 0, 255}, 0)) << x;
}
