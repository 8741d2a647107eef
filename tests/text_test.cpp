// The GLF font and the title: parsing, upload, glyph quads read back as pixels, the title's layout and state.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "common/glf.h"
#include "scenery_fixture.h"
#include "text/glf_font.h"
#include "text/title.h"

namespace {

// The first field is the file's texture name, which Load must ignore.
std::string GlfHeader(int32_t texWidth, int32_t texHeight, int32_t first, int32_t last) {
    return Bytes(BuildGlf({99, texWidth, texHeight, first, last, {}, {}}));
}

// A whole file: one record per code from first to last, then the texels.
std::string GlfBytes(int32_t texWidth, int32_t texHeight, int32_t first, int32_t last,
                     const std::function<GlfGlyph(int)>& glyph, const std::vector<uint8_t>& texels) {
    RawGlf font{99, texWidth, texHeight, first, last, {}, texels};
    for (int i = 0; i <= last - first; ++i) {
        const GlfGlyph g = glyph(i);
        font.glyphs.push_back({g.width, g.height, g.leftS, g.topT, g.rightS, g.bottomT});
    }
    return Bytes(BuildGlf(font));
}

// Every printable glyph is a solid white square of one font unit.
std::string SolidFont() {
    return GlfBytes(1, 1, 32, 126, [](int) { return GlfGlyph{1, 1, 0.5f, 0.5f, 0.5f, 0.5f}; }, {255, 255});
}

// Codes 32..66; record k is 10 + k units wide, 20 high, and shows only texel k of a ramp whose
// luminance is 40 + 2k, so a pixel's grey level names the record that drew it.
int RampGrey(int record) { return 40 + 2 * record; }
std::string RampFont() {
    std::vector<uint8_t> texels;
    for (int k = 0; k < 64; ++k) texels.insert(texels.end(), {uint8_t(RampGrey(k)), 255});
    const auto glyph = [](int k) {
        const float s = (float(k) + 0.5f) / 64.0f;
        return GlfGlyph{10.0f + float(k), 20.0f, s, 0.5f, s, 0.5f};
    };
    return GlfBytes(64, 1, 32, 66, glyph, texels);
}

bool Lit(int x, int y) { return Near(ReadPixel(x, y), {255, 255, 255}, 54); }
bool Dark(int x, int y) { return Near(ReadPixel(x, y), {0, 0, 0}, 29); }

GlfStatus Parse(const std::string& bytes, GlfFile* file) {
    return ParseGlf(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), file);
}

class Text : public DrawingTest {
protected:
    void SetUp() override {
        DrawingTest::SetUp();
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
    // Loads bytes written to data/<name> into font, with texture name 0.
    bool LoadFont(GlfFont* font, const std::string& name, const std::string& bytes) {
        dir_.Write(("data/" + name).c_str(), bytes);
        return font->Load("data/" + name, 0);
    }

    // Window coordinates are the drawing space, as in the title's ortho.
    static void Draw2D(const GlfFont& font, const char* text, float x, float y) {
        glBlendFunc(GL_ONE, GL_ZERO);
        const Screen2D pass(0, 800, 0, 600, -1, 1);
        glColor3f(1, 1, 1);
        font.Begin();
        GlfFont::DrawString(text, x, y, 0);
        GlfFont::End();
    }
};

}  // namespace

TEST(GlfParse, RefusesHostileHeadersAndShortFilesLeavingNothing) {
    const auto blank = [](int) { return GlfGlyph{}; };
    const std::string good = GlfBytes(2, 2, 65, 67, blank, std::vector<uint8_t>(8, 1));
    const std::tuple<const char*, std::string, GlfStatus> cases[] = {
        {"header one byte short", good.substr(0, 23), GlfStatus::TruncatedHeader},
        {"zero width", GlfHeader(0, 2, 65, 67), GlfStatus::BadTextureSize},
        {"width above the limit", GlfHeader(4097, 2, 65, 67), GlfStatus::BadTextureSize},
        {"zero height", GlfHeader(2, 0, 65, 67), GlfStatus::BadTextureSize},
        {"height above the limit", GlfHeader(2, 4097, 65, 67), GlfStatus::BadTextureSize},
        {"last below first", GlfHeader(2, 2, 66, 65), GlfStatus::BadCharRange},
        {"negative first", GlfHeader(2, 2, -1, 65), GlfStatus::BadCharRange},
        {"last beyond a byte", GlfHeader(2, 2, 65, 256), GlfStatus::BadCharRange},
        {"glyph table one byte short", good.substr(0, 24 + 3 * 24 - 1), GlfStatus::TruncatedGlyphs},
        {"texels one byte short", good.substr(0, good.size() - 1), GlfStatus::TruncatedTexels},
    };
    GlfFile f;
    EXPECT_EQ(Parse(GlfBytes(4096, 1, 65, 65, blank, std::vector<uint8_t>(8192, 7)), &f), GlfStatus::Ok)
        << "the largest side";
    for (const auto& [what, bytes, status] : cases) {
        SCOPED_TRACE(what);
        ASSERT_EQ(Parse(good, &f), GlfStatus::Ok);  // so refusal has something to clear
        EXPECT_EQ(Parse(bytes, &f), status);
        EXPECT_TRUE(f.texWidth == 0 && f.texHeight == 0 && f.firstChar == 0 && f.lastChar == 0);
        EXPECT_TRUE(f.glyphs.empty() && f.texels == nullptr);
    }
}

// Odd width, the whole 0..255 code range and a trailer after the texels. Rows of 3 texels are 6 bytes,
// not a multiple of GL's default unpack alignment: a careless upload skews rows and over-reads.
TEST_F(Text, LoadReadsTheGlyphsAndUploadsTheTexelsIntoTheGivenTextureName) {
    std::vector<uint8_t> texels;
    for (int i = 0; i < 3 * 2 * 2; ++i) texels.push_back(uint8_t(10 * i + 1));
    GLuint name = 0;
    glGenTextures(1, &name);
    const auto glyph = [](int k) { return GlfGlyph{float(k), -1.5f, 0.25f, 0.75f, float(k) / 256, 1e-3f}; };
    dir_.Write("data/odd.glf", GlfBytes(3, 2, 0, 255, glyph, texels) + "trailer");
    GlfFont font;
    ASSERT_TRUE(font.Load("data/odd.glf", name));
    EXPECT_EQ(font.texName, name) << "the caller's name wins over the file's";
    EXPECT_EQ((std::vector<int>{font.texWidth, font.texHeight, font.firstChar, font.lastChar}),
              (std::vector<int>{3, 2, 0, 255}));
    ASSERT_EQ(font.glyphs.size(), 256u);
    const GlfGlyph& g = font.glyphs[200];
    EXPECT_EQ((std::vector<float>{g.width, g.height, g.leftS, g.topT, g.rightS, g.bottomT}),
              (std::vector<float>{200, -1.5f, 0.25f, 0.75f, 200.0f / 256, 1e-3f}));
    EXPECT_EQ(GLuint(GlInt(GL_TEXTURE_BINDING_2D)), name);
    std::vector<uint8_t> back(texels.size() + 4, 0xEE);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_LUMINANCE_ALPHA, GL_UNSIGNED_BYTE, back.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    back.resize(texels.size());
    EXPECT_EQ(back, texels);
    EXPECT_EQ(GlInt(GL_UNPACK_ALIGNMENT), 4) << "the unpack alignment is put back";
}

TEST_F(Text, FailedLoadsAreReportedOnceAndNeverLeaveABrokenFont) {
    GlfFont font;
    const auto load = [&](const std::string& path, const std::string& report) {
        SCOPED_TRACE(path);
        ASSERT_TRUE(LoadFont(&font, "good.glf", RampFont()));
        EXPECT_EQ(Stderr([&] { EXPECT_FALSE(font.Load(path, 0) || font.Load(path, 0)); }),
                  "orvanthe: " + path + ": " + report + "\n");
    };
    // A missing file leaves the font as it was.
    load("data/missing.glf", "cannot open (No such file or directory)");
    EXPECT_EQ(font.glyphs.size(), 35u);
    // A refused or unreadable one leaves it without glyphs, so nothing is drawn from it.
    const std::string ramp = RampFont();
    dir_.Write("data/cut.glf", ramp.substr(0, ramp.size() - 1));
    load("data/cut.glf", "truncated texture data");
    EXPECT_TRUE(font.glyphs.empty());
    font.Begin();
    EXPECT_EQ(g_currentFont, nullptr);
    ASSERT_EQ(mkdir("data/dir.glf", 0755), 0);
    load("data/dir.glf", "not a regular file (directory)");
    EXPECT_TRUE(font.glyphs.empty());
}

TEST_F(Text, GlyphQuadsHangBelowThePenWhichAdvancesByEachWidthSkippingUnknownBytes) {
    GlfFont font;
    ASSERT_TRUE(LoadFont(&font, "ramp.glf", RampFont()));
    // 'A' is record 65 - 32 = 33 (43 wide), 'B' record 34 (44 wide).
    Draw2D(font, "AB", 100, 300);
    const int a = RampGrey(33), b = RampGrey(34);
    // The corners of A, then of B, which starts where A ends; then outside both.
    for (auto [x, y, grey] : {std::tuple{101, 299, a}, {141, 281, a}, {144, 299, b}, {186, 281, b}})
        EXPECT_NEAR(ReadPixel(x, y).r, grey, 2) << x << "," << y;
    for (auto [x, y] : {std::pair{188, 290}, {120, 301}, {120, 278}, {98, 290}})
        EXPECT_TRUE(Dark(x, y)) << x << "," << y;

    // Bytes below the range, above it, and negative as a signed char draw nothing and do not move the pen.
    const std::vector<uint8_t> expected = ReadFrame();
    for (const char* text : {"\x01"
                             "AB",
                             "A~B",
                             "AB"
                             "\xc1",
                             "\x1f"
                             "A"
                             "\x7f"
                             "\xff"
                             "B"}) {
        SCOPED_TRACE(text);
        glClear(GL_COLOR_BUFFER_BIT);
        Draw2D(font, text, 100, 300);
        EXPECT_TRUE(ReadFrame() == expected);
    }
}

// Each title line below its layout corner at any size, the best time's only when given; with or without a font,
// red and the state as found.
TEST_F(Text, TitleLinesSitBelowTheirLayoutCornersAndLeaveTheStateAsFound) {
    GlfFont font, none;
    const auto drawTitle = [](const GlfFont& f, const std::string& best) {
        const SavedState saved = UpsetState();
        DrawTitle(f, best);
        ExpectRestoredState(saved, {1, 0, 0, 1});
        EXPECT_EQ(g_currentFont, nullptr);
    };
    const std::vector<uint8_t> before = ReadFrame();
    drawTitle(none, "Best time 0:42.36");
    EXPECT_TRUE(ReadFrame() == before) << "nothing drawn without a font";

    ASSERT_TRUE(LoadFont(&font, "solid.glf", SolidFont()));
    struct Line {
        int x, y, length, scale;  // top-left corner in the 800 x 600 space
    };
    const Line lines[] = {{130, 530, 9, 10}, {125, 500, 17, 25}, {560, 70, 14, 7},
                          {560, 49, 16, 7},  {560, 28, 20, 7},   {14, 28, 13, 7}};
    const Line bestLine = {14, 49, 17, 7};
    for (const auto& [w, h] : {std::pair{800, 600}, std::pair{1000, 450}}) {
        for (const std::string best : {"", "Best time 0:42.36"}) {
            SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h) + " " + best);
            Reshape(w, h);
            glClear(GL_COLOR_BUFFER_BIT);
            drawTitle(font, best);
            const auto X = [w = w](double x) { return int(x * w / 800.0); };
            const auto Y = [h = h](double y) { return int(y * h / 600.0); };
            std::vector<Line> shown(std::begin(lines), std::end(lines));
            if (!best.empty()) shown.push_back(bestLine);
            for (const auto& l : shown) {
                SCOPED_TRACE("line at " + std::to_string(l.x) + ", " + std::to_string(l.y));
                const int right = l.x + l.length * l.scale, bottom = l.y - l.scale;  // glyphs are one unit high
                EXPECT_TRUE(Lit(X(l.x) + 2, Y(l.y) - 2) && Lit(X(right) - 2, Y(bottom) + 2)) << "inside the corners";
                EXPECT_TRUE(Dark(X(l.x) + 2, Y(l.y) + 3) && Dark(X(l.x) + 2, Y(bottom) - 3)) << "above and below";
                EXPECT_TRUE(Dark(X(l.x) - 3, Y(l.y) - 2) && Dark(X(right) + 3, Y(l.y) - 2)) << "left and right";
            }
            EXPECT_TRUE(Dark(X(400), Y(300)) && Dark(X(600), Y(56))) << "between the lines";
            if (best.empty()) {
                EXPECT_TRUE(Dark(X(16), Y(47))) << "no best time";
            }
        }
    }
}

TEST_F(Text, StartupLoadsTheFontIntoTextureZeroAndShutdownReleasesIt) {
    dir_.Write("data/f.glf", SolidFont());
    InitGame();
    EXPECT_TRUE(g_font.texName == 0u && g_font.glyphs.size() == 95u);
    ShutdownGame();
    EXPECT_TRUE(g_font.glyphs.empty());
}
