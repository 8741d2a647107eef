// Heightmap terrain: sampling, the height query on and off the grid, the
// quad arrays, failure behaviour, and what the display list puts on screen.
#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <tuple>
#include <vector>

#include "scenery_fixture.h"
#include "game_fixture.h"
#include "scenery/terrain.h"

namespace {

// Red of heightmap pixel (column, stored row); distinct at the points tested.
uint8_t Red(int c, int row) { return c == 0 && row == 0 ? 200 : uint8_t(c * 5 + row * 3); }

class TerrainTest : public GameTest {
protected:
    void TearDown() override {
        SetProjection(kWindowWidth, kWindowHeight);
        glColor3f(1, 1, 1);
    }
    void WriteHeightmap(int width = 32, int height = 32) {
        WriteBytes("data/t1.bmp", MakeBmp(width, height, [](int c, int row) {
                       return Rgb{Red(c, row), uint8_t(255 - c), 0};
                   }));
    }
    // Clears to blue and draws the terrain seen from eye towards centre.
    void DrawFrom(const Terrain& t, float ex, float ey, float ez, float cx, float cy, float cz, float upZ) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
        gluLookAt(ex, ey, ez, cx, cy, cz, 0, upZ == 0 ? 1 : 0, upZ);
        glColor3f(1, 1, 1);
        t.Draw();
        glFinish();
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
                      (std::vector<float>{c * 60.0f, Red(c, r) * 0.5f - 200.0f, -r * 60.0f})) << c << "," << r;
            EXPECT_NEAR(p.shade, Red(c, r) / 255.0f * 2.5f, 1e-5f);
        }

    // A wider heightmap is sampled along its own rows, not sheared.
    WriteHeightmap(40, 33);
    auto wide = std::make_unique<Terrain>();
    ASSERT_TRUE(wide->Load("data/t1.bmp"));
    EXPECT_FLOAT_EQ(wide->grid[3][5].y, Red(3, 5) * 0.5f - 200.0f);
    EXPECT_FLOAT_EQ(wide->grid[31][31].y, Red(31, 31) * 0.5f - 200.0f);

    // Height is the cell's corner; off the grid (and NaN), the nearest edge point.
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    const struct {
        float x, z;
        int c, r;
    } heights[] = {
        {0, 0, 0, 0},         {59.9f, -59.9f, 0, 0}, {60, -60, 1, 1},       {119.9f, -60, 1, 1},
        {1799, -1799, 29, 29}, {1804, -1804, 30, 30}, {-30, 30, 0, 0},       {1860, -1860, 31, 31},
        {300, -600, 5, 10},   {2500, -300, 31, 5},   {-500, -300, 0, 5},    {300, 500, 5, 0},
        {300, -1e9f, 5, 31},  {1e30f, 1e30f, 31, 0}, {nan, -300, 0, 5},     {300, nan, 5, 0},
        {inf, -inf, 31, 31},  {-inf, inf, 0, 0},
    };
    for (const auto& h : heights)
        EXPECT_EQ(terrain->Height(h.x, h.z), terrain->grid[h.c][h.r].y) << h.x << ", " << h.z;

    // 961 quads; quad q covers row i = q / 31, column j = q % 31.
    EXPECT_EQ(terrain->quadCount, 961);
    const int cornerCol[4] = {1, 0, 0, 1}, cornerRow[4] = {0, 0, 1, 1};
    for (int q : {0, 1, 31, 500, 960})
        for (int k = 0; k < 4; ++k) {
            SCOPED_TRACE(testing::Message() << "quad " << q << " corner " << k);
            const GridPoint& p = terrain->grid[q % 31 + cornerCol[k]][q / 31 + cornerRow[k]];
            const int v = q * 4 + k;
            EXPECT_EQ((std::vector<float>(terrain->vertices + v * 3, terrain->vertices + v * 3 + 3)),
                      (std::vector<float>{p.x, p.y, p.z}));
            EXPECT_EQ((std::vector<float>(terrain->colours + v * 3, terrain->colours + v * 3 + 3)),
                      (std::vector<float>(3, p.shade)));
            EXPECT_EQ((std::vector<float>(terrain->texCoords + v * 2, terrain->texCoords + v * 2 + 2)),
                      (std::vector<float>{float(cornerCol[k]), float(cornerRow[k])}));
        }
}

TEST_F(TerrainTest, FailedLoadsBuildNothingDrawNothingAndStayFinite) {
    // Missing grass stops the build; the heightmap, never read, is named too.
    WriteHeightmap();
    EXPECT_EQ(Stderr([&] { EXPECT_FALSE(terrain->Load("data/t1.bmp")); }),
              "orvanthe: data/grass.bmp: cannot open (No such file or directory)\n"
              "orvanthe: data/t1.bmp: not read: data/grass.bmp failed\n");
    ForgetReportedAssetProblems();
    EXPECT_TRUE(terrain->displayList == 0u && terrain->quadCount == 0);

    // A heightmap too small to sample 32 x 32 points.
    WriteBytes("data/grass.bmp", SolidBmp(4, 4, {255, 255, 255}));
    WriteBytes("data/small.bmp", SolidBmp(32, 31, {255, 0, 0}));
    auto other = std::make_unique<Terrain>();
    EXPECT_EQ(Stderr([&] { EXPECT_FALSE(other->Load("data/small.bmp")); }),
              "orvanthe: data/small.bmp: heightmap smaller than 32 x 32\n"
              "orvanthe: data/grass.bmp: not used: data/small.bmp failed\n");
    EXPECT_TRUE(other->heightmap.pixels == nullptr && other->displayList == 0u);

    for (float x : {0.0f, 900.0f, 2500.0f, -1e20f, std::numeric_limits<float>::quiet_NaN()}) {
        EXPECT_EQ(terrain->Height(x, -900), -200.0f) << "flat at the lowest ground";
        EXPECT_EQ(other->Height(x, -900), -200.0f);
    }

    glClearColor(0, 0, 1, 0);
    DrawFrom(*terrain, 900, 300, -900, 900, -200, -901, 0);
    other->Draw();
    glFinish();
    const auto frame = ReadFrame();
    for (size_t i = 0; i < frame.size(); i += 4)
        ASSERT_TRUE(frame[i] == 0 && frame[i + 1] == 0 && frame[i + 2] == 255) << "stray pixel at " << i / 4;
}

TEST_F(TerrainTest, TheGrassModulatedByTheShadeCoversThePlatformAndNothingElse) {
    // Grass in four quadrants: each cell shows the whole image once, s along
    // +x and t along -z.
    static const Rgb kQuadrant[2][2] = {{{200, 100, 40}, {40, 200, 100}}, {{100, 40, 200}, {220, 220, 60}}};
    WriteBytes("data/grass.bmp", MakeBmp(2, 2, [](int x, int row) { return kQuadrant[row][x]; }));
    // Columns 0..15 at red 51 (shade 0.5), 16..31 at 255 (shade 2.5, clamped to 1).
    WriteBytes("data/t1.bmp", MakeBmp(32, 32, [](int c, int) { return Rgb{uint8_t(c < 16 ? 51 : 255), 0, 0}; }));
    ASSERT_TRUE(terrain->Load("data/t1.bmp"));

    // Close up, so each texel covers many pixels.
    for (auto [column, row, shade] : {std::tuple{5, 5, 0.5f}, {22, 9, 1.0f}}) {
        SCOPED_TRACE(testing::Message() << "cell " << column << "," << row);
        const float cx = (column + 0.5f) * 60.0f, cz = -(row + 0.5f) * 60.0f, ground = terrain->Height(cx, cz);
        DrawFrom(*terrain, cx, ground + 150, cz, cx, ground, cz, -1);
        EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D)) << "Draw turns texturing off again";
        for (int q = 0; q < 4; ++q) {
            const float s = 0.25f + 0.5f * float(q % 2), t = 0.25f + 0.5f * float(q / 2);
            const auto [wx, wy] = Project((column + s) * 60.0f, ground, -(row + t) * 60.0f);
            ASSERT_TRUE(wx > 0 && wx < 800 && wy > 0 && wy < 600);
            const Pixel p = ReadPixel(wx, wy);
            const Rgb texel = kQuadrant[q / 2][q % 2];
            EXPECT_NEAR(p.r, texel.r * shade, 4) << "s " << s << " t " << t;
            EXPECT_NEAR(p.g, texel.g * shade, 4) << "s " << s << " t " << t;
            EXPECT_NEAR(p.b, texel.b * shade, 4) << "s " << s << " t " << t;
        }
    }

    // Straight down on the whole platform, x to the right, -z up the screen:
    // every cell's centre is drawn, just outside is the clear colour.
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-370, 2230, -45, 1905, -1000, 1000);
    glMatrixMode(GL_MODELVIEW);
    DrawFrom(*terrain, 0, 0, 0, 0, -1, 0, -1);
    for (int i = 0; i < 31; ++i)
        for (int j = 0; j < 31; ++j)
            ASSERT_FALSE(Near(ProjectedPixel((j + 0.5f) * 60.0f, 0, -(i + 0.5f) * 60.0f), {0, 0, 255}, 0))
                << "cell " << j << "," << i;
    for (float x : {-30.0f, 1890.0f}) EXPECT_TRUE(Near(ProjectedPixel(x, 0, -900.0f), {0, 0, 255}, 0)) << x;
}
