// The GLF font and the title screen: hostile files are refused, a good one
// is uploaded as written, glyph quads land where the pen puts them (read
// back as pixels), the title lines sit at their layout corners in any window
// size, the GL state left for the next frame, and the wiring into start-up
// and the title frame.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "game_fixture.h"
#include "text/glf_font.h"
#include "text/title.h"

namespace {

void PutI32(std::string& out, int32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(char(uint32_t(v) >> (8 * i)));
}

void PutF32(std::string& out, float v) {
    int32_t bits;
    std::memcpy(&bits, &v, 4);
    PutI32(out, bits);
}

std::string GlfHeader(int32_t texWidth, int32_t texHeight, int32_t first, int32_t last) {
    std::string out;
    PutI32(out, 99);  // the file's texture name, which Load must ignore
    PutI32(out, texWidth);
    PutI32(out, texHeight);
    PutI32(out, first);
    PutI32(out, last);
    PutI32(out, 0);
    return out;
}

// A whole file: one record per code from first to last, then the texels.
std::string GlfBytes(int32_t texWidth, int32_t texHeight, int32_t first, int32_t last,
                     const std::function<GlfGlyph(int)>& glyph, const std::vector<uint8_t>& texels) {
    std::string out = GlfHeader(texWidth, texHeight, first, last);
    for (int i = 0; i <= last - first; ++i) {
        const GlfGlyph g = glyph(i);
        for (float v : {g.width, g.height, g.leftS, g.topT, g.rightS, g.bottomT}) PutF32(out, v);
    }
    out.append(texels.begin(), texels.end());
    return out;
}

// Every printable glyph is a solid white square of one font unit.
std::string SolidFont() {
    return GlfBytes(1, 1, 32, 126, [](int) { return GlfGlyph{1, 1, 0.5f, 0.5f, 0.5f, 0.5f}; }, {255, 255});
}

// Codes 32..66; record k is 10 + k units wide, 20 high, and shows only
// texel k of a 64 x 1 ramp whose luminance is 40 + 2k, so a pixel's grey
// level names the record that drew it.
constexpr int kRampFirst = 32;
constexpr int kRampLast = 66;
int RampGrey(int record) { return 40 + 2 * record; }
std::string RampFont() {
    std::vector<uint8_t> texels;
    for (int k = 0; k < 64; ++k) {
        texels.push_back(uint8_t(RampGrey(k)));
        texels.push_back(255);
    }
    return GlfBytes(64, 1, kRampFirst, kRampLast,
                    [](int k) {
                        const float s = (float(k) + 0.5f) / 64.0f;
                        return GlfGlyph{10.0f + float(k), 20.0f, s, 0.5f, s, 0.5f};
                    },
                    texels);
}

struct Pixel {
    int r, g, b;
};

Pixel ReadPixel(int x, int y) {
    uint8_t p[4] = {};
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
    return {p[0], p[1], p[2]};
}

bool Lit(int x, int y) {
    const Pixel p = ReadPixel(x, y);
    return p.r > 200 && p.g > 200 && p.b > 200;
}

bool Dark(int x, int y) {
    const Pixel p = ReadPixel(x, y);
    return p.r < 30 && p.g < 30 && p.b < 30;
}

std::vector<uint8_t> ReadFrame(int width = 800, int height = 600) {
    std::vector<uint8_t> frame(size_t(width) * size_t(height) * 4);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, frame.data());
    return frame;
}

std::vector<float> Matrix(GLenum which) {
    std::vector<float> m(16);
    glGetFloatv(which, m.data());
    return m;
}

std::vector<float> Identity() { return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}; }

void ExpectEmpty(const GlfFile& f) {
    EXPECT_EQ(f.texWidth, 0);
    EXPECT_EQ(f.texHeight, 0);
    EXPECT_EQ(f.firstChar, 0);
    EXPECT_EQ(f.lastChar, 0);
    EXPECT_TRUE(f.glyphs.empty());
    EXPECT_EQ(f.texels, nullptr);
}

GlfStatus Parse(const std::string& bytes, GlfFile* file) {
    return ParseGlf(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), file);
}

class Text : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
    void TearDown() override {
        GlfFont::End();
        g_font.Release();
        glDisable(GL_TEXTURE_2D);
        glDisable(GL_BLEND);
        glColor3f(1, 1, 1);
    }

    // Loads bytes written to data/<name> into font, with texture name 0.
    bool LoadFont(GlfFont* font, const char* name, const std::string& bytes) {
        const std::string path = std::string("data/") + name;
        dir_.Write(path.c_str(), bytes);
        return font->Load(path, 0);
    }

    // Window coordinates are the drawing space, as in the title's ortho.
    static void Draw2D(const GlfFont& font, const char* text, float x, float y) {
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0, 800, 0, 600, -1, 1);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glDisable(GL_DEPTH_TEST);
        glEnable(GL_TEXTURE_2D);
        glColor3f(1, 1, 1);
        font.Begin();
        GlfFont::DrawString(text, x, y, 0);
        GlfFont::End();
        glFinish();
    }

    ScratchDir dir_;
};

}  // namespace

TEST(GlfParse, AcceptsAWellFormedFileAndIgnoresTrailingBytes) {
    // Odd width, the whole 0..255 code range, and a trailer after the texels.
    std::vector<uint8_t> texels;
    for (int i = 0; i < 3 * 2 * 2; ++i) texels.push_back(uint8_t(10 * i + 1));
    const std::string bytes =
        GlfBytes(3, 2, 0, 255,
                 [](int k) {
                     return GlfGlyph{float(k), -1.5f, 0.25f, 0.75f, float(k) / 256.0f, 1e-3f};
                 },
                 texels) +
        "trailer";
    GlfFile f;
    ASSERT_EQ(Parse(bytes, &f), GlfStatus::Ok);
    EXPECT_EQ(f.texWidth, 3);
    EXPECT_EQ(f.texHeight, 2);
    EXPECT_EQ(f.firstChar, 0);
    EXPECT_EQ(f.lastChar, 255);
    ASSERT_EQ(f.glyphs.size(), 256u);
    const GlfGlyph& g = f.glyphs[200];
    EXPECT_EQ(g.width, 200.0f);
    EXPECT_EQ(g.height, -1.5f);
    EXPECT_EQ(g.leftS, 0.25f);
    EXPECT_EQ(g.topT, 0.75f);
    EXPECT_EQ(g.rightS, 200.0f / 256.0f);
    EXPECT_EQ(g.bottomT, 1e-3f);
    ASSERT_EQ(f.texels, reinterpret_cast<const uint8_t*>(bytes.data()) + 24 + 24 * 256);
    EXPECT_EQ(std::vector<uint8_t>(f.texels, f.texels + texels.size()), texels);

    // The largest texture side is still accepted (one record, 4096 x 1).
    const std::string wide = GlfBytes(4096, 1, 65, 65, [](int) { return GlfGlyph{}; },
                                      std::vector<uint8_t>(4096 * 2, 7));
    EXPECT_EQ(Parse(wide, &f), GlfStatus::Ok);
    EXPECT_EQ(f.texWidth, 4096);
}

TEST(GlfParse, RefusesHostileHeadersAndShortFilesLeavingNothing) {
    const auto blank = [](int) { return GlfGlyph{}; };
    const std::string good = GlfBytes(2, 2, 65, 67, blank, std::vector<uint8_t>(8, 1));
    const size_t glyphEnd = 24 + 3 * 24;
    const struct {
        const char* what;
        std::string bytes;
        GlfStatus status;
    } cases[] = {
        {"empty", "", GlfStatus::TruncatedHeader},
        {"header one byte short", good.substr(0, 23), GlfStatus::TruncatedHeader},
        {"zero width", GlfHeader(0, 2, 65, 67), GlfStatus::BadTextureSize},
        {"negative width", GlfHeader(-1, 2, 65, 67), GlfStatus::BadTextureSize},
        {"width above the limit", GlfHeader(4097, 2, 65, 67), GlfStatus::BadTextureSize},
        {"largest width", GlfHeader(INT_MAX, 2, 65, 67), GlfStatus::BadTextureSize},
        {"smallest width", GlfHeader(INT_MIN, 2, 65, 67), GlfStatus::BadTextureSize},
        {"zero height", GlfHeader(2, 0, 65, 67), GlfStatus::BadTextureSize},
        {"negative height", GlfHeader(2, -5, 65, 67), GlfStatus::BadTextureSize},
        {"height above the limit", GlfHeader(2, 4097, 65, 67), GlfStatus::BadTextureSize},
        {"last below first", GlfHeader(2, 2, 66, 65), GlfStatus::BadCharRange},
        {"negative first", GlfHeader(2, 2, -1, 65), GlfStatus::BadCharRange},
        {"last beyond a byte", GlfHeader(2, 2, 65, 256), GlfStatus::BadCharRange},
        {"count that overflows", GlfHeader(2, 2, INT_MIN, INT_MAX), GlfStatus::BadCharRange},
        {"no glyph table", GlfHeader(2, 2, 65, 67), GlfStatus::TruncatedGlyphs},
        {"glyph table one byte short", good.substr(0, glyphEnd - 1), GlfStatus::TruncatedGlyphs},
        {"no texels", good.substr(0, glyphEnd), GlfStatus::TruncatedTexels},
        {"texels one byte short", good.substr(0, good.size() - 1), GlfStatus::TruncatedTexels},
        {"huge texture, tiny file", GlfBytes(4096, 4096, 65, 65, blank, {1, 2, 3}), GlfStatus::TruncatedTexels},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        GlfFile f;
        ASSERT_EQ(Parse(good, &f), GlfStatus::Ok);  // so refusal has something to clear
        EXPECT_EQ(Parse(c.bytes, &f), c.status);
        ExpectEmpty(f);
        EXPECT_STRNE(GlfStatusText(c.status), GlfStatusText(GlfStatus::Ok));
    }
}

TEST_F(Text, LoadUploadsTheTexelsIntoTheGivenTextureName) {
    // Rows of 3 texels are 6 bytes: not a multiple of GL's default
    // unpack alignment, so a careless upload skews rows and over-reads.
    const std::vector<uint8_t> texels = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    const std::string bytes =
        GlfBytes(3, 2, 48, 50, [](int k) { return GlfGlyph{float(k + 1), 2, 0, 1, 1, 0}; }, texels);
    GLuint name = 0;
    glGenTextures(1, &name);
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    dir_.Write("data/odd.glf", bytes);
    GlfFont font;
    ASSERT_TRUE(font.Load("data/odd.glf", name));
    EXPECT_EQ(font.texName, name) << "the caller's name wins over the file's";
    EXPECT_EQ(font.texWidth, 3);
    EXPECT_EQ(font.texHeight, 2);
    EXPECT_EQ(font.firstChar, 48);
    EXPECT_EQ(font.lastChar, 50);
    ASSERT_EQ(font.glyphs.size(), 3u);
    EXPECT_EQ(font.glyphs[2].width, 3.0f);

    GLint bound = 0, env = 0, minFilter = 0, wrap = 0, format = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(GLuint(bound), name);
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &env);
    EXPECT_EQ(env, GL_MODULATE);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    EXPECT_EQ(minFilter, GL_LINEAR) << "no mipmaps are made";
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrap);
    EXPECT_EQ(wrap, GL_CLAMP);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
    EXPECT_TRUE(format == GL_LUMINANCE_ALPHA || format == 2) << format;

    std::vector<uint8_t> back(texels.size() + 4, 0xEE);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_LUMINANCE_ALPHA, GL_UNSIGNED_BYTE, back.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    back.resize(texels.size());
    EXPECT_EQ(back, texels);
    GLint alignment = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    EXPECT_EQ(alignment, 4) << "the unpack alignment is put back";

    font.Release();
    EXPECT_TRUE(font.glyphs.empty());
}

TEST_F(Text, FailedLoadsAreReportedOnceAndNeverLeaveABrokenFont) {
    // Each path is reported once per process: fresh names keep repeated
    // runs honest.
    static int run = 0;
    const std::string tag = std::to_string(++run);
    const std::string missing = "data/text-test-missing-" + tag + ".glf";
    const std::string cut = "text-test-cut-" + tag + ".glf";
    const std::string dir = "data/text-test-dir-" + tag + ".glf";
    GlfFont font;
    ASSERT_TRUE(LoadFont(&font, "good.glf", RampFont()));

    // A missing file leaves the font as it was.
    testing::internal::CaptureStderr();
    EXPECT_FALSE(font.Load(missing, 0));
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "orvanthe: " + missing + ": cannot open (No such file or directory)\n");
    EXPECT_EQ(font.glyphs.size(), size_t(kRampLast - kRampFirst + 1));

    // A refused one leaves it without glyphs, so nothing is drawn from it.
    const std::string ramp = RampFont();
    testing::internal::CaptureStderr();
    EXPECT_FALSE(LoadFont(&font, cut.c_str(), ramp.substr(0, ramp.size() - 1)));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "orvanthe: data/" + cut + ": truncated texture data\n");
    EXPECT_TRUE(font.glyphs.empty());
    font.Begin();
    EXPECT_EQ(g_currentFont, nullptr);

    ASSERT_TRUE(LoadFont(&font, "good.glf", RampFont()));
    ASSERT_EQ(mkdir(dir.c_str(), 0755), 0);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(font.Load(dir, 0));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "orvanthe: " + dir + ": cannot read (Is a directory)\n");
    EXPECT_TRUE(font.glyphs.empty());
}

TEST_F(Text, GlyphQuadsHangBelowThePenWhichAdvancesByEachWidth) {
    GlfFont font;
    ASSERT_TRUE(LoadFont(&font, "ramp.glf", RampFont()));
    // 'A' is record 65 - 32 = 33 (43 wide), 'B' record 34 (44 wide).
    Draw2D(font, "AB", 100, 300);
    const int a = RampGrey(33), b = RampGrey(34);
    EXPECT_NEAR(ReadPixel(101, 299).r, a, 2) << "top-left corner of A";
    EXPECT_NEAR(ReadPixel(141, 281).r, a, 2) << "bottom-right corner of A";
    EXPECT_NEAR(ReadPixel(144, 299).r, b, 2) << "B starts where A ends";
    EXPECT_NEAR(ReadPixel(186, 281).r, b, 2) << "bottom-right corner of B";
    EXPECT_TRUE(Dark(188, 290)) << "nothing after B";
    EXPECT_TRUE(Dark(120, 301)) << "nothing above the pen";
    EXPECT_TRUE(Dark(120, 278)) << "glyphs are 20 high";
    EXPECT_TRUE(Dark(98, 290)) << "nothing left of the pen";
}

TEST_F(Text, BytesWithoutAGlyphAreSkippedWithoutAdvancing) {
    GlfFont font;
    ASSERT_TRUE(LoadFont(&font, "ramp.glf", RampFont()));
    Draw2D(font, "AB", 100, 300);
    const std::vector<uint8_t> expected = ReadFrame();
    // Below the range, above it, and a byte that is negative as a signed char.
    for (const char* text : {"\x01" "AB", "A~B", "AB" "\xc1", "\x1f" "A" "\x7f" "\xff" "B"}) {
        SCOPED_TRACE(text);
        glClear(GL_COLOR_BUFFER_BIT);
        Draw2D(font, text, 100, 300);
        EXPECT_TRUE(ReadFrame() == expected);
    }
}

TEST_F(Text, TitleLinesSitBelowTheirLayoutCornersInAnyWindowSize) {
    GlfFont font;
    ASSERT_TRUE(LoadFont(&font, "solid.glf", SolidFont()));
    struct Line {
        int x, y;   // top-left corner in the 800 x 600 space
        int right;  // corner x + length * scale
        int scale;
    };
    const Line lines[] = {
        {130, 530, 130 + 9 * 10, 10}, {125, 500, 125 + 17 * 25, 25}, {560, 70, 560 + 14 * 7, 7},
        {560, 49, 560 + 16 * 7, 7},   {560, 28, 560 + 20 * 7, 7},
    };
    for (const auto& size : {std::pair<int, int>{800, 600}, std::pair<int, int>{1000, 450}}) {
        const int w = size.first, h = size.second;
        SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
        std::string error;
        ASSERT_TRUE(platform::CreateMainWindow(kCaption, w, h, &error)) << error;
        SetProjection(w, h);
        glClear(GL_COLOR_BUFFER_BIT);
        DrawTitle(font);
        glFinish();
        const auto X = [w](double x) { return int(x * w / 800.0); };
        const auto Y = [h](double y) { return int(y * h / 600.0); };
        for (const Line& l : lines) {
            SCOPED_TRACE("line at " + std::to_string(l.x) + ", " + std::to_string(l.y));
            const double glyph = l.scale;  // one font unit high
            EXPECT_TRUE(Lit(X(l.x) + 2, Y(l.y) - 2)) << "just below the corner";
            EXPECT_TRUE(Lit(X(l.right) - 2, Y(l.y - glyph) + 2)) << "bottom right of the line";
            EXPECT_TRUE(Dark(X(l.x) + 2, Y(l.y) + 3)) << "above the line";
            EXPECT_TRUE(Dark(X(l.x) - 3, Y(l.y) - 2)) << "left of the line";
            EXPECT_TRUE(Dark(X(l.right) + 3, Y(l.y) - 2)) << "right of the line";
            EXPECT_TRUE(Dark(X(l.x) + 2, Y(l.y - glyph) - 3)) << "below the line";
        }
        EXPECT_TRUE(Dark(X(400), Y(300)));
        EXPECT_TRUE(Dark(X(50), Y(50)));
        EXPECT_TRUE(Dark(X(750), Y(580)));
        EXPECT_TRUE(Dark(X(600), Y(56))) << "between instruction lines";
    }
}

TEST_F(Text, TitleLeavesRedDepthTestingAndTheProjectionWithOrWithoutAFont) {
    GlfFont solid, none;
    ASSERT_TRUE(LoadFont(&solid, "solid.glf", SolidFont()));
    for (const GlfFont* font : {&solid, &none}) {
        SCOPED_TRACE(font == &none ? "no font" : "font");
        glClear(GL_COLOR_BUFFER_BIT);
        const std::vector<uint8_t> before = ReadFrame();
        // The opposite of what DrawTitle must leave.
        glDisable(GL_DEPTH_TEST);
        glEnable(GL_BLEND);
        glBlendFunc(GL_ONE, GL_ONE);
        glEnable(GL_TEXTURE_2D);
        glColor4f(0, 1, 0, 0.5f);
        const std::vector<float> projection = Matrix(GL_PROJECTION_MATRIX);
        glMatrixMode(GL_MODELVIEW);
        glTranslatef(3, 4, 5);
        GLint depthBefore = 0;
        glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &depthBefore);

        DrawTitle(*font);
        glFinish();

        float colour[4];
        glGetFloatv(GL_CURRENT_COLOR, colour);
        EXPECT_EQ(std::vector<float>(colour, colour + 4), (std::vector<float>{1, 0, 0, 1}));
        EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
        EXPECT_FALSE(glIsEnabled(GL_BLEND));
        EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
        GLint mode = 0, depthAfter = 0;
        glGetIntegerv(GL_MATRIX_MODE, &mode);
        EXPECT_EQ(mode, GL_MODELVIEW);
        glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &depthAfter);
        EXPECT_EQ(depthAfter, depthBefore);
        EXPECT_EQ(Matrix(GL_PROJECTION_MATRIX), projection);
        EXPECT_EQ(Matrix(GL_MODELVIEW_MATRIX), Identity());
        EXPECT_EQ(g_currentFont, nullptr);
        if (font == &none) {
            EXPECT_TRUE(ReadFrame() == before) << "nothing is drawn without a font";
        } else {
            EXPECT_FALSE(ReadFrame() == before);
        }
    }
}

TEST_F(Text, StartupLoadsTheFontIntoTextureZeroAndTheTitleFrameShowsIt) {
    dir_.Write("data/f.glf", SolidFont());
    InitGame();
    EXPECT_EQ(g_font.texName, 0u);
    EXPECT_EQ(g_font.glyphs.size(), 95u);
    ReachTitle();
    // The frame is presented by now; its pixels are still in the buffer.
    EXPECT_TRUE(Lit(127, 498)) << "below the title line's corner";
    ShutdownGame();
    EXPECT_TRUE(g_font.glyphs.empty());
}

TEST_F(Text, WithoutTheFontTheTitleIsBlankAndEnterStillStartsPlay) {
    // An empty default texture: the sky then shows one flat colour, and
    // any text would stand out from it.
    glBindTexture(GL_TEXTURE_2D, 0);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 0, 0, 0, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
    InitGame();
    EXPECT_TRUE(g_font.glyphs.empty());
    ReachTitle();
    const std::vector<uint8_t> frame = ReadFrame();
    bool flat = true;
    for (size_t i = 4; i < frame.size(); i += 4) flat = flat && std::memcmp(&frame[i], &frame[0], 3) == 0;
    EXPECT_TRUE(flat) << "no text without the font";
    StartPlay();
    ShutdownGame();
}
