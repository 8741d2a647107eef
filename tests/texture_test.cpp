// BMP decoding (including hostile files) and Texture loading into GL.
#include <GL/gl.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include "scenery/bmp.h"
#include "scenery/texture.h"
#include "scenery_fixture.h"

namespace {

Rgb Pattern(int x, int row) { return Rgb{uint8_t(x * 7 + 1), uint8_t(row * 13 + 2), uint8_t(x + row * 3 + 3)}; }

BmpStatus Decode(const std::vector<uint8_t>& bytes, BmpImage* image) {
    return DecodeBmp(bytes.data(), bytes.size(), image);
}

RawBmp Raw(uint32_t infoSize, int32_t width, int32_t height, uint16_t bitCount, std::vector<uint8_t> palette,
           std::vector<uint8_t> rows, uint32_t compression = 0, std::vector<uint32_t> masks = {},
           uint32_t coloursUsed = 0) {
    return RawBmp{infoSize, width, height, bitCount, compression, coloursUsed, masks, palette, rows};
}

}  // namespace

TEST(BmpDecoder, ConvertsEveryUncompressedDepthAndHeaderKindToRgb) {
    // Colour-table entries are stored B, G, R (and a fourth byte unless the header is the OS/2 one); the
    // expected pixels are listed bottom row first.
    const Rgb c0{0x30, 0x20, 0x10}, c1{3, 2, 1}, c2{0xCC, 0xBB, 0xAA}, c3{0x80, 0, 0xFF};
    const std::vector<uint8_t> table2 = {0x10, 0x20, 0x30, 0, 1, 2, 3, 0};
    std::vector<uint8_t> table4 = table2;
    table4.insert(table4.end(), {0xAA, 0xBB, 0xCC, 0, 0xFF, 0, 0x80, 0});
    const std::vector<uint8_t> core4 = {0x10, 0x20, 0x30, 1, 2, 3, 0xAA, 0xBB, 0xCC, 0xFF, 0, 0x80};
    const std::tuple<const char*, RawBmp, std::vector<Rgb>> cases[] = {
        {"1-bit, 9 wide: two bytes and fill a row",
         Raw(40, 9, 2, 1, table2, {0xB0, 0x80, 0, 0, 0x41, 0x00, 0, 0}),
         {c1, c0, c1, c1, c0, c0, c0, c0, c1, c0, c1, c0, c0, c0, c0, c0, c1, c0}},
        {"4-bit, odd width: the last pixel in a high nibble",
         Raw(40, 3, 1, 4, table4, {0x21, 0x30, 0, 0}, 0, {}, 4),
         {c2, c1, c3}},
        {"8-bit top-down; four colours, the table ends where the pixels begin",
         Raw(40, 2, -2, 8, table4, {3, 0, 0, 0, 1, 2, 0, 0}),
         {c1, c2, c3, c0}},
        {"8-bit OS/2 header: three-byte colours", Raw(12, 2, 2, 8, core4, {2, 3, 0, 0, 1, 0, 0, 0}), {c2, c3, c1, c0}},
        {"16-bit 5-5-5, the top bit unused; 5-bit 1 is 8, 16 is 132",
         Raw(40, 4, 1, 16, {}, {0xFF, 0xFF, 0x00, 0x7C, 0x21, 0x04, 0x10, 0x42}),
         {{255, 255, 255}, {255, 0, 0}, {8, 8, 8}, {132, 132, 132}}},
        {"16-bit 5-6-5 masks after a 40-byte header; 6-bit 33 is 134",
         Raw(40, 3, 1, 16, {}, {0x00, 0xF8, 0xE0, 0x07, 0x20, 0x04, 0, 0}, 3, {0xF800, 0x07E0, 0x001F}),
         {{255, 0, 0}, {0, 255, 0}, {0, 134, 0}}},
        {"16-bit 4-4-4 masks inside a 124-byte header, alpha ignored",
         Raw(124, 1, 1, 16, {}, {0x8F, 0xF1, 0, 0}, 3, {0x0F00, 0x00F0, 0x000F, 0xF000}),
         {{0x11, 0x88, 0xFF}}},
        {"32-bit B, G, R and an ignored byte",
         Raw(40, 2, 1, 32, {}, {1, 2, 3, 0xFF, 0x10, 0x20, 0x30, 0}),
         {{3, 2, 1}, {0x30, 0x20, 0x10}}},
        {"32-bit 10-bit masks keep the top 8 bits",
         Raw(40, 1, 1, 32, {}, {0x03, 0x00, 0xF8, 0x3F}, 3, {0x3FF00000, 0x000FFC00, 0x000003FF}),
         {{255, 128, 0}}},
        {"the last row's fill may be missing", Raw(40, 1, 1, 1, table2, {0x80}), {c1}},
    };
    for (const auto& [what, file, pixels] : cases) {
        SCOPED_TRACE(what);
        BmpImage image;
        ASSERT_EQ(Decode(BuildBmp(file), &image), BmpStatus::Ok);
        EXPECT_TRUE(image.width == file.width && image.height == std::abs(file.height));
        std::vector<uint8_t> expected;
        for (const Rgb& p : pixels) expected.insert(expected.end(), {p.r, p.g, p.b});
        EXPECT_EQ(image.pixels, expected);
    }
}

TEST(BmpDecoder, RefusesHostileFilesAndLeavesTheResultEmpty) {
    using S = BmpStatus;
    const auto good = MakeBmp(5, 3, Pattern), goodV5 = MakeBmp(5, 3, Pattern, Raw(124, 5, 3, 24, {}, {}));
    const auto head = [](const std::vector<uint8_t>& b, size_t n) {
        return std::vector<uint8_t>(b.begin(), b.begin() + long(n));
    };
    std::vector<std::tuple<const char*, std::vector<uint8_t>, S>> cases = {
        {"empty", {}, S::NotBmp},
        {"last pixel byte missing", head(good, good.size() - 2), S::TruncatedPixels},
        {"124-byte header past the end", head(goodV5, 14 + 124 - 1), S::TruncatedHeader},
    };
    // 32-bit fields written over a good file (the bit depth's neighbour, the compression, is 0 anyway).
    const auto with = [&](const char* what, S expected, std::initializer_list<std::pair<size_t, uint32_t>> fields,
                          std::vector<uint8_t> bytes) {
        for (const auto& [at, value] : fields) PutU32(bytes, at, value);
        cases.push_back({what, bytes, expected});
    };
    enum : size_t { kOffBits = 10, kInfoSize = 14, kWidth = 18, kHeight = 22, kBitCount = 28, kCompression = 30 };
    with("BA signature", S::NotBmp, {{0, 'B' | 'A' << 8}}, good);
    with("8192 x 8192 in a tiny file", S::TruncatedPixels, {{kWidth, 8192}, {kHeight, 8192}}, good);
    with("pixel offset near 4 GiB", S::TruncatedPixels, {{kOffBits, 0xFFFFFFF0u}}, good);
    with("pixel offset inside a 124-byte header", S::BadOffset, {{kOffBits, 14 + 124 - 1}}, goodV5);
    for (uint32_t infoSize : {0u, 39u, 41u, 125u, 0xFFFFFFFFu})
        with("unknown header size", S::UnknownHeaderSize, {{kInfoSize, infoSize}}, good);
    for (uint32_t infoSize : {16u, 64u}) with("OS/2 2.x header", S::Os2v2Header, {{kInfoSize, infoSize}}, good);
    for (const auto& [at, value] : {std::pair{kWidth, 0u}, {kHeight, 0u}, {kWidth, 8193u}, {kHeight, 0x80000000u}})
        with("size out of range", S::BadSize, {{at, value}}, good);
    for (uint32_t bits : {0, 2, 64}) with("bit depth", S::BadBitCount, {{kBitCount, bits}}, good);
    const std::pair<uint32_t, S> compressions[] = {
        {1, S::Rle8}, {2, S::Rle4}, {4, S::Jpeg}, {5, S::Png}, {6, S::OtherCompression}, {11, S::OtherCompression}};
    for (const auto& [value, status] : compressions) with("compressed", status, {{kCompression, value}}, good);

    // Palette and mask images, built whole; both are good as they stand.
    const RawBmp pal = Raw(40, 2, 1, 8, {1, 2, 3, 0, 4, 5, 6, 0}, {1, 0, 0, 0});
    const RawBmp masked = Raw(40, 1, 1, 16, {}, {0, 0, 0, 0}, 3, {0xF800, 0x07E0, 0x001F});
    BmpImage base;
    ASSERT_TRUE(Decode(BuildBmp(pal), &base) == S::Ok && Decode(BuildBmp(masked), &base) == S::Ok);
    const auto build = [&](const char* what, S expected, RawBmp b, auto edit) {
        edit(b);
        cases.push_back({what, BuildBmp(b), expected});
    };
    build("pixel names a colour the table lacks", S::BadColourIndex, pal, [](auto& b) { b.rows[1] = 2; });
    build("more colours than 8 bits index", S::TooManyColours, pal, [](auto& b) { b.coloursUsed = 257; });
    build("too many colours for 1 bit", S::TooManyColours, pal, [](auto& b) { b.bitCount = 1, b.coloursUsed = 3; });
    build("1-bit rows cut short", S::TruncatedPixels, pal, [](auto& b) { b.bitCount = 1, b.width = 9, b.rows = {1}; });
    build("masks on an 8-bit image", S::MasksOnWrongDepth, pal, [](auto& b) { b.compression = 3; });
    build("masks on a 24-bit image", S::MasksOnWrongDepth, masked, [](auto& b) { b.bitCount = 24; });
    build("empty mask", S::BadMask, masked, [](auto& b) { b.masks[2] = 0; });
    build("mask with a hole", S::BadMask, masked, [](auto& b) { b.masks[1] = 0x0660; });
    build("mask wider than 16 bits", S::BadMask, masked, [](auto& b) { b.masks[0] = 0x1F800; });
    with("pixel offset inside the masks after a 40-byte header", S::BadOffset, {{kOffBits, 54 + 11}}, BuildBmp(masked));
    cases.push_back({"masks past the end", head(BuildBmp(masked), 54 + 11), S::TruncatedHeader});

    for (const auto& [what, bytes, expected] : cases) {
        SCOPED_TRACE(what);
        BmpImage image{9, 9, {1, 1, 1}};
        EXPECT_EQ(Decode(bytes, &image), expected);
        EXPECT_TRUE(image.width == 0 && image.height == 0 && image.pixels.empty());
    }
}

using TextureLoad = DrawingTest;

TEST_F(TextureLoad, KeepsThePixelsUploadsThemMipmappedAndBoundAndReleaseKeepsTheName) {
    // Stored rows' fill (0xEE) must not leak; 2 x 2 has 6-byte rows, which the default unpack alignment of 4
    // would misread. Each load replaces the image the texture held.
    Texture t;
    for (const auto& [w, h] : {std::pair{1, 1}, {2, 2}, {4, 2}, {32, 8}}) {
        SCOPED_TRACE(testing::Message() << w << "x" << h);
        WriteBytes("data/s.bmp", MakeBmp(w, h, Pattern));
        ASSERT_TRUE(t.Load("data/s.bmp") && t.loaded && t.width == w && t.height == h);
        std::vector<uint8_t> expected;  // bottom row first, unpadded R, G, B
        for (int i = 0; i < w * h; ++i) {
            const Rgb c = Pattern(i % w, i / w);
            expected.insert(expected.end(), {c.r, c.g, c.b});
        }
        EXPECT_EQ(std::vector<uint8_t>(t.pixels.get(), t.pixels.get() + expected.size()), expected);
        EXPECT_TRUE(GLuint(GlInt(GL_TEXTURE_BINDING_2D)) == t.textureId && t.textureId != 0) << "left bound";
        std::vector<uint8_t> texels(expected.size(), 0);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
        EXPECT_EQ(texels, expected);
        GLint level5 = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 5, GL_TEXTURE_WIDTH, &level5);
        EXPECT_EQ(level5, w == 32 ? 1 : 0) << "mipmaps down to 1 x 1";
        EXPECT_EQ(GlInt(GL_UNPACK_ALIGNMENT), 4) << "unpack alignment restored";
    }
    // Release frees the pixels and keeps the GL name, as often as asked.
    const uint32_t name = t.textureId;
    for (int i = 0; i < 2; ++i) {
        t.Release();
        EXPECT_TRUE(t.pixels == nullptr && !t.loaded && t.textureId == name && glIsTexture(name));
    }
}

TEST_F(TextureLoad, UnusableFilesFailQuietlyButForOneLineNamingFileAndReason) {
    // The decoder's reasons are its own tests'; one shows they reach the line.
    auto ba = SolidBmp(4, 4, {1, 2, 3});
    ba[1] = 'A';
    WriteBytes("data/ba.bmp", ba);
    std::filesystem::create_directories("data/dir.bmp");
    ASSERT_EQ(mkfifo("data/fifo.bmp", 0644), 0);
    // A writer opening the FIFO over and over lets a waiting reader through at once, reading nothing: a reader
    // that blocks shows as a wrong reason instead of a hung test.
    std::atomic<bool> stop{false};
    std::thread writer([&stop] {
        for (; !stop; std::this_thread::yield())
            if (const int fd = open("data/fifo.bmp", O_WRONLY | O_NONBLOCK); fd >= 0) close(fd);
    });

    const struct {
        const char *path, *reason;
    } cases[] = {
        {"data/missing.bmp", "cannot open (No such file or directory)"},
        {"data/ba.bmp", "not a BMP file"},
        {"data/dir.bmp", "not a regular file (directory)"},
        {"data/fifo.bmp", "not a regular file (named pipe)"},
        {"/dev/zero", "not a regular file (character device)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        GLuint bound = 0;
        glGenTextures(1, &bound);
        glBindTexture(GL_TEXTURE_2D, bound);
        Texture t;
        EXPECT_EQ(Stderr([&] { EXPECT_FALSE(t.Load(c.path) || t.Load(c.path)); }),
                  std::string("orvanthe: ") + c.path + ": " + c.reason + "\n")
            << "one line, even for a second try";
        EXPECT_TRUE(t.pixels == nullptr && !t.loaded && t.textureId == 0u);
        EXPECT_EQ(GLuint(GlInt(GL_TEXTURE_BINDING_2D)), bound) << "GL untouched";
    }
    stop = true;
    writer.join();
}
