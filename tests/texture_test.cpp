// BMP decoding (including hostile files) and Texture loading into GL.
#include <GL/gl.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <climits>
#include <string>
#include <thread>
#include <vector>

#include "scenery_fixture.h"
#include "game_fixture.h"
#include "scenery/bmp.h"
#include "scenery/texture.h"

namespace {

Rgb Pattern(int x, int row) { return Rgb{uint8_t(x * 7 + 1), uint8_t(row * 13 + 2), uint8_t(x + row * 3 + 3)}; }

// Opens the FIFO for writing, over and over, until destroyed. A reader that
// waits for a writer is let through at once and reads nothing, so a reader
// that blocks shows as a wrong reason instead of a hung test.
class FifoWriter {
public:
    explicit FifoWriter(const char* path) : path_(path), thread_([this] { Run(); }) {}
    ~FifoWriter() {
        stop_ = true;
        thread_.join();
    }

private:
    void Run() {
        while (!stop_) {
            const int fd = open(path_.c_str(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0) close(fd);
            std::this_thread::yield();
        }
    }
    std::string path_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

BmpStatus Decode(const std::vector<uint8_t>& bytes, BmpImage* image) {
    return DecodeBmp(bytes.data(), bytes.size(), image);
}

// The decoded image must be exactly Pattern, bottom row first, unpadded.
void ExpectPattern(const BmpImage& image, int width, int height) {
    ASSERT_EQ(image.width, width);
    ASSERT_EQ(image.height, height);
    ASSERT_EQ(image.pixels.size(), size_t(width) * size_t(height) * 3);
    for (int row = 0; row < height; ++row)
        for (int x = 0; x < width; ++x) {
            const Rgb c = Pattern(x, row);
            const uint8_t* p = &image.pixels[(size_t(row) * width + x) * 3];
            ASSERT_EQ(p[0], c.r) << x << "," << row;
            ASSERT_EQ(p[1], c.g) << x << "," << row;
            ASSERT_EQ(p[2], c.b) << x << "," << row;
        }
}

}  // namespace

TEST(BmpDecoder, ReadsWellFormedFilesBottomRowFirstUnpaddedInRgbOrder) {
    BmpOptions v5, topDown;
    v5.infoSize = 124;  // longer information headers put the pixels further in
    topDown.topDown = true;
    // Widths 1, 2, 3 and 5 carry 1 to 3 fill bytes a row; none may leak.
    // biSizeImage is neither trusted nor needed.
    struct Case {
        int width, height;
        BmpOptions options;
    };
    std::vector<Case> cases;
    for (int width : {1, 2, 3, 4, 5, 32}) cases.push_back({width, 3, BmpOptions()});
    cases.push_back({3, 2, v5});
    for (int64_t sizeImage : {int64_t(0), int64_t(47), int64_t(7), int64_t(0xFFFFFFFF)}) {
        BmpOptions o;
        o.sizeImage = sizeImage;
        cases.push_back({5, 3, o});
    }
    cases.push_back({3, 4, topDown});
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " info " << c.options.infoSize
                                        << " sizeImage " << c.options.sizeImage << " topDown " << c.options.topDown);
        // Stored row 0 of a top-down file is the top of the picture.
        const int h = c.height;
        const bool flip = c.options.topDown;
        BmpImage image;
        ASSERT_EQ(Decode(MakeBmp(c.width, h, [=](int x, int row) { return Pattern(x, flip ? h - 1 - row : row); },
                                 c.options),
                         &image),
                  BmpStatus::Ok);
        ExpectPattern(image, c.width, h);
    }
}

TEST(BmpDecoder, ConvertsEveryUncompressedDepthAndHeaderKindToRgb) {
    // Colour-table entries are stored B, G, R (and a fourth byte unless the
    // header is the OS/2 one).
    const Rgb c0{0x30, 0x20, 0x10}, c1{3, 2, 1}, c2{0xCC, 0xBB, 0xAA}, c3{0x80, 0, 0xFF};
    const std::vector<uint8_t> table2 = {0x10, 0x20, 0x30, 0, 1, 2, 3, 0};
    std::vector<uint8_t> table4 = table2;
    table4.insert(table4.end(), {0xAA, 0xBB, 0xCC, 0, 0xFF, 0, 0x80, 0});
    const std::vector<uint8_t> core4 = {0x10, 0x20, 0x30, 1, 2, 3, 0xAA, 0xBB, 0xCC, 0xFF, 0, 0x80};
    const auto raw = [](uint32_t infoSize, int32_t width, int32_t height, uint16_t bitCount) {
        RawBmp b;
        b.infoSize = infoSize;
        b.width = width;
        b.height = height;
        b.bitCount = bitCount;
        return b;
    };
    struct Case {
        const char* what;
        RawBmp file;
        std::vector<Rgb> expected;  // bottom row first
    };
    std::vector<Case> cases;
    auto add = [&](const char* what, RawBmp file, std::vector<uint8_t> palette, std::vector<uint8_t> rows,
                   std::vector<Rgb> expected) {
        file.palette = std::move(palette);
        file.rows = std::move(rows);
        cases.push_back({what, std::move(file), std::move(expected)});
    };
    add("1-bit, 9 wide: two bytes and fill a row", raw(40, 9, 2, 1), table2,
        {0xB0, 0x80, 0, 0, 0x41, 0x00, 0, 0},
        {c1, c0, c1, c1, c0, c0, c0, c0, c1, c0, c1, c0, c0, c0, c0, c0, c1, c0});
    RawBmp four = raw(40, 3, 1, 4);
    four.coloursUsed = 4;
    add("4-bit, odd width: the last pixel in a high nibble", four, table4, {0x21, 0x30, 0, 0}, {c2, c1, c3});
    add("8-bit top-down; four colours, the table ends where the pixels begin", raw(40, 2, -2, 8), table4,
        {3, 0, 0, 0, 1, 2, 0, 0}, {c1, c2, c3, c0});
    RawBmp v5 = raw(124, 2, 1, 8);
    v5.coloursUsed = 2;
    add("8-bit with a 124-byte header and two colours", v5, table2, {1, 0, 0, 0}, {c1, c0});
    add("8-bit OS/2 header: three-byte colours", raw(12, 2, 1, 8), core4, {2, 3, 0, 0}, {c2, c3});
    add("24-bit OS/2 header", raw(12, 1, 1, 24), {}, {1, 2, 3, 0}, {{3, 2, 1}});
    add("16-bit 5-5-5, the top bit unused; 5-bit 1 is 8, 16 is 132", raw(40, 4, 1, 16), {},
        {0xFF, 0xFF, 0x00, 0x7C, 0x21, 0x04, 0x10, 0x42},
        {{255, 255, 255}, {255, 0, 0}, {8, 8, 8}, {132, 132, 132}});
    RawBmp rgb565 = raw(40, 3, 1, 16);
    rgb565.compression = 3;
    rgb565.masks = {0xF800, 0x07E0, 0x001F};
    add("16-bit 5-6-5 masks after a 40-byte header; 6-bit 33 is 134", rgb565, {},
        {0x00, 0xF8, 0xE0, 0x07, 0x20, 0x04, 0, 0}, {{255, 0, 0}, {0, 255, 0}, {0, 134, 0}});
    RawBmp argb4444 = raw(124, 1, 1, 16);
    argb4444.compression = 3;
    argb4444.masks = {0x0F00, 0x00F0, 0x000F, 0xF000};
    add("16-bit 4-4-4 masks inside a 124-byte header, alpha ignored", argb4444, {}, {0x8F, 0xF1, 0, 0},
        {{0x11, 0x88, 0xFF}});
    RawBmp oneBit = raw(40, 1, 1, 16);
    oneBit.compression = 3;
    oneBit.masks = {0x0001, 0x0002, 0x0004};
    add("16-bit one-bit masks: on is 255", oneBit, {}, {0x05, 0, 0, 0}, {{255, 0, 255}});
    add("32-bit B, G, R and an ignored byte", raw(40, 2, 1, 32), {}, {1, 2, 3, 0xFF, 0x10, 0x20, 0x30, 0},
        {{3, 2, 1}, {0x30, 0x20, 0x10}});
    RawBmp xbgr = raw(52, 1, 1, 32);
    xbgr.compression = 3;
    xbgr.masks = {0x0000FF, 0x00FF00, 0xFF0000};
    add("32-bit masks inside a 52-byte header", xbgr, {}, {1, 2, 3, 4}, {{1, 2, 3}});
    RawBmp wide = raw(40, 1, 1, 32);
    wide.compression = 3;
    wide.masks = {0x3FF00000, 0x000FFC00, 0x000003FF};
    add("32-bit 10-bit masks keep the top 8 bits", wide, {}, {0x03, 0x00, 0xF8, 0x3F}, {{255, 128, 0}});
    add("the last row's fill may be missing", raw(40, 1, 1, 1), table2, {0x80}, {c1});

    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        BmpImage image;
        ASSERT_EQ(Decode(BuildBmp(c.file), &image), BmpStatus::Ok);
        ASSERT_EQ(image.width, c.file.width);
        ASSERT_EQ(image.height, std::abs(c.file.height));
        std::vector<uint8_t> expected;
        for (const Rgb& p : c.expected) expected.insert(expected.end(), {p.r, p.g, p.b});
        EXPECT_EQ(image.pixels, expected);
    }
}

TEST(BmpDecoder, RefusesHostileFilesAndLeavesTheResultEmpty) {
    const auto good = MakeBmp(5, 3, Pattern);  // stride 16, pixels at 54..101
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        BmpStatus expected;
    };
    std::vector<Case> cases;
    auto with = [&](const char* what, BmpStatus expected, auto edit) {
        auto bytes = good;
        edit(bytes);
        cases.push_back({what, bytes, expected});
    };
    cases.push_back({"empty", {}, BmpStatus::NotBmp});
    with("BA signature", BmpStatus::NotBmp, [](auto& b) { b[1] = 'A'; });
    cases.push_back({"header cut short", std::vector<uint8_t>(good.begin(), good.begin() + 53),
                     BmpStatus::TruncatedHeader});
    cases.push_back({"last pixel byte missing", std::vector<uint8_t>(good.begin(), good.end() - 2),
                     BmpStatus::TruncatedPixels});
    with("width larger than the data", BmpStatus::TruncatedPixels, [](auto& b) { PutU32(b, 18, 6); });
    with("height larger than the data", BmpStatus::TruncatedPixels, [](auto& b) { PutU32(b, 22, 4); });
    with("8192 x 8192 in a tiny file", BmpStatus::TruncatedPixels, [](auto& b) {
        PutU32(b, 18, 8192);
        PutU32(b, 22, 8192);
    });
    with("pixel offset beyond the file", BmpStatus::TruncatedPixels, [](auto& b) { PutU32(b, 10, 1000); });
    with("pixel offset near 4 GiB", BmpStatus::TruncatedPixels, [](auto& b) { PutU32(b, 10, 0xFFFFFFF0u); });
    with("pixel offset inside the header", BmpStatus::BadOffset, [](auto& b) { PutU32(b, 10, 14); });
    BmpOptions v5;
    v5.infoSize = 124;
    const auto goodV5 = MakeBmp(5, 3, Pattern, v5);
    cases.push_back({"pixel offset inside a 124-byte header", goodV5, BmpStatus::BadOffset});
    PutU32(cases.back().bytes, 10, 14 + 124 - 1);
    cases.push_back({"124-byte header past the end",
                     std::vector<uint8_t>(goodV5.begin(), goodV5.begin() + 14 + 124 - 1), BmpStatus::TruncatedHeader});
    for (uint32_t infoSize : {0u, 39u, 41u, 125u, 0xFFFFFFFFu})
        with("unknown header size", BmpStatus::UnknownHeaderSize, [=](auto& b) { PutU32(b, 14, infoSize); });
    for (uint32_t infoSize : {16u, 64u})
        with("OS/2 2.x header", BmpStatus::Os2v2Header, [=](auto& b) { PutU32(b, 14, infoSize); });
    with("zero width", BmpStatus::BadSize, [](auto& b) { PutU32(b, 18, 0); });
    with("zero height", BmpStatus::BadSize, [](auto& b) { PutU32(b, 22, 0); });
    with("negative width", BmpStatus::BadSize, [](auto& b) { PutU32(b, 18, uint32_t(-5)); });
    with("width 8193", BmpStatus::BadSize, [](auto& b) { PutU32(b, 18, 8193); });
    with("height INT_MIN", BmpStatus::BadSize, [](auto& b) { PutU32(b, 22, uint32_t(INT32_MIN)); });
    with("width INT_MAX", BmpStatus::BadSize, [](auto& b) { PutU32(b, 18, uint32_t(INT32_MAX)); });
    for (uint16_t bits : {0, 2, 64})
        with("bit depth", BmpStatus::BadBitCount, [bits](auto& b) { PutU16(b, 28, bits); });
    const std::pair<uint32_t, BmpStatus> compressions[] = {
        {1, BmpStatus::Rle8}, {2, BmpStatus::Rle4}, {4, BmpStatus::Jpeg}, {5, BmpStatus::Png},
        {6, BmpStatus::OtherCompression}, {11, BmpStatus::OtherCompression}};
    for (const auto& [value, status] : compressions)
        with("compressed", status, [value = value](auto& b) { PutU32(b, 30, value); });

    // Palette and mask images, built whole.
    RawBmp pal;
    pal.width = 2;
    pal.palette = {1, 2, 3, 0, 4, 5, 6, 0};
    pal.rows = {1, 0, 0, 0};
    RawBmp masked;
    masked.bitCount = 16;
    masked.compression = 3;
    masked.masks = {0xF800, 0x07E0, 0x001F};
    masked.rows = {0, 0, 0, 0};
    auto build = [&](const char* what, BmpStatus expected, RawBmp b, auto edit) {
        edit(b);
        cases.push_back({what, BuildBmp(b), expected});
    };
    auto patch = [&](const char* what, BmpStatus expected, const RawBmp& b, auto edit) {
        auto bytes = BuildBmp(b);
        edit(bytes);
        cases.push_back({what, bytes, expected});
    };
    BmpImage base;
    ASSERT_EQ(Decode(BuildBmp(pal), &base), BmpStatus::Ok);
    ASSERT_EQ(Decode(BuildBmp(masked), &base), BmpStatus::Ok);
    build("pixel names a colour the table lacks", BmpStatus::BadColourIndex, pal, [](auto& b) { b.rows[1] = 2; });
    build("more colours than 8 bits index", BmpStatus::TooManyColours, pal, [](auto& b) { b.coloursUsed = 257; });
    build("more colours than 1 bit indexes", BmpStatus::TooManyColours, pal, [](auto& b) {
        b.bitCount = 1;
        b.coloursUsed = 3;
    });
    build("1-bit rows cut short", BmpStatus::TruncatedPixels, pal, [](auto& b) {
        b.bitCount = 1;
        b.width = 9;
        b.rows = {0xFF};
    });
    build("masks on an 8-bit image", BmpStatus::MasksOnWrongDepth, pal, [](auto& b) { b.compression = 3; });
    build("masks on a 24-bit image", BmpStatus::MasksOnWrongDepth, masked, [](auto& b) { b.bitCount = 24; });
    build("empty mask", BmpStatus::BadMask, masked, [](auto& b) { b.masks[2] = 0; });
    build("mask with a hole", BmpStatus::BadMask, masked, [](auto& b) { b.masks[1] = 0x0660; });
    build("mask wider than 16 bits", BmpStatus::BadMask, masked, [](auto& b) { b.masks[0] = 0x1F800; });
    patch("pixel offset inside the masks after a 40-byte header", BmpStatus::BadOffset, masked,
          [](auto& b) { PutU32(b, 10, 54 + 11); });
    patch("masks past the end", BmpStatus::TruncatedHeader, masked, [](auto& b) { b.resize(54 + 11); });

    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        BmpImage image{9, 9, {1, 1, 1}};
        EXPECT_EQ(Decode(c.bytes, &image), c.expected);
        EXPECT_TRUE(image.width == 0 && image.height == 0 && image.pixels.empty());
    }

    // Only the fill bytes of the last row may be missing: no pixel is lost.
    BmpImage image;
    EXPECT_EQ(Decode(std::vector<uint8_t>(good.begin(), good.end() - 1), &image), BmpStatus::Ok);
    ExpectPattern(image, 5, 3);
}

class TextureLoad : public GameTest {
protected:
    void TearDown() override {
        glBindTexture(GL_TEXTURE_2D, 0);
        glDisable(GL_TEXTURE_2D);
    }
    ScratchDir dir;
};

TEST_F(TextureLoad, KeepsThePixelsAndUploadsThemMipmappedAndBound) {
    // 2 x 2 has 6-byte rows: uploaded with the default alignment of 4, the
    // second row would be read from the wrong place (and past the buffer).
    for (int side : {1, 2, 4, 32}) {
        SCOPED_TRACE(side);
        const std::string path = "data/s" + std::to_string(side) + ".bmp";
        WriteBytes(path, MakeBmp(side, side, Pattern));
        Texture t;
        ASSERT_TRUE(t.Load(path));
        EXPECT_TRUE(t.loaded);
        ASSERT_NE(t.pixels, nullptr);
        BmpImage image{t.width, t.height, std::vector<uint8_t>(t.pixels.get(), t.pixels.get() + side * side * 3)};
        ExpectPattern(image, side, side);
        GLint value = 0;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &value);
        EXPECT_EQ(GLuint(value), t.textureId) << "left bound";
        EXPECT_NE(t.textureId, 0u);
        std::vector<uint8_t> texels(size_t(side) * side * 3, 0);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
        EXPECT_EQ(texels, image.pixels);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 5, GL_TEXTURE_WIDTH, &value);
        EXPECT_EQ(value, side == 32 ? 1 : 0) << "mipmaps down to 1 x 1";
        glGetIntegerv(GL_UNPACK_ALIGNMENT, &value);
        EXPECT_EQ(value, 4) << "unpack alignment restored";
    }
}

TEST_F(TextureLoad, UnusableFilesFailQuietlyButForOneLineNamingFileAndReason) {
    WriteBytes("data/ba.bmp", [] {
        auto b = SolidBmp(4, 4, {1, 2, 3});
        b[1] = 'A';
        return b;
    }());
    auto cut = SolidBmp(4, 4, {1, 2, 3});
    cut.resize(cut.size() - 20);
    WriteBytes("data/cut.bmp", cut);
    BmpOptions rle;
    rle.bitCount = 8;
    rle.compression = 1;
    WriteBytes("data/rle.bmp", MakeBmp(4, 4, Pattern, rle));
    std::filesystem::create_directories("data/dir.bmp");
    ASSERT_EQ(mkfifo("data/fifo.bmp", 0644), 0);
    const FifoWriter writer("data/fifo.bmp");

    const struct {
        const char* path;
        const char* reason;
    } cases[] = {
        {"data/missing.bmp", "data/missing.bmp: cannot open (No such file or directory)"},
        {"data/ba.bmp", "data/ba.bmp: not a BMP file"},
        {"data/cut.bmp", "data/cut.bmp: truncated pixel data"},
        {"data/rle.bmp", "data/rle.bmp: 8-bit RLE-compressed BMP is not supported"},
        {"data/dir.bmp", "data/dir.bmp: not a regular file (directory)"},
        {"data/fifo.bmp", "data/fifo.bmp: not a regular file (named pipe)"},
        {"/dev/zero", "/dev/zero: not a regular file (character device)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        GLuint bound = 0;
        glGenTextures(1, &bound);
        glBindTexture(GL_TEXTURE_2D, bound);
        Texture t;
        ::testing::internal::CaptureStderr();
        EXPECT_FALSE(t.Load(c.path));
        EXPECT_FALSE(t.Load(c.path)) << "a second try";
        const std::string err = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(err, std::string("orvanthe: ") + c.reason + "\n") << "one line, once";
        EXPECT_TRUE(t.pixels == nullptr && !t.loaded && t.textureId == 0u);
        GLint now = 0;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &now);
        EXPECT_EQ(GLuint(now), bound) << "GL untouched";
    }
}

TEST_F(TextureLoad, ReleaseFreesPixelsKeepsTheNameAndCanRepeat) {
    WriteBytes("data/a.bmp", SolidBmp(4, 4, {9, 9, 9}));
    WriteBytes("data/b.bmp", SolidBmp(8, 2, {7, 7, 7}));
    Texture t;
    ASSERT_TRUE(t.Load("data/a.bmp"));
    const uint32_t name = t.textureId;
    for (int i = 0; i < 2; ++i) {
        t.Release();
        EXPECT_TRUE(t.pixels == nullptr && !t.loaded);
        EXPECT_EQ(t.textureId, name);
        EXPECT_TRUE(glIsTexture(name));
    }

    // Loading over a held image replaces it.
    ASSERT_TRUE(t.Load("data/a.bmp"));
    ASSERT_TRUE(t.Load("data/b.bmp"));
    EXPECT_EQ(t.width, 8);
    EXPECT_EQ(t.height, 2);
    EXPECT_EQ(t.pixels[0], 7);
}
